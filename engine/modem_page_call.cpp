#include "engine/modem_page_call.h"

#include <algorithm>
#include <climits>

#include "common/decimal.h"
#include "modem/dial_string.h"
#include "modem/modem_control.h"
#include "modem/reply_text.h"

namespace corvane {
namespace {

constexpr std::string_view kAckReply {"\x06", 1};
constexpr std::string_view kNakReply {"\x15", 1};
constexpr std::string_view kRsReply {"\x1E", 1};
constexpr std::string_view kEscEot {"\x1B\x04", 2};
constexpr std::string_view kGoAhead {"\x1B[p", 3};
constexpr std::string_view kIdPrompt = "ID=";
constexpr std::string_view kRetransmit = "retransmit";

constexpr int kLogonPromptTries = 6;
constexpr int kLogonTries = 6;
constexpr int kBlockAttempts = 3;
constexpr int kRedialPauseMs = 10000;
constexpr int kSettleMs = 2000;
constexpr int kIdPromptWaitMs = 2000;
constexpr int kLogonReplyWaitMs = 10000;
constexpr int kGoAheadWaitMs = 30000;
constexpr int kBlockReplyWaitMs = 30000;
constexpr int kLogoffReplyWaitMs = 5000;
constexpr int kHangUpGuardMs = 1000;
constexpr int kHangUpReplyWaitMs = 5000;
// More than this per pump interval and a flooding line could keep a wait from ever
// looking at the clock.
constexpr int kBytesPerWaitStep = 4096;

// What a block send ends with besides the terminal's answers (1 ACK, 2 ESC EOT, 3 NAK or
// none, 4 RS).
constexpr int kBlockCancelled = -2;
constexpr int kBlockWriteFailed = -10;

int SecondsToMs(int seconds)
{
    return std::clamp(seconds, 0, INT_MAX / 1000) * 1000;
}

std::string KeepOnly(std::string_view text, std::string_view allowed)
{
    std::string kept;
    for (char c : text)
        if (allowed.find(c) != std::string_view::npos) kept.push_back(c);
    return kept;
}

}  // namespace

CModemPageCall::CModemPageCall(ModemCallDeps deps, std::string initString, const std::string& phoneNumber,
                               PortSource port, int dialAttempts, int connectionWaitSeconds,
                               int postDialDelaySeconds, std::string systemPassword)
    : m(deps),
      m_portSource(std::move(port)),
      m_initString(std::move(initString)),
      m_systemPassword(std::move(systemPassword)),
      m_dialAttempts(dialAttempts),
      m_connectionWait(connectionWaitSeconds),
      m_postDialDelay(postDialDelaySeconds)
{
    m_direct = m_initString == kDirectInit;
    // A canonical number ("+1 (555) ...") is placed from the dialing location of the
    // preferences; the dial command stays the chosen method's (tone or pulse).
    m_dialString =
        corvane::DialString(m.settings.Get(key::DialPrefix), phoneNumber, DialingLocation::Read(m.settings));
}

void CModemPageCall::SetDialMethod(int method)
{
    m_dialCommand = DialMethodCommand(method);
}

void CModemPageCall::SetSpeaker(int setting)
{
    m_speakerCommand = corvane::SpeakerCommand(setting);
}

// ---- pages ----

std::string CModemPageCall::SanitiseMessage(std::string_view message)
{
    std::string clean(message);
    for (char& c : clean)
        if (static_cast<signed char>(c) < 0x20) c = ' ';  // control bytes and every byte from 0x80
    return clean;
}

std::string CModemPageCall::PagerIdDigits(std::string_view pagerId)
{
    return KeepOnly(pagerId, "0123456789");
}

CallPage CModemPageCall::MakePage(bool counted, PagerRecord& entry, const std::string& message,
                                  const std::string& logText)
{
    entry.DeliveryStatus = 0;
    if (counted) ++m_countedPages;
    return {counted, &entry, SanitiseMessage(message), logText, PagerIdDigits(entry.PagerID)};
}

void CModemPageCall::AddPage(bool counted, PagerRecord& entry, const std::string& message,
                             const std::string& logText)
{
    m_pages.push_back(MakePage(counted, entry, message, logText));
}

void CModemPageCall::AddPageFirst(bool counted, PagerRecord& entry, const std::string& message,
                                  const std::string& logText)
{
    m_pages.insert(m_pages.begin(), MakePage(counted, entry, message, logText));
}

std::vector<CountedPage> CModemPageCall::Counted() const
{
    std::vector<CountedPage> counted;
    for (const auto& page : m_pages)
        if (page.counted) counted.push_back({page.entry, page.logText});
    return counted;
}

// ---- the block ----

std::string CModemPageCall::Checksum(std::string_view stxThroughEtx)
{
    int sum = 0;
    for (char c : stxThroughEtx) sum += static_cast<signed char>(c);
    // Three characters from '0': bits 8-11, 4-7 and 0-3; higher bits are dropped, and
    // nibbles 10-15 come out as ':' to '?'.
    std::string chars(3, '0');
    chars[0] = static_cast<char>(0x30 + ((sum >> 8) & 0x0F));
    chars[1] = static_cast<char>(0x30 + ((sum >> 4) & 0x0F));
    chars[2] = static_cast<char>(0x30 + (sum & 0x0F));
    return chars;
}

std::string CModemPageCall::BuildBlock(std::string_view pagerId, std::string_view message)
{
    std::string block;
    block.reserve(pagerId.size() + message.size() + 9);
    block += kStx;
    block += pagerId;
    block += kCr;
    block += message;
    block += kCr;
    block += kEtx;
    block += Checksum(block);
    block += kCr;
    return block;
}

// ---- waiting ----

bool CModemPageCall::TakeCancel(PumpResult pumped)
{
    if (m_cancelled || pumped == PumpResult::Continue) return false;
    // From now on no further events are taken; an Exit or Close is carried out by the
    // shell once the call has ended.
    m_cancelled = true;
    if (pumped == PumpResult::DeferredQuit) m_quitRequested = true;
    return true;
}

bool CModemPageCall::NextByte(char& byte)
{
    if (m_unreadPos >= m_unread.size()) {
        m_unread.clear();
        m_unreadPos = 0;
        char buffer[512];
        std::size_t n = m_port->Read(buffer, sizeof buffer);
        if (n == 0) return false;
        m_unread.assign(buffer, n);
    }
    byte = m_unread[m_unreadPos++];
    return true;
}

void CModemPageCall::PurgeReceive()
{
    m_unread.clear();
    m_unreadPos = 0;
    m_port->Purge(false, true);
}

int CModemPageCall::WaitFor(int timeoutMs, std::initializer_list<std::string_view> replies)
{
    CReplyText received;
    const std::uint64_t start = m.clock.TickMs();
    m_lastWaitMs = 0;
    for (;;) {
        const std::uint64_t elapsed = m.clock.TickMs() - start;
        const int left = elapsed >= static_cast<std::uint64_t>(timeoutMs) ? 0 : timeoutMs - static_cast<int>(elapsed);
        // Bytes left over from the previous wait are looked at before anything else.
        if (m_unreadPos >= m_unread.size() &&
            TakeCancel(m.pump.Wait(std::min(left, kPumpIntervalMs), m_port->Fd(), !m_cancelled))) {
            m_lastWaitMs = m.clock.TickMs() - start;
            return -1;
        }
        char byte;
        for (int n = 0; n < kBytesPerWaitStep && NextByte(byte); ++n) {
            received.Append(byte);
            int index = 1;
            for (std::string_view reply : replies) {
                if (received.EndsWith(reply)) {
                    m_lastWaitMs = m.clock.TickMs() - start;
                    return index;
                }
                ++index;
            }
        }
        // A device that has gone away will send nothing more: the wait is over.
        if (m_port->TakeErrors() & kCommIoError) m_portFailed = true;
        m_lastWaitMs = m.clock.TickMs() - start;
        if (m_lastWaitMs >= static_cast<std::uint64_t>(timeoutMs) || m_portFailed) return 0;
    }
}

int CModemPageCall::Pause(int ms)
{
    const std::uint64_t start = m.clock.TickMs();
    for (;;) {
        const std::uint64_t elapsed = m.clock.TickMs() - start;
        if (elapsed >= static_cast<std::uint64_t>(ms)) return 0;
        const int left = ms - static_cast<int>(elapsed);
        // No descriptor: unread replies must not cut the pause short.
        if (TakeCancel(m.pump.Wait(std::min(left, kPumpIntervalMs), -1, !m_cancelled))) return 1;
    }
}

bool CModemPageCall::WriteChecked(std::string_view bytes)
{
    m_port->Write(bytes);
    unsigned errors = m_port->TakeErrors() & ~kCommRxParity;
    if (errors == 0) return true;
    if (errors & kCommIoError) m_portFailed = true;
    m_writeError = errors;
    m_result = kCallWriteError;
    return false;
}

void CModemPageCall::Status(const std::string& text)
{
    if (m.status) m.status->SetStatus(text);
}

std::string CModemPageCall::DialLine() const
{
    return "AT" + m_speakerCommand + (m_translated ? std::string("D") : m_dialCommand) + m_dialString;
}

// ---- hang-up ----

int CModemPageCall::HangUp()
{
    if (m_direct || m_network) return 0;
    // After a cancel the user waits for the line to be put down.
    CWaitCursor cursor(m_cancelled ? m.status : nullptr);
    // The escape needs a second of silence before it; a missing OK does not stop the
    // sequence, a cancel on the way does.
    if (Pause(kHangUpGuardMs)) return -1;
    m_port->Write("+++");
    if (WaitFor(kHangUpReplyWaitMs, {kReplyOk}) < 0) return -1;
    m_port->Write("ATH\r");
    if (WaitFor(kHangUpReplyWaitMs, {kReplyOk}) < 0) return -1;
    m_unread.clear();
    m_unreadPos = 0;
    m_port->Purge(true, true);
    return 0;
}

int CModemPageCall::HangUpWith(int result)
{
    HangUp();
    return result;
}

// ---- the TAP call ----

bool CModemPageCall::BeginSend()
{
    m_cancelled = false;
    m_quitRequested = false;
    m_portFailed = false;
    m_result = kCallOk;
    m_writeError = 0;
    m_dials = 0;
    m_blocksBegun = false;
    m_unread.clear();
    m_unreadPos = 0;
    m_port = m_portSource ? m_portSource() : nullptr;
    m_network = dynamic_cast<INetworkLine*>(m_port);
    return m_port != nullptr;
}

int CModemPageCall::EndSend(int result)
{
    // A device that went away explains whatever failed after it: the line is gone.
    if (m_portFailed && result != kCallOk && result != kCallCancelled) {
        m_writeError |= kCommIoError;
        result = kCallWriteError;
    }
    // A call that failed before its first block delivered none of its pages.
    if (result != kCallOk && !m_blocksBegun)
        for (CallPage& page : m_pages) page.entry->DeliveryStatus = static_cast<std::uint16_t>(result);
    m_result = result;
    if (m.status) m.status->ResetStatus();
    return m_result;
}

int CModemPageCall::SendAlphaPages()
{
    if (!BeginSend()) return EndSend(kCallPortNotOpen);
    m_port->ClearBreak();
    m_port->Purge(true, true);
    const int result = RunTapCall();
    // The connection is the call: the terminal is left once the call is over.
    if (m_network) m_network->Disconnect();
    return EndSend(result);
}

int CModemPageCall::RunTapCall()
{
    if (m_network) {
        if (int result = ConnectNetworkLine()) return result;
    } else if (!m_direct) {
        if (int result = DialUntilConnected()) return result;
    }

    Status("Connected");
    if (Pause(kSettleMs)) return HangUpWith(kCallCancelled);
    PurgeReceive();
    m_port->TakeErrors();

    if (int result = AwaitLogonPrompt()) return result;
    if (Pause(kSettleMs)) return HangUpWith(kCallCancelled);
    PurgeReceive();
    Status("Logging in");
    if (int result = LogOn()) return result;
    if (int result = AwaitGoAhead()) return result;
    if (Pause(kSettleMs)) return HangUpWith(kCallCancelled);

    Status("Sending page(s)");
    int lastFailure = 0;
    int lastBlockResult = 0;
    if (int result = SendPages(lastFailure, lastBlockResult)) return result;
    return LogOffAndHangUp(lastFailure, lastBlockResult);
}

int CModemPageCall::DialUntilConnected()
{
    for (;;) {
        Status("Dialing " + m_dialString);
        ++m_dials;
        PurgeReceive();
        if (!WriteChecked(DialLine() + "\r")) return kCallWriteError;
        int reply = WaitFor(SecondsToMs(m_connectionWait),
                            {kReplyConnect, kReplyNoDialtone, kReplyBusy, kReplyNoDialTone});
        if (reply < 0) return HangUpWith(kCallCancelled);
        if (reply == 1) return 0;
        // Dial attempts counts the re-dials: attempts + 1 dials in all.
        if (m_dials > m_dialAttempts) return reply == 0 ? kCallNoAnswer : reply == 3 ? kCallBusy : kCallNoDialtone;
        Status(reply == 3 ? "Busy, waiting 10 seconds for retry" : "No carrier, waiting 10 seconds for retry");
        // A lone CR stops a dial that is still in progress.
        if (!WriteChecked("\r")) return kCallWriteError;
        if (Pause(kRedialPauseMs)) return kCallCancelled;
    }
}

// A terminal on the network is connected to where a modem would dial it: the same time
// for the connection, the same re-dials with the same pause. A cancel needs no hang-up.
int CModemPageCall::ConnectNetworkLine()
{
    // An address that cannot be used will not become usable by trying again.
    if (!m_network->Valid()) return kCallNoAnswer;
    for (;;) {
        Status("Connecting to " + m_network->Endpoint());
        ++m_dials;
        const int outcome = AwaitConnection();
        if (outcome < 0) return kCallCancelled;
        if (outcome > 0) return 0;
        m_network->Disconnect();
        if (m_dials > m_dialAttempts) return kCallNoAnswer;
        Status("No connection, waiting 10 seconds for retry");
        if (Pause(kRedialPauseMs)) return kCallCancelled;
    }
}

// 1 connected, 0 refused, unreachable or not answered in time, -1 cancelled.
int CModemPageCall::AwaitConnection()
{
    const int timeoutMs = SecondsToMs(m_connectionWait);
    const std::uint64_t start = m.clock.TickMs();
    for (LineConnect state = m_network->Connect();; state = m_network->Poll()) {
        if (state != LineConnect::Pending) return state == LineConnect::Connected ? 1 : 0;
        const std::uint64_t elapsed = m.clock.TickMs() - start;
        if (elapsed >= static_cast<std::uint64_t>(timeoutMs)) return 0;
        const int left = timeoutMs - static_cast<int>(elapsed);
        // A refused attempt makes the socket readable, which ends the step early.
        if (TakeCancel(m.pump.Wait(std::min(left, kPumpIntervalMs), m_network->Fd(), !m_cancelled))) return -1;
    }
}

int CModemPageCall::AwaitLogonPrompt()
{
    Status("Awaiting logon prompt");
    // Some terminals prompt by themselves, others only after a CR.
    for (int attempt = 1; attempt <= kLogonPromptTries; ++attempt) {
        if (attempt > 1 && !WriteChecked("\r")) return HangUpWith(kCallWriteError);
        int reply = WaitFor(kIdPromptWaitMs, {kIdPrompt, kRetransmit});
        if (reply < 0) return HangUpWith(kCallCancelled);
        if (reply > 0) return 0;
    }
    return HangUpWith(kCallNoIdPrompt);
}

int CModemPageCall::LogOn()
{
    const std::string logon = std::string(1, kEsc) + "PG1" + m_systemPassword + kCr;
    for (int attempt = 1; attempt <= kLogonTries; ++attempt) {
        if (!WriteChecked(logon)) return HangUpWith(kCallWriteError);
        int reply = WaitFor(kLogonReplyWaitMs, {kAckReply, kEscEot, kNakReply});
        if (reply < 0) return HangUpWith(kCallCancelled);
        if (reply == 3) {
            if (attempt < kLogonTries) continue;
            return HangUpWith(kCallLogonRefused);
        }
        if (reply == 2) return HangUpWith(kCallLogonRefused);
        // ACK, or silence: terminals that never acknowledge still send the go-ahead.
        return 0;
    }
    return HangUpWith(kCallLogonRefused);
}

int CModemPageCall::AwaitGoAhead()
{
    int reply = WaitFor(kGoAheadWaitMs, {kGoAhead});
    if (reply < 0) return HangUpWith(kCallCancelled);
    if (reply == 0) return HangUpWith(kCallNoGoAhead);
    return 0;
}

int CModemPageCall::SendPages(int& lastFailure, int& lastBlockResult)
{
    bool refused = false;  // a page nobody acknowledged: the terminal is not listening
    m_blocksBegun = true;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        CallPage& page = m_pages[i];
        if (refused) {
            page.entry->DeliveryStatus = 3;
            continue;
        }
        int block = SendBlock(page);
        if (block == kBlockCancelled || block == kBlockWriteFailed) {
            const int result = block == kBlockCancelled ? kCallCancelled : kCallWriteError;
            for (std::size_t j = i; j < m_pages.size(); ++j)
                m_pages[j].entry->DeliveryStatus = static_cast<std::uint16_t>(result);
            return result;
        }
        lastBlockResult = block;
        if (block == 1) continue;
        page.entry->DeliveryStatus = static_cast<std::uint16_t>(block);
        lastFailure = block;
        if (block == 3) refused = true;
    }
    return 0;
}

int CModemPageCall::SendBlock(const CallPage& page)
{
    const std::string block = BuildBlock(page.pagerId, page.message);
    int result = 3;
    for (int attempt = 1; attempt <= kBlockAttempts; ++attempt) {
        PurgeReceive();
        if (!WriteChecked(block)) {
            HangUp();
            return kBlockWriteFailed;
        }
        int reply = WaitFor(kBlockReplyWaitMs, {kAckReply, kEscEot, kNakReply, kRsReply});
        if (reply < 0) {
            HangUp();
            return kBlockCancelled;
        }
        result = reply == 0 ? 3 : reply;
        if (result == 1 || result == 2) return result;
    }
    return result;
}

int CModemPageCall::LogOffAndHangUp(int lastFailure, int lastBlockResult)
{
    Status("Logging off");
    // After ESC EOT the terminal has already ended the session.
    if (lastBlockResult != 2) {
        // The pages are through: a write failure here changes nothing about them.
        m_port->Write(std::string {kEot, kCr});
        m_port->TakeErrors();
        if (WaitFor(kLogoffReplyWaitMs, {kRsReply, kEscEot}) == 1) return HangUpWith(kCallRejected);
    }
    Status("Hanging up");
    HangUp();
    if (lastFailure == 0) return kCallOk;
    return lastFailure == 3 ? kCallNotAcknowledged : kCallRejected;
}

// ---- numeric pages ----

int CModemPageCall::SendNumericPage(const PagerRecord& entry, const std::string& numericText)
{
    return SendNumericPage(entry.PagerID, entry.PinDelayTime, numericText);
}

int CModemPageCall::SendNumericPage(const std::string& pin, const std::string& pinDelayText,
                                    const std::string& numericText)
{
    // A direct line, or a terminal on the network, has no modem that could key tones.
    if (m_direct || (m_portSource && dynamic_cast<INetworkLine*>(m_portSource()))) {
        m_result = kCallNoDialtone;
        if (m.status) m.status->ResetStatus();
        return m_result;
    }
    if (!BeginSend()) return EndSend(kCallPortNotOpen);
    m_port->ClearBreak();
    m_port->Purge(true, true);
    return EndSend(DialNumeric(pin, pinDelayText, KeepOnly(numericText, "0123456789*#")));
}

int CModemPageCall::DialNumeric(const std::string& pin, const std::string& pinDelayText, const std::string& digits)
{
    const int pinDelay = std::max(0, ToInt(pinDelayText));
    const int postDial = std::max(0, m_postDialDelay);
    // The time the modem needs to dial, wait for the paging company and key everything.
    const long dialSeconds =
        static_cast<long>(pinDelay) + postDial + 2L * std::count(m_dialString.begin(), m_dialString.end(), ',');
    const long dialMs = std::min<long>(dialSeconds * 1000L, INT_MAX / 2);
    const int replyWaitMs =
        static_cast<int>(std::clamp<long>(dialMs + ToLong(m.settings.Get(key::NumericPostDelay)), 0, INT_MAX / 2));

    const std::string pinKeys = CommandLineField(pin);
    std::string command = DialLine() + std::string(static_cast<std::size_t>(postDial / 2), ',');
    if (m_dialCommand == "DP" || m_translated) command += 'T';  // the rest goes as tones
    if (!pinKeys.empty()) command += pinKeys + std::string(static_cast<std::size_t>(pinDelay / 2), ',');
    command += digits + m.settings.Get(key::NumericPostChar) + kCr;

    // Busy once everything was keyed: the paging company took the page and hung up.
    return DialUntilSilent(command, replyWaitMs, kRedialPauseMs, static_cast<std::uint64_t>(dialMs));
}

int CModemPageCall::DialUntilSilent(const std::string& command, int waitMs, int pauseMs,
                                    std::uint64_t busyMeansTakenMs)
{
    int lastReply = 0;
    for (;;) {
        if (m_dials > 0) {
            Status(lastReply == 2 ? "Busy, waiting 10 seconds for retry" : "No dialtone, waiting 10 seconds for retry");
            if (!WriteChecked("\r")) return HangUpWith(kCallWriteError);
            if (Pause(pauseMs)) return kCallCancelled;
        }
        Status("Dialing " + m_dialString);
        ++m_dials;
        PurgeReceive();
        if (!WriteChecked(command)) return HangUpWith(kCallWriteError);
        int reply = WaitFor(waitMs, {kReplyNoDialtone, kReplyBusy, kReplyNoDialTone});
        if (reply < 0) return HangUpWith(kCallCancelled);
        // Silence from a line that has gone away is no sign that the call went through.
        if (reply == 0 && m_portFailed) return kCallWriteError;
        if (reply == 2 && m_lastWaitMs >= busyMeansTakenMs) reply = 0;
        if (reply == 0) {
            // No complaint in all that time: the call went through. The modem lets go of
            // the line (for a voice call the handset keeps it).
            Status("Hanging up");
            HangUp();
            return kCallOk;
        }
        lastReply = reply;
        if (m_dials <= m_dialAttempts) continue;
        return reply == 2 ? kCallBusy : kCallNoDialtone;
    }
}

// ---- the message ----

std::string CModemPageCall::ResultText(int result, bool group)
{
    switch (result) {
    case 1: return "The COM port for the paging modem is not open.";
    case 2: return group ? "The pages have been canceled." : "The page has been canceled.";
    case 3:
        return "There is no dialtone on the phone line.  Please check the connection of the phone line to the "
               "modem.";
    case 4: return "The pager phone number is busy.";
    case 5:
        return "There is no answer at the paging company.  Please check that you are using the correct phone "
               "number.";
    case 6:
        return group ? "While sending a group of pages, the modem stopped responding."
                     : "While sending the page, the modem stopped responding.";
    case 7: return "No response from central paging.  This may be due to an improper modem initialization string.";
    case 8: return "Central paging not reporing ready.";
    case 9: return "Central paging not acknowledging receipt of page.";
    case 10: return "Error writing to page COM port.";
    case 11: return "Cannot log into central paging.  This may be due to an improper modem initialization string.";
    case 12:
        return "Did not receive go-ahead from central paging.  This may be due to an improper modem initialization "
               "string.";
    case 13:
        return group ? "The paging company would not accept one or more of your pages.  One or more of the pager ID "
                       "numbers may be invalid, or you may have set the maximum page length too high.  Please refer "
                       "to the ERRORLOG.TXT file for a list of which pager(s) caused this error."
                     : "The paging company would not accept the page.  The pager ID number may be invalid, or you "
                       "may have set the maximum page length too high.";
    default: return {};
    }
}

void CModemPageCall::ShowError(const PagerRecord* single)
{
    const std::string text = ResultText(m_result, m_countedPages > 1);
    if (text.empty()) return;
    const std::string caption = single ? "Page to " + single->UserName : "Page Error";
    if (m_result == kCallWriteError)
        m.messageBox.Show("No Write code " + std::to_string(m_writeError), caption, MbIcon::Warning, MbButtons::Ok);
    m.messageBox.Show(text, caption, MbIcon::Warning, MbButtons::Ok);
}

}  // namespace corvane
