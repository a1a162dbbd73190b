#include "tests/sim/paging_central.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <regex>

namespace corvane::sim {
namespace {

constexpr char kStx = 0x02, kEtx = 0x03, kEot = 0x04, kCr = 0x0D, kEsc = 0x1B;
constexpr std::uint64_t kGuardMs = 1000;        // the silence around "+++"
constexpr std::uint64_t kFirstPromptMs = 1000;  // an unprompted terminal says "ID=" after 1 s,
constexpr std::uint64_t kPromptEveryMs = 2000;  // then again every 2 s
constexpr std::uint64_t kCommaMs = 2000;        // S8: the pause of one comma
constexpr std::uint64_t kToneMs = 100;          // one touch tone
constexpr std::uint64_t kModemMs = 20;          // the modem's answer to a command line
constexpr std::size_t kLineMax = 256, kBlockMax = 65536;
constexpr std::size_t kOutMax = 65536;          // the caller's receive buffer; more overruns

int Upper(char c)
{
    return std::toupper(static_cast<unsigned char>(c));
}

// Keys of the touch-tone pad besides the digits.
bool IsToneLetter(char c)
{
    return std::string_view("*#ABCD").find(static_cast<char>(Upper(c))) != std::string_view::npos;
}

std::string One(char c)
{
    return Visible(std::string_view(&c, 1));
}

}  // namespace

std::string Visible(std::string_view bytes)
{
    static const char* const kNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS",  "TAB", "LF",
                                           "VT",  "FF",  "CR",  "SO",  "SI",  "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
                                           "SYN", "ETB", "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    std::string text;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        char hex[8];
        std::snprintf(hex, sizeof hex, "<%02X>", u);
        text += u < 32 ? "<" + std::string(kNames[u]) + ">" : u >= 0x7F ? std::string(hex) : std::string(1, c);
    }
    return text;
}

std::string CPagingCentral::Checksum(std::string_view stxThroughEtx)
{
    unsigned sum = 0;
    for (char c : stxThroughEtx) sum += static_cast<unsigned char>(c);
    const char* digits = "0123456789:;<=>?";
    return {digits[(sum >> 8) & 0xF], digits[(sum >> 4) & 0xF], digits[sum & 0xF]};
}

void CPagingCentral::Record(const std::string& kind, const std::string& text)
{
    if (onRecord) onRecord(kind + " " + text);
}

void CPagingCentral::Error(const std::string& text)
{
    m_errors.push_back(text);
    Record("ERROR", text);
}

void CPagingCentral::Send(std::string bytes, std::uint64_t atMs)
{
    // A caller that does not read loses what overflows its buffer, as with a real UART.
    bytes.resize(std::min(bytes.size(), kOutMax - m_outBytes));
    if (m_gone || bytes.empty()) return;
    m_outBytes += bytes.size();
    m_out.emplace(atMs, std::move(bytes));
}

bool CPagingCentral::HasDue(std::uint64_t nowMs)
{
    Advance(nowMs);
    return !m_out.empty() && m_out.begin()->first <= nowMs;
}

std::string CPagingCentral::TakeDue(std::uint64_t nowMs)
{
    Advance(nowMs);
    std::string due;
    while (!m_out.empty() && m_out.begin()->first <= nowMs) {
        due += m_out.begin()->second;
        m_outBytes -= m_out.begin()->second.size();
        m_out.erase(m_out.begin());
    }
    return due;
}

std::optional<std::uint64_t> CPagingCentral::NextEventMs() const
{
    std::optional<std::uint64_t> next;
    auto consider = [&](std::optional<std::uint64_t> at) {
        if (at && (!next || *at < *next)) next = at;
    };
    if (!m_out.empty()) consider(m_out.begin()->first);
    if (m_escapeAt) consider(*m_escapeAt + kGuardMs);
    if (m_flooding) consider(m_floodLast + 10);
    for (const auto& at : {m_dialEventAt, m_dropAt, m_nextPromptAt}) consider(at);
    return next;
}

void CPagingCentral::Advance(std::uint64_t now)
{
    if (m_gone) return;
    if (!m_started) {
        m_started = true;
        if (m_script.direct) {
            m_modem = Modem::Online;
            AnswerTerminal(now);
        }
    }
    if (m_dialEventAt && now >= *m_dialEventAt) FireDialResult(*m_dialEventAt);
    if (m_escapeAt && now >= *m_escapeAt + kGuardMs) {
        // "+++" with a second of silence on either side: back to command mode.
        Send("OK\r\n", *m_escapeAt + kGuardMs);
        m_escapeAt.reset();
        m_pluses.clear();
        m_modem = Modem::OnlineCommand;
    }
    if (m_dropAt && now >= *m_dropAt) DropCarrier(*m_dropAt);
    for (; m_nextPromptAt && now >= *m_nextPromptAt; *m_nextPromptAt += kPromptEveryMs)
        Send(m_script.idText, *m_nextPromptAt);
    if (m_flooding && now > m_floodLast) {
        const auto count = std::min<std::uint64_t>(
            (now - m_floodLast) * static_cast<std::uint64_t>(m_script.floodBytesPerSecond) / 1000, kOutMax);
        if (count == 0) return;
        // Letters, digits and blanks: nothing any wait could take for a reply.
        static const std::string kNoise = "xq7 zv3 kw9 jb2 ";
        std::string noise;
        for (std::uint64_t i = 0; i < count; ++i) noise += kNoise[m_floodSerial++ % kNoise.size()];
        Send(std::move(noise), now);
        m_floodLast = now;
    }
}

void CPagingCentral::Receive(std::string_view bytes, std::uint64_t now)
{
    Advance(now);
    for (char c : bytes) {
        if (m_gone) return;
        if (m_modem == Modem::Dialing) AbortDial(now);  // any character stops a dial in progress
        else if (m_modem == Modem::Online) OnlineByte(c, now);
        else CommandByte(c, now);
        m_lastRxMs = now;
        m_anyRx = true;
    }
}

// ---- the modem ----

void CPagingCentral::CommandByte(char c, std::uint64_t now)
{
    if (c == kCr) {
        std::string line;
        line.swap(m_line);
        ExecuteLine(line, now);
    } else if (m_line.size() >= kLineMax) {
        Error("command line longer than 256 characters");
        m_line.clear();
    } else if (c != '\n') {
        m_line += c;
    }
}

void CPagingCentral::ExecuteLine(const std::string& line, std::uint64_t now)
{
    // A modem looks for "AT" and ignores what comes before it ("+++" in command mode, noise).
    std::size_t at = 0;
    while (at + 1 < line.size() && !(Upper(line[at]) == 'A' && Upper(line[at + 1]) == 'T')) ++at;
    if (at + 1 >= line.size()) return;
    const std::string command = line.substr(at);
    m_commands.push_back(command);
    Record("COMMAND", Visible(command));

    // The commands a Hayes modem takes, one after another; D takes the rest as the number.
    static const std::regex kToken(R"(\s+|([EQVXMLZAIHO])\d*|&[A-Z]\d*|S\d+(=\d*|\?)|)"
                                   R"(\+[A-Z]+(=[A-Z0-9,]*)?;?|[%$][A-Z]+\d*|D(.*))",
                                   std::regex::icase);
    bool hangUp = false;
    for (auto it = command.cbegin() + 2; it != command.cend();) {
        std::smatch m;
        if (!std::regex_search(it, command.cend(), m, kToken, std::regex_constants::match_continuous)) {
            Error("modem command not understood: " + Visible(command));
            return Send("ERROR\r\n", now + kModemMs);
        }
        if (m[4].matched) return StartDial(m.str(4), now);
        hangUp = hangUp || (m[1].matched && Upper(*m[1].first) == 'H');
        it = m[0].second;
    }
    if (hangUp) {
        if (m_modem == Modem::OnlineCommand) Record("HANGUP", "");
        m_modem = Modem::Command;
        m_tap = Tap::Idle;
        m_flooding = false;
        m_nextPromptAt.reset();
        m_dropAt.reset();
        Send("OK\r\n", now + kModemMs);
    } else {
        Send(m_script.initReply, now + kModemMs);
    }
}

void CPagingCentral::StartDial(const std::string& dial, std::uint64_t now)
{
    ++m_dialCount;
    if (m_script.disappearAfterDial == m_dialCount) {
        Record("GONE", "after dial " + std::to_string(m_dialCount) + ": " + Visible(dial));
        m_gone = true;
        m_out.clear();
        m_outBytes = 0;
        return;
    }
    m_dialString = dial;
    m_dialAt = now;
    m_modem = Modem::Dialing;
    m_keyingMs = 0;
    for (char c : dial) {
        if (c == ',') m_keyingMs += kCommaMs;
        else if (std::isdigit(static_cast<unsigned char>(c)) || IsToneLetter(c)) m_keyingMs += kToneMs;
        else if (std::string_view("TPW@!;+ ()").find(static_cast<char>(Upper(c))) == std::string_view::npos)
            Error("dial string holds " + One(c) + ": " + Visible(dial));
    }
    const auto index = static_cast<std::size_t>(m_dialCount - 1);
    m_dialOutcome = index < m_script.dials.size() ? m_script.dials[index] : m_script.laterDials;
    m_numericLine = m_script.numeric || std::any_of(m_script.numericNumbers.begin(), m_script.numericNumbers.end(),
                                                    [&](const std::string& n) { return dial.find(n) != std::string::npos; });
    if (m_numericLine && m_dialOutcome == DialOutcome::Connect) {
        // A numeric paging line never answers with a carrier; it may hang up on us.
        if (m_script.numericBusyAtMs >= 0) m_dialEventAt = now + static_cast<std::uint64_t>(m_script.numericBusyAtMs);
    } else if (m_dialOutcome != DialOutcome::NoAnswer) {
        m_dialEventAt = now + static_cast<std::uint64_t>(m_script.dialReplyMs);
    }
}

void CPagingCentral::FireDialResult(std::uint64_t at)
{
    m_dialEventAt.reset();
    m_modem = Modem::Command;
    const bool numericLine = m_numericLine && m_dialOutcome == DialOutcome::Connect;
    // A numeric paging company hangs up: after taking the page, or in the middle of it.
    if (numericLine) EndNumeric(at);
    if (numericLine || m_dialOutcome == DialOutcome::Busy) Send("BUSY\r\n", at);
    else if (m_dialOutcome == DialOutcome::NoDialtone) Send("NO DIALTONE\r\n", at);
    else if (m_dialOutcome == DialOutcome::NoDialTone) Send("NO DIAL TONE\r\n", at);
    else if (m_dialOutcome == DialOutcome::Connect) Connect(at);
}

void CPagingCentral::AbortDial(std::uint64_t now)
{
    if (m_numericLine && m_dialOutcome == DialOutcome::Connect) EndNumeric(now);
    m_dialEventAt.reset();
    m_modem = Modem::Command;
    Send("NO CARRIER\r\n", now + kModemMs);
}

void CPagingCentral::EndNumeric(std::uint64_t at)
{
    // The page is taken only when the caller stayed on while the modem keyed every digit.
    if (at - m_dialAt < m_keyingMs) {
        Record("NUMERIC-CUT", Visible(m_dialString) + " after " + std::to_string(at - m_dialAt) + " ms");
        return;
    }
    m_numericPages.push_back(m_dialString);
    Record("NUMERIC", Visible(m_dialString));
}

void CPagingCentral::Connect(std::uint64_t at)
{
    Send(m_script.connectText, at);
    m_modem = Modem::Online;
    AnswerTerminal(at);
}

void CPagingCentral::AnswerTerminal(std::uint64_t at)
{
    m_tap = Tap::Prompting;
    m_anyRx = false;
    if (m_script.floodAfterConnect) {
        m_flooding = true;
        m_floodLast = at;
    } else if (m_script.idPrompt == IdPrompt::Unprompted) {
        m_nextPromptAt = at + kFirstPromptMs;
    }
}

void CPagingCentral::DropCarrier(std::uint64_t at)
{
    m_dropAt.reset();
    m_nextPromptAt.reset();
    m_flooding = false;
    m_tap = Tap::Idle;
    m_modem = Modem::Command;
    Send("\r\nNO CARRIER\r\n", at);
}

void CPagingCentral::OnlineByte(char c, std::uint64_t now)
{
    if (m_script.direct) return TerminalByte(c, now);
    if (c == '+' && m_pluses.size() < 3) {
        if (m_pluses.empty()) m_plusGuard = !m_anyRx || now - m_lastRxMs >= kGuardMs;
        m_pluses += c;
        // An escape is confirmed once a second passes without another byte.
        if (m_pluses.size() == 3 && m_plusGuard) m_escapeAt = now;
        else if (m_pluses.size() == 3) FlushPluses(now);
        return;
    }
    FlushPluses(now);
    TerminalByte(c, now);
}

void CPagingCentral::FlushPluses(std::uint64_t now)
{
    // Not an escape after all: the pluses were data for the terminal.
    m_escapeAt.reset();
    std::string pluses;
    pluses.swap(m_pluses);
    for (char p : pluses) TerminalByte(p, now);
}

// ---- the paging terminal ----

void CPagingCentral::TerminalByte(char c, std::uint64_t now)
{
    switch (m_tap) {
    case Tap::Idle: return Error("byte before the terminal answered: " + One(c));
    case Tap::Prompting:
        if (c == kCr && m_script.idPrompt != IdPrompt::Never && !m_script.floodAfterConnect)
            Send(m_script.idText, now + 100);
        else if (c == kEsc) {
            m_nextPromptAt.reset();
            m_tap = Tap::LogonLine;
            m_logon.clear();
        } else if (c != kCr)
            Error("unexpected byte before the logon: " + One(c));
        return;
    case Tap::LogonLine:
        if (c == kCr) return HandleLogon(now);
        if (m_logon.size() >= kLineMax) {
            Error("logon line too long");
            m_logon.clear();
        }
        m_logon += c;
        return;
    case Tap::Messages:
        if (c == kStx) {
            m_block.assign(1, kStx);
            m_tap = Tap::InBlock;
        } else if (c == kEot) {
            m_tap = Tap::LogoffCr;
        } else {
            Error("unexpected byte between blocks: " + One(c));
        }
        return;
    case Tap::InBlock:
        if (m_block.size() >= kBlockMax) {
            Error("block longer than 65536 bytes");
            m_tap = Tap::Messages;
            return;
        }
        m_block += c;
        if (auto etx = m_block.find(kEtx); etx != std::string::npos && m_block.size() == etx + 5) HandleBlock(now);
        return;
    case Tap::LogoffCr:
        if (c == kCr) {
            Record("LOGOFF", "");
            Reply(m_script.logoffReply, now + static_cast<std::uint64_t>(m_script.replyDelayMs));
            return LogOff(now + static_cast<std::uint64_t>(m_script.replyDelayMs));
        }
        Error("EOT not followed by CR: " + One(c));
        m_tap = Tap::Messages;
        return;
    case Tap::LoggedOff: return Error("byte after the logoff: " + One(c));
    }
}

void CPagingCentral::Reply(TapReply reply, std::uint64_t at)
{
    static const char* const kReplies[] = {"\x06\r", "\x15\r", "\x1e\r", "\x1b\x04\r", ""};
    Send(kReplies[static_cast<int>(reply)], at);
}

void CPagingCentral::LogOff(std::uint64_t at)
{
    m_tap = Tap::LoggedOff;
    if (m_script.dropCarrierAfterLogoff) m_dropAt = at + 200;
}

void CPagingCentral::HandleLogon(std::uint64_t now)
{
    ++m_logons;
    const std::uint64_t at = now + static_cast<std::uint64_t>(m_script.replyDelayMs);
    const auto index = static_cast<std::size_t>(m_logons - 1);
    TapReply reply = index < m_script.logonReplies.size() ? m_script.logonReplies[index] : TapReply::Ack;
    if (m_logon.compare(0, 3, "PG1") != 0) {
        Error("logon is not ESC PG1: " + Visible(m_logon));
        reply = TapReply::Nak;
    } else if (!m_script.password.empty() && m_logon.substr(3) != m_script.password) {
        Error("wrong password: " + Visible(m_logon.substr(3)));
        reply = TapReply::EscEot;
    }
    Record("LOGON", Visible(m_logon));
    Reply(reply, at);
    if (reply == TapReply::Nak) {
        m_tap = Tap::Prompting;
    } else if (reply == TapReply::EscEot) {
        LogOff(at);
    } else {
        m_tap = Tap::Messages;
        if (m_script.goAhead) Send(m_script.goAheadText, at + static_cast<std::uint64_t>(m_script.goAheadDelayMs));
    }
}

std::string CPagingCentral::BlockProblem() const
{
    const std::size_t idEnd = m_block.find(kCr, 1);
    const std::size_t msgEnd = idEnd == std::string::npos ? idEnd : m_block.find(kCr, idEnd + 1);
    const std::size_t etx = m_block.find(kEtx);
    const std::string shown = Visible(m_block);
    if (idEnd == std::string::npos || msgEnd == std::string::npos || msgEnd + 1 != etx)
        return "block layout is not STX ID CR MESSAGE CR ETX: " + shown;
    if (m_block.back() != kCr) return "block does not end with CR: " + shown;
    const std::string sum = Checksum(std::string_view(m_block).substr(0, etx + 1));
    if (sum != m_block.substr(etx + 1, 3)) return "checksum " + m_block.substr(etx + 1, 3) + " should be " + sum + ": " + shown;
    const std::string id = m_block.substr(1, idEnd - 1), message = m_block.substr(idEnd + 1, msgEnd - idEnd - 1);
    if (id.empty() || !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return "pager ID is not all digits: " + Visible(id);
    if (!std::all_of(message.begin(), message.end(), [](unsigned char c) { return c >= 0x20 && c < 0x80; }))
        return "message holds bytes outside 0x20-0x7F: " + Visible(message);
    return "";
}

void CPagingCentral::HandleBlock(std::uint64_t now)
{
    ++m_blocks;
    m_tap = Tap::Messages;
    Record("BLOCK", Visible(m_block));
    const std::string problem = BlockProblem();
    if (m_script.disappearAfterBlock == m_blocks) {
        Record("GONE", "after block " + std::to_string(m_blocks));
        m_gone = true;
        m_out.clear();
        m_outBytes = 0;
        return;
    }
    const std::uint64_t at = now + static_cast<std::uint64_t>(m_script.replyDelayMs);
    if (!problem.empty()) {
        Error(problem);
        return Reply(TapReply::Nak, at);
    }
    auto scripted = m_script.blockReplies.find(m_blocks);
    const TapReply reply = scripted == m_script.blockReplies.end() ? TapReply::Ack : scripted->second;
    if (reply == TapReply::Ack) {
        const std::size_t idEnd = m_block.find(kCr, 1);
        m_pages.push_back({m_block.substr(1, idEnd - 1), m_block.substr(idEnd + 1, m_block.find(kEtx) - idEnd - 2)});
        Record("PAGE", m_pages.back().pagerId + "\t" + m_pages.back().message);
    }
    Reply(reply, at);
    if (reply == TapReply::EscEot) LogOff(at);
}

}  // namespace corvane::sim
