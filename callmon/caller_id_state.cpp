#include "callmon/caller_id_state.h"

#include <algorithm>
#include <cctype>

namespace corvane {
namespace {

// Data message types: single data message (time and number) and multiple data message
// (parameters: time, number, name, and why number or name are missing).
constexpr unsigned char kSingleMessage = 0x04;
constexpr unsigned char kMultipleMessage = 0x80;
constexpr unsigned char kParamNumber = 0x02;
constexpr unsigned char kParamNumberToo = 0x03;
constexpr unsigned char kParamNumberAbsent = 0x04;
constexpr unsigned char kParamName = 0x07;
constexpr unsigned char kParamNameAbsent = 0x08;
// In a single data message the number follows the type, length, month, day, hour, minute.
constexpr std::size_t kSingleNumberAt = 10;

// A line that rings for ever must not overflow the count.
constexpr int kMaxRingCount = 1000000;

bool IsLineEnd(char byte)
{
    return byte == '\r' || byte == '\n';
}

bool IsPlain(char byte)
{
    const auto c = static_cast<unsigned char>(byte);
    return c >= 0x20 && c < 0x7F;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Every pair of hexadecimal digits becomes a byte; anything between them (spaces, the
// line end) is skipped, and an odd last digit is dropped.
std::string DecodeHex(std::string_view text)
{
    std::string bytes;
    int high = -1;
    for (char c : text) {
        const int value = HexValue(c);
        if (value < 0) continue;
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<char>(high * 16 + value));
            high = -1;
        }
    }
    return bytes;
}

// "O" and "P" stand for a caller out of the service area and a caller who blocked the
// delivery of the number or name.
const char* ReasonText(std::string_view value)
{
    if (value == "O") return kOutOfArea;
    if (value == "P") return kBlockedByCaller;
    return nullptr;
}

}  // namespace

std::string CCallerIdState::CleanText(std::string_view text)
{
    std::string clean(text.substr(0, kMaxFieldLength));
    for (char& c : clean)
        if (!IsPlain(c)) c = ' ';
    return clean;
}

bool CCallerIdState::ChecksumValid(std::string_view message)
{
    unsigned sum = 0;
    for (char c : message) sum += static_cast<unsigned char>(c);
    return sum % 256 == 0;
}

// ---- the window ----

void CCallerIdState::Shift(char byte)
{
    std::copy(m_window.begin() + 1, m_window.end(), m_window.begin());
    m_window[4] = static_cast<unsigned char>(byte);
    m_held = std::min(m_held + 1, 5);
}

bool CCallerIdState::WindowAt(int position, std::string_view text) const
{
    if (position < 5 - m_held || position + static_cast<int>(text.size()) > 5) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char held = m_window[static_cast<std::size_t>(position) + i];
        if (std::toupper(held) != std::toupper(static_cast<unsigned char>(text[i]))) return false;
    }
    return true;
}

// Hexadecimal text counts only at the start of a line: "DATE = 0412" and "TIME = 1804"
// in a modem's report hold the same two digits.
bool CCallerIdState::AtLineStart() const
{
    return m_held < 3 || m_window[2] == '\r' || m_window[2] == '\n';
}

// ---- bytes ----

void CCallerIdState::Feed(std::string_view bytes, std::time_t now)
{
    for (char byte : bytes) Feed(byte, now);
}

void CCallerIdState::Feed(char byte, std::time_t now)
{
    Shift(byte);
    m_lastByteTime = now;
    switch (m_mode) {
    case Mode::Scanning: Scan(now); break;
    case Mode::Number: NumberByte(byte); break;
    case Mode::Name: NameByte(byte, now); break;
    case Mode::ReportLine: LineByte(byte, now); break;
    case Mode::RawMessage: RawByte(byte, now); break;
    }
}

void CCallerIdState::StartMode(Mode mode)
{
    m_mode = mode;
    m_line.clear();
    m_message.clear();
}

void CCallerIdState::Scan(std::time_t now)
{
    // A raw data message: its type byte, then its length byte (the newest).
    if (m_held >= 2 && (m_window[3] == kSingleMessage || m_window[3] == kMultipleMessage)) {
        m_events.PopupRequested();
        StartMode(Mode::RawMessage);
        m_message = {static_cast<char>(m_window[3]), static_cast<char>(m_window[4])};
        return;
    }
    if (WindowAt(2, "+1,")) {
        m_events.PopupRequested();
        StartMode(Mode::ReportLine);
        m_line = "+1,";
    } else if (AtLineStart() && (WindowAt(3, "04") || WindowAt(3, "80"))) {
        m_events.PopupRequested();
        StartMode(Mode::ReportLine);
        m_line.assign(reinterpret_cast<const char*>(&m_window[3]), 2);
    } else if (WindowAt(1, "NMBR") || WindowAt(1, "CID=") || WindowAt(0, "UMBER")) {
        StartMode(Mode::Number);
        m_number.clear();
    } else if (WindowAt(0, "NAME=") || WindowAt(0, "AME =") || WindowAt(0, "NAME:")) {
        StartMode(Mode::Name);
        m_name.clear();
    } else if (WindowAt(1, "RING") || WindowAt(0, "+2,2,") || WindowAt(0, "+5,2,")) {
        Ring(now);
    }
}

void CCallerIdState::Ring(std::time_t now)
{
    if (m_ringCount != kCallScheduled && m_ringCount < kMaxRingCount) ++m_ringCount;
    m_lastRingTime = now;
    if (m_ringCount != 1) return;
    // The first ring of a call: whatever was known belongs to the call before.
    m_number.clear();
    m_name.clear();
    m_events.NumberChanged(m_number);
    m_events.NameChanged(m_name);
    m_events.PopupRequested();
}

void CCallerIdState::CompleteReport(std::time_t now)
{
    // The report stands for the call's ring: without the time, the ageing would end the
    // call at once whenever the last real ring is long past.
    m_ringCount = kReportComplete;
    m_lastRingTime = now;
}

void CCallerIdState::NumberByte(char byte)
{
    if (IsLineEnd(byte)) {
        if (const char* reason = ReasonText(m_number)) {
            m_number = reason;
            m_name.clear();
        }
        StartMode(Mode::Scanning);
        m_events.NumberChanged(m_number);
        return;
    }
    // " = " and ":" separate the keyword from the number; control bytes are noise.
    if (byte == ' ' || byte == '=' || byte == ':' || !IsPlain(byte)) return;
    if (m_number.size() < kMaxFieldLength) m_number.push_back(byte);
}

void CCallerIdState::NameByte(char byte, std::time_t now)
{
    if (IsLineEnd(byte)) {
        if (m_options.numberRings == 0) CompleteReport(now);
        StartMode(Mode::Scanning);
        m_events.NameChanged(m_name);
        return;
    }
    if (m_name.size() < kMaxFieldLength) m_name.push_back(IsPlain(byte) ? byte : ' ');
}

void CCallerIdState::LineByte(char byte, std::time_t now)
{
    m_line.push_back(byte);
    if (!IsLineEnd(byte)) {
        // A line this long is no report: it is dropped rather than kept growing.
        if (m_line.size() > kMaxLineLength) DropPartialReport();
        return;
    }
    const std::string line = std::move(m_line);
    StartMode(Mode::Scanning);
    ParseLine(line);
    if (m_options.numberRings == 0) CompleteReport(now);
    m_events.NumberChanged(m_number);
    m_events.NameChanged(m_name);
}

void CCallerIdState::RawByte(char byte, std::time_t now)
{
    m_message.push_back(byte);
    const std::size_t length = static_cast<unsigned char>(m_message[1]) + 3u;
    if (m_message.size() < length) return;
    const std::string message = std::move(m_message);
    StartMode(Mode::Scanning);
    // The message's own bytes (a checksum of 0x04, say) must not start the next one.
    ClearWindow();
    ParseMessage(message);
    if (m_options.reportOnlyUnit || m_options.numberRings == 0) CompleteReport(now);
    m_events.NumberChanged(m_number);
    m_events.NameChanged(m_name);
}

void CCallerIdState::Age(std::time_t now)
{
    // A clock set back counts as time passed: a call must never stay open for ever.
    if (m_ringCount != kNoCall && (now < m_lastRingTime || now - m_lastRingTime > kCallEndSeconds))
        m_ringCount = kNoCall;
    if (m_mode != Mode::Scanning && (now < m_lastByteTime || now - m_lastByteTime > kReportSilenceSeconds))
        DropPartialReport();
}

void CCallerIdState::DropPartialReport()
{
    StartMode(Mode::Scanning);
    ClearWindow();
}

void CCallerIdState::ClearWindow()
{
    m_window.fill(0);
    m_held = 0;
}

// ---- reports ----

void CCallerIdState::ParseLine(std::string_view line)
{
    if (line.size() <= 3) return;
    if (line.substr(0, 3) == "+1,") {
        ParseUnitLine(line.substr(3));
    } else if (line.substr(0, 2) == "04" || line.substr(0, 2) == "80") {
        ParseMessage(DecodeHex(line));
    }
}

// "+1," number "," name "," line designation: a Rochelle unit's report. A line with
// fewer commas gives what it has: the number, then the name.
void CCallerIdState::ParseUnitLine(std::string_view fields)
{
    fields = fields.substr(0, fields.find_first_of("\r\n"));
    const std::size_t first = fields.find(',');
    const std::string_view number = fields.substr(0, first);
    std::string_view name, designation;
    if (first != std::string_view::npos) {
        const std::size_t second = fields.find(',', first + 1);
        name = fields.substr(first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1);
        if (second != std::string_view::npos) designation = fields.substr(second + 1);
    }
    m_name = ReasonText(name) ? ReasonText(name) : CleanText(name);
    m_number = CleanText(number);
    if (const char* reason = ReasonText(number)) {
        m_number = reason;
        m_name.clear();
    }
    if (!designation.empty()) m_name += " (Line " + CleanText(designation) + ")";
}

void CCallerIdState::SetNumberReason(char reason)
{
    const char* text = ReasonText(std::string_view(&reason, 1));
    if (!text) return;
    m_number = text;
    m_name.clear();
}

void CCallerIdState::ParseMessage(std::string_view message)
{
    // A message needs its type, its length and its checksum; one cut short (hexadecimal
    // text with digits missing) is as invalid as one with a wrong checksum.
    const std::size_t length = message.size() >= 2 ? static_cast<unsigned char>(message[1]) + 3u : 3u;
    if (message.size() < length || !ChecksumValid(message.substr(0, length))) {
        m_number.clear();
        m_name.clear();
        return;
    }
    message = message.substr(0, length);
    const auto type = static_cast<unsigned char>(message[0]);
    if (type == kSingleMessage) {
        const std::size_t checksumAt = message.size() - 1;
        m_number = checksumAt > kSingleNumberAt ? CleanText(message.substr(kSingleNumberAt, checksumAt - kSingleNumberAt))
                                                : std::string();
        if (const char* reason = ReasonText(m_number)) m_number = reason;
        m_name.clear();
    } else if (type == kMultipleMessage) {
        ParseMultipleMessage(message);
    }
}

void CCallerIdState::ParseMultipleMessage(std::string_view message)
{
    const std::size_t end = message.size() - 1;  // the checksum
    std::size_t at = 2;
    while (at + 2 <= end) {
        const auto type = static_cast<unsigned char>(message[at]);
        const std::size_t length = static_cast<unsigned char>(message[at + 1]);
        const std::size_t start = at + 2;
        const std::string_view value = message.substr(start, std::min(length, end - start));
        at = start + length;
        switch (type) {
        case kParamNumber:
        case kParamNumberToo: m_number = CleanText(value); break;
        case kParamNumberAbsent:
            if (!value.empty()) SetNumberReason(value[0]);
            break;
        case kParamName: m_name = CleanText(value); break;
        case kParamNameAbsent: {
            const char* reason = value.empty() ? nullptr : ReasonText(value.substr(0, 1));
            m_name = reason ? reason : "";
            break;
        }
        default: break;  // the date and time, and what this program has no use for
        }
    }
}

}  // namespace corvane
