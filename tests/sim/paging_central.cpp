#include "tests/sim/paging_central.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace corvane::sim {
namespace {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kEot = 0x04;
constexpr char kCr = 0x0D;
constexpr char kEsc = 0x1B;

constexpr std::uint64_t kGuardMs = 1000;       // the silence around "+++"
constexpr std::uint64_t kPromptEveryMs = 2000;  // an unprompted terminal repeats "ID="
constexpr std::uint64_t kFirstPromptMs = 1000;
constexpr std::uint64_t kCommaMs = 2000;        // S8: the pause of one comma
constexpr std::uint64_t kToneMs = 100;          // one touch tone
constexpr std::size_t kLineMax = 256;
constexpr std::size_t kBlockMax = 65536;
constexpr std::size_t kOutMax = 65536;          // the caller's receive buffer; more overruns

bool StartsWithAt(const std::string& line, std::size_t at)
{
    return at + 1 < line.size() && std::toupper(static_cast<unsigned char>(line[at])) == 'A' &&
           std::toupper(static_cast<unsigned char>(line[at + 1])) == 'T';
}

}  // namespace

std::string Visible(std::string_view bytes)
{
    static const char* const kNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                           "BS",  "TAB", "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                           "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                           "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    std::string text;
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        if (u < 32) {
            text += '<';
            text += kNames[u];
            text += '>';
        } else if (u >= 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", u);
            text += hex;
        } else {
            text += c;
        }
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

CPagingCentral::CPagingCentral(SimScript script) : m_script(std::move(script)) {}

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
    if (m_gone || bytes.empty()) return;
    // A caller that does not read loses what overflows its buffer, as with a real UART.
    if (m_outBytes + bytes.size() > kOutMax) bytes.resize(kOutMax > m_outBytes ? kOutMax - m_outBytes : 0);
    if (bytes.empty()) return;
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

void CPagingCentral::DropDue(std::uint64_t nowMs)
{
    TakeDue(nowMs);
}

std::optional<std::uint64_t> CPagingCentral::NextEventMs() const
{
    std::optional<std::uint64_t> next;
    auto consider = [&](std::optional<std::uint64_t> at) {
        if (at && (!next || *at < *next)) next = at;
    };
    if (!m_out.empty()) consider(m_out.begin()->first);
    consider(m_dialEventAt);
    consider(m_escapeAt ? std::optional<std::uint64_t>(*m_escapeAt + kGuardMs) : std::nullopt);
    consider(m_dropAt);
    consider(m_nextPromptAt);
    if (m_flooding) consider(m_floodLast + 10);
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
        std::uint64_t at = *m_escapeAt + kGuardMs;
        m_escapeAt.reset();
        m_pluses.clear();
        m_modem = Modem::OnlineCommand;
        Send("OK\r\n", at);
    }
    if (m_dropAt && now >= *m_dropAt) DropCarrier(*m_dropAt);
    while (m_nextPromptAt && now >= *m_nextPromptAt) {
        ++m_prompts;
        Send(m_script.idText, *m_nextPromptAt);
        *m_nextPromptAt += kPromptEveryMs;
    }
    if (m_flooding && now > m_floodLast) {
        std::uint64_t count = (now - m_floodLast) * static_cast<std::uint64_t>(m_script.floodBytesPerSecond) / 1000;
        count = std::min<std::uint64_t>(count, kOutMax);
        if (count > 0) {
            // Letters, digits and blanks: nothing any wait could take for a reply.
            static const char kNoise[] = "xq7 zv3 kw9 jb2 ";
            std::string noise;
            noise.reserve(count);
            for (std::uint64_t i = 0; i < count; ++i) noise += kNoise[m_floodSerial++ % (sizeof kNoise - 1)];
            Send(std::move(noise), now);
            m_floodLast = now;
        }
    }
}

void CPagingCentral::Receive(std::string_view bytes, std::uint64_t now)
{
    Advance(now);
    if (m_gone) return;
    for (char c : bytes) {
        OnByte(c, now);
        m_lastRxMs = now;
        m_anyRx = true;
        if (m_gone) return;
    }
}

void CPagingCentral::OnByte(char c, std::uint64_t now)
{
    switch (m_modem) {
    case Modem::Command:
    case Modem::OnlineCommand: CommandByte(c, now); break;
    case Modem::Dialing: AbortDial(now); break;
    case Modem::Online: OnlineByte(c, now); break;
    }
}

// ---- the modem ----

void CPagingCentral::CommandByte(char c, std::uint64_t now)
{
    if (c == kCr) {
        std::string line;
        line.swap(m_line);
        ExecuteLine(line, now);
        return;
    }
    if (c == '\n') return;
    if (m_line.size() >= kLineMax) {
        Error("command line longer than " + std::to_string(kLineMax) + " characters");
        m_line.clear();
        return;
    }
    m_line += c;
}

void CPagingCentral::ExecuteLine(const std::string& line, std::uint64_t now)
{
    // A modem looks for "AT" and ignores what comes before it ("+++" typed in command
    // mode, line noise).
    std::size_t at = 0;
    while (at < line.size() && !StartsWithAt(line, at)) ++at;
    if (at >= line.size()) return;
    const std::string command = line.substr(at);
    m_commands.push_back(command);
    Record("COMMAND", Visible(command));

    std::size_t dialAt = std::string::npos;
    bool hangUp = false;
    bool online = false;
    if (!ParseCommands(command.substr(2), dialAt, hangUp, online)) {
        Error("modem command not understood: " + Visible(command));
        Send("ERROR\r\n", now + 20);
        return;
    }
    if (dialAt != std::string::npos) {
        StartDial(command.substr(2 + dialAt), now);
        return;
    }
    if (hangUp) {
        if (m_modem == Modem::OnlineCommand) Record("HANGUP", "");
        m_modem = Modem::Command;
        m_tap = Tap::Idle;
        m_nextPromptAt.reset();
        m_flooding = false;
        m_dropAt.reset();
        Send("OK\r\n", now + 20);
        return;
    }
    if (online && m_modem == Modem::OnlineCommand) {
        m_modem = Modem::Online;
        Send(m_script.connectText, now + 20);
        return;
    }
    Send(m_script.initReply, now + 20);
}

bool CPagingCentral::ParseCommands(const std::string& commands, std::size_t& dialAt, bool& hangUp, bool& online)
{
    auto digitsFrom = [&](std::size_t& i) {
        std::size_t start = i;
        while (i < commands.size() && std::isdigit(static_cast<unsigned char>(commands[i]))) ++i;
        return i > start;
    };
    auto lettersFrom = [&](std::size_t& i) {
        std::size_t start = i;
        while (i < commands.size() && std::isalpha(static_cast<unsigned char>(commands[i]))) ++i;
        return i > start;
    };
    for (std::size_t i = 0; i < commands.size();) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(commands[i])));
        if (c == ' ') {
            ++i;
        } else if (c == 'D') {
            dialAt = i + 1;  // the rest of the line is the dial string
            return true;
        } else if (c == 'H' || c == 'O' || std::string_view("EQVXMLZAI").find(c) != std::string_view::npos) {
            hangUp = hangUp || c == 'H';
            online = online || c == 'O';
            ++i;
            digitsFrom(i);
        } else if (c == '&') {
            ++i;
            if (i >= commands.size() || !std::isalpha(static_cast<unsigned char>(commands[i]))) return false;
            ++i;
            digitsFrom(i);
        } else if (c == 'S') {
            ++i;
            if (!digitsFrom(i)) return false;
            if (i < commands.size() && commands[i] == '=') {
                ++i;
                digitsFrom(i);
            } else if (i < commands.size() && commands[i] == '?') {
                ++i;
            } else {
                return false;
            }
        } else if (c == '+') {
            ++i;
            if (!lettersFrom(i)) return false;
            if (i < commands.size() && commands[i] == '=') {
                ++i;
                while (i < commands.size() && commands[i] != ';' &&
                       (std::isalnum(static_cast<unsigned char>(commands[i])) || commands[i] == ','))
                    ++i;
            }
            if (i < commands.size() && commands[i] == ';') ++i;
        } else if (c == '%') {
            ++i;
            if (!lettersFrom(i)) return false;
            digitsFrom(i);
        } else if (c == '$') {
            ++i;
            if (!lettersFrom(i)) return false;
            digitsFrom(i);
        } else {
            return false;
        }
    }
    return true;
}

void CPagingCentral::StartDial(const std::string& dialText, std::uint64_t now)
{
    ++m_dialCount;
    m_dialString = dialText;
    m_dialAt = now;
    m_modem = Modem::Dialing;
    std::size_t commas = 0;
    std::size_t tones = 0;
    for (std::size_t i = 0; i < dialText.size(); ++i) {
        char c = dialText[i];
        if (c == ',') {
            ++commas;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#') {
            ++tones;
        } else if (std::string_view("TPW@!;+ ()").find(static_cast<char>(std::toupper(c))) == std::string_view::npos) {
            Error("dial string holds " + Visible(std::string(1, c)) + ": " + Visible(dialText));
        }
    }
    m_keyingMs = commas * kCommaMs + tones * kToneMs;

    const auto index = static_cast<std::size_t>(m_dialCount - 1);
    m_dialOutcome = index < m_script.dials.size() ? m_script.dials[index] : m_script.laterDials;
    if (m_script.numeric && m_dialOutcome == DialOutcome::Connect) {
        // A numeric paging line never answers with a carrier; it may hang up on us.
        if (m_script.numericBusyAtMs >= 0)
            m_dialEventAt = now + static_cast<std::uint64_t>(m_script.numericBusyAtMs);
        return;
    }
    if (m_dialOutcome == DialOutcome::Flood) {
        m_flooding = true;
        m_floodLast = now;
        return;
    }
    if (m_dialOutcome != DialOutcome::NoAnswer) m_dialEventAt = now + static_cast<std::uint64_t>(m_script.dialReplyMs);
}

void CPagingCentral::FireDialResult(std::uint64_t at)
{
    m_dialEventAt.reset();
    if (m_script.numeric && m_dialOutcome == DialOutcome::Connect) {
        // The paging company hangs up: after taking the page, or in the middle of it.
        if (at - m_dialAt >= m_keyingMs) {
            m_numericPages.push_back(m_dialString);
            Record("NUMERIC", Visible(m_dialString));
        }
        m_modem = Modem::Command;
        Send("BUSY\r\n", at);
        return;
    }
    switch (m_dialOutcome) {
    case DialOutcome::Connect: Connect(at); return;
    case DialOutcome::Busy: Send("BUSY\r\n", at); break;
    case DialOutcome::NoDialtone: Send("NO DIALTONE\r\n", at); break;
    case DialOutcome::NoDialTone: Send("NO DIAL TONE\r\n", at); break;
    case DialOutcome::NoAnswer:
    case DialOutcome::Flood: break;
    }
    m_modem = Modem::Command;
}

void CPagingCentral::AbortDial(std::uint64_t now)
{
    // Any character stops a dial in progress.
    if (m_script.numeric && m_dialOutcome == DialOutcome::Connect) {
        if (now - m_dialAt >= m_keyingMs) {
            m_numericPages.push_back(m_dialString);
            Record("NUMERIC", Visible(m_dialString));
        } else {
            Record("NUMERIC-CUT", Visible(m_dialString) + " after " + std::to_string(now - m_dialAt) + " ms");
        }
    }
    m_dialEventAt.reset();
    m_flooding = false;
    m_modem = Modem::Command;
    Send("NO CARRIER\r\n", now + 20);
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
    m_logonSeen = false;
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
    if (m_script.direct) {
        TerminalByte(c, now);
        return;
    }
    if (c == '+' && m_pluses.size() < 3) {
        if (m_pluses.empty()) m_plusGuard = !m_anyRx || now - m_lastRxMs >= kGuardMs;
        m_pluses += c;
        if (m_pluses.size() == 3) {
            if (m_plusGuard)
                m_escapeAt = now;  // confirmed once a second passes without another byte
            else
                FlushPluses(now);
        }
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
    case Tap::Idle: Error("byte before the terminal answered: " + Visible(std::string(1, c))); return;
    case Tap::Prompting:
        if (c == kCr) {
            if (m_script.idPrompt != IdPrompt::Never && !m_script.floodAfterConnect) {
                ++m_prompts;
                Send(m_script.idText, now + 100);
            }
            return;
        }
        if (c == kEsc) {
            m_logonSeen = true;
            m_nextPromptAt.reset();
            m_tap = Tap::LogonLine;
            m_logon.clear();
            return;
        }
        Error("unexpected byte before the logon: " + Visible(std::string(1, c)));
        return;
    case Tap::LogonLine:
        if (c == kCr) {
            HandleLogon(now);
            return;
        }
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
            Error("unexpected byte between blocks: " + Visible(std::string(1, c)));
        }
        return;
    case Tap::InBlock: {
        if (m_block.size() >= kBlockMax) {
            Error("block longer than " + std::to_string(kBlockMax) + " bytes");
            m_tap = Tap::Messages;
            return;
        }
        m_block += c;
        std::size_t etx = m_block.find(kEtx);
        if (etx != std::string::npos && m_block.size() == etx + 5) HandleBlock(now);
        return;
    }
    case Tap::LogoffCr:
        if (c == kCr) {
            HandleLogoff(now);
        } else {
            Error("EOT not followed by CR: " + Visible(std::string(1, c)));
            m_tap = Tap::Messages;
        }
        return;
    case Tap::LoggedOff: Error("byte after the logoff: " + Visible(std::string(1, c))); return;
    }
}

void CPagingCentral::Reply(TapReply reply, std::uint64_t at)
{
    switch (reply) {
    case TapReply::Ack: Send("\x06\r", at); break;
    case TapReply::Nak: Send("\x15\r", at); break;
    case TapReply::Rs: Send("\x1e\r", at); break;
    case TapReply::EscEot: Send("\x1b\x04\r", at); break;
    case TapReply::None: break;
    }
}

void CPagingCentral::HandleLogon(std::uint64_t now)
{
    ++m_logons;
    const std::uint64_t at = now + static_cast<std::uint64_t>(m_script.replyDelayMs);
    TapReply reply = TapReply::Ack;
    const auto index = static_cast<std::size_t>(m_logons - 1);
    if (index < m_script.logonReplies.size()) reply = m_script.logonReplies[index];
    if (m_logon.compare(0, 3, "PG1") != 0) {
        Error("logon is not ESC PG1: " + Visible(m_logon));
        reply = TapReply::Nak;
    } else if (!m_script.password.empty() && m_logon.substr(3) != m_script.password) {
        Error("wrong password: " + Visible(m_logon.substr(3)));
        reply = TapReply::EscEot;
    }
    Record("LOGON", Visible(m_logon));
    Reply(reply, at);
    switch (reply) {
    case TapReply::Nak: m_tap = Tap::Prompting; return;
    case TapReply::EscEot:
        m_tap = Tap::LoggedOff;
        if (m_script.dropCarrierAfterLogoff) m_dropAt = at + 200;
        return;
    default:
        m_tap = Tap::Messages;
        if (m_script.goAhead) Send(m_script.goAheadText, at + static_cast<std::uint64_t>(m_script.goAheadDelayMs));
        return;
    }
}

void CPagingCentral::HandleBlock(std::uint64_t now)
{
    ++m_blocks;
    m_tap = Tap::Messages;
    std::size_t idEnd = m_block.find(kCr, 1);
    std::size_t msgEnd = idEnd == std::string::npos ? idEnd : m_block.find(kCr, idEnd + 1);
    std::size_t etx = m_block.find(kEtx);
    const std::string shown = Visible(m_block);
    Record("BLOCK", shown);

    std::string problem;
    if (idEnd == std::string::npos || msgEnd == std::string::npos || msgEnd + 1 != etx)
        problem = "block layout is not STX ID CR MESSAGE CR ETX: " + shown;
    else if (m_block.back() != kCr)
        problem = "block does not end with CR: " + shown;
    else if (Checksum(std::string_view(m_block).substr(0, etx + 1)) != m_block.substr(etx + 1, 3))
        problem = "checksum " + m_block.substr(etx + 1, 3) + " should be " +
                  Checksum(std::string_view(m_block).substr(0, etx + 1)) + ": " + shown;
    std::string id = problem.empty() ? m_block.substr(1, idEnd - 1) : "";
    std::string message = problem.empty() ? m_block.substr(idEnd + 1, msgEnd - idEnd - 1) : "";
    if (problem.empty() && (id.empty() || !std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; })))
        problem = "pager ID is not all digits: " + Visible(id);
    if (problem.empty() && !std::all_of(message.begin(), message.end(),
                                        [](char c) { return static_cast<unsigned char>(c) >= 0x20 &&
                                                            static_cast<unsigned char>(c) < 0x80; }))
        problem = "message holds bytes outside 0x20-0x7F: " + Visible(message);

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
        Reply(TapReply::Nak, at);
        return;
    }
    auto scripted = m_script.blockReplies.find(m_blocks);
    TapReply reply = scripted == m_script.blockReplies.end() ? TapReply::Ack : scripted->second;
    if (reply == TapReply::Ack) {
        m_pages.push_back({id, message});
        Record("PAGE", id + "\t" + message);
    }
    Reply(reply, at);
    if (reply == TapReply::EscEot) {
        m_tap = Tap::LoggedOff;
        if (m_script.dropCarrierAfterLogoff) m_dropAt = at + 200;
    }
}

void CPagingCentral::HandleLogoff(std::uint64_t now)
{
    const std::uint64_t at = now + static_cast<std::uint64_t>(m_script.replyDelayMs);
    Record("LOGOFF", "");
    Reply(m_script.logoffReply, at);
    m_tap = Tap::LoggedOff;
    if (m_script.dropCarrierAfterLogoff) m_dropAt = at + 200;
}

}  // namespace corvane::sim
