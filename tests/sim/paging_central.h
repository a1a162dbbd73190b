#pragma once
// A paging central as the page modem meets it: a Hayes modem that dials, and behind it a
// TAP paging terminal (or, in numeric mode, a touch-tone paging line that only listens).
// It checks every byte it receives, records the pages it accepted, and can be scripted to
// misbehave as real centrals do. It has no clock: every call passes the time in ms, so the
// same central runs in-process under a fake clock and in its own process in real time.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::sim {

enum class DialOutcome { Connect, Busy, NoDialtone, NoDialTone, NoAnswer };
enum class IdPrompt { Unprompted, AfterCr, Never };
enum class TapReply { Ack, Nak, Rs, EscEot, None };

struct SimScript {
    std::string initReply = "OK\r\n";  // to command lines that neither dial nor hang up
    std::vector<DialOutcome> dials;    // the outcome of the first dials, in order
    DialOutcome laterDials = DialOutcome::Connect;
    int dialReplyMs = 3000;            // from the dial to CONNECT, BUSY or NO DIALTONE
    std::string connectText = "CONNECT 2400\r\n";
    int floodBytesPerSecond = 20000;   // for floodAfterConnect
    // Numeric mode: a "connected" dial meets silence while the modem keys the digits; the
    // page is taken once the caller stayed on long enough to key them.
    bool numeric = false;
    std::vector<std::string> numericNumbers;  // or only the dials that hold one of these numbers
    int numericBusyAtMs = -1;          // BUSY this long after the dial (-1: never)
    bool direct = false;               // a line straight to the terminal, no modem

    IdPrompt idPrompt = IdPrompt::Unprompted;
    std::string idText = "ID=";
    bool floodAfterConnect = false;    // garbage that matches nothing, instead of prompts
    std::string password;              // expected after ESC PG1; empty accepts any
    std::vector<TapReply> logonReplies;  // to the n-th logon; later ones are acknowledged
    bool goAhead = true;
    int goAheadDelayMs = 500;          // after the logon was answered
    std::string goAheadText = "\x1b[p\r";
    std::map<int, TapReply> blockReplies;  // by block number, 1-based, retries counted
    TapReply logoffReply = TapReply::EscEot;
    bool dropCarrierAfterLogoff = false;
    int replyDelayMs = 300;            // the terminal's time to answer a block or logon
    int disappearAfterBlock = 0;       // the device goes away once block n has arrived
    int disappearAfterDial = 0;        // the device goes away once dial n has arrived
};

struct AcceptedPage {
    std::string pagerId;
    std::string message;
    bool operator==(const AcceptedPage&) const = default;
};

class CPagingCentral {
public:
    explicit CPagingCentral(SimScript script = {}) : m_script(std::move(script)) {}

    // Bytes from the caller's side of the line, at nowMs.
    void Receive(std::string_view bytes, std::uint64_t nowMs);
    // Runs the timers up to nowMs (dial results, prompts, the escape guard time, floods).
    void Advance(std::uint64_t nowMs);
    bool HasDue(std::uint64_t nowMs);
    // The bytes that have reached the caller's side by nowMs (a purge takes and drops them).
    std::string TakeDue(std::uint64_t nowMs);
    // Schedules raw bytes, for replies a test writes by hand.
    void Send(std::string bytes, std::uint64_t atMs);
    // When the central next has something to do, if anything is pending.
    std::optional<std::uint64_t> NextEventMs() const;
    bool Gone() const { return m_gone; }  // disappearAfter...: nothing more comes or goes

    const std::vector<AcceptedPage>& Pages() const { return m_pages; }
    const std::vector<std::string>& Commands() const { return m_commands; }  // "AT..." lines
    const std::vector<std::string>& NumericPages() const { return m_numericPages; }  // dial strings
    const std::vector<std::string>& Errors() const { return m_errors; }
    int Dials() const { return m_dialCount; }
    int Logons() const { return m_logons; }
    int Blocks() const { return m_blocks; }
    bool Online() const { return m_modem == Modem::Online; }
    bool LoggedOff() const { return m_tap == Tap::LoggedOff; }  // the session is over

    // Every record as it happens ("PAGE 123\tHello", "COMMAND ATDT5551212", "ERROR ..."), for
    // a transcript.
    std::function<void(const std::string&)> onRecord;

    static std::string Checksum(std::string_view stxThroughEtx);

private:
    enum class Modem { Command, Dialing, Online, OnlineCommand };
    enum class Tap { Idle, Prompting, LogonLine, Messages, InBlock, LogoffCr, LoggedOff };

    void CommandByte(char c, std::uint64_t now);
    void ExecuteLine(const std::string& line, std::uint64_t now);
    void StartDial(const std::string& dial, std::uint64_t now);
    void FireDialResult(std::uint64_t at);
    void AbortDial(std::uint64_t now);
    void EndNumeric(std::uint64_t at);
    void Connect(std::uint64_t at);
    void AnswerTerminal(std::uint64_t at);
    void DropCarrier(std::uint64_t at);
    void OnlineByte(char c, std::uint64_t now);
    void FlushPluses(std::uint64_t now);
    void TerminalByte(char c, std::uint64_t now);
    void HandleLogon(std::uint64_t now);
    void HandleBlock(std::uint64_t now);
    std::string BlockProblem() const;
    void LogOff(std::uint64_t at);
    void Reply(TapReply reply, std::uint64_t at);
    void Record(const std::string& kind, const std::string& text);
    void Error(const std::string& text);

    SimScript m_script;
    std::multimap<std::uint64_t, std::string> m_out;  // what the caller will receive, by time
    std::size_t m_outBytes = 0;
    bool m_gone = false, m_started = false;

    Modem m_modem = Modem::Command;
    std::string m_line, m_dialString, m_pluses;
    std::uint64_t m_lastRxMs = 0, m_dialAt = 0, m_keyingMs = 0, m_floodLast = 0, m_floodSerial = 0;
    bool m_anyRx = false, m_flooding = false, m_plusGuard = false;
    DialOutcome m_dialOutcome = DialOutcome::Connect;
    bool m_numericLine = false;  // the dial in progress reaches a numeric paging line
    std::optional<std::uint64_t> m_dialEventAt, m_escapeAt, m_dropAt, m_nextPromptAt;

    Tap m_tap = Tap::Idle;
    std::string m_logon, m_block;
    std::vector<AcceptedPage> m_pages;
    std::vector<std::string> m_commands, m_numericPages, m_errors;
    int m_dialCount = 0, m_logons = 0, m_blocks = 0;
};

// Shows control bytes as <STX>, <CR> ... for readable records and test failures.
std::string Visible(std::string_view bytes);

}  // namespace corvane::sim
