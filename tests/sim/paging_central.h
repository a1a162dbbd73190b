#pragma once
// A paging central as the page modem meets it: a Hayes modem that dials, and behind
// it a TAP paging terminal (or, in numeric mode, a touch-tone paging line that only
// listens). It checks every byte it receives, records the pages it accepted, and can be
// scripted to misbehave in every way a real central does.
//
// It knows no clock of its own: every call passes the time in milliseconds, so the same
// central runs in-process under a fake clock and in a separate process in real time.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::sim {

enum class DialOutcome { Connect, Busy, NoDialtone, NoDialTone, NoAnswer, Flood };
enum class IdPrompt { Unprompted, AfterCr, Never };
enum class TapReply { Ack, Nak, Rs, EscEot, None };

struct SimScript {
    // The modem.
    std::string initReply = "OK\r\n";  // answer to command lines that neither dial nor hang up
    std::vector<DialOutcome> dials;    // the outcome of the first dials, in order
    DialOutcome laterDials = DialOutcome::Connect;
    int dialReplyMs = 3000;            // from the dial to CONNECT, BUSY or NO DIALTONE
    std::string connectText = "CONNECT 2400\r\n";
    int floodBytesPerSecond = 20000;   // for DialOutcome::Flood and floodAfterConnect
    // Numeric mode: a dial that "connects" is met with silence while the modem keys the
    // digits; a page counts as taken once the caller stayed on long enough to key them.
    bool numeric = false;
    int numericBusyAtMs = -1;          // BUSY this long after the dial (-1: never)

    // A line straight to the terminal, no modem in between (the "DIRECT" set-up).
    bool direct = false;

    // The paging terminal.
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
    int replyDelayMs = 300;            // terminal's time to answer a block or logon
    int disappearAfterBlock = 0;       // the device goes away once block n has arrived
};

struct AcceptedPage {
    std::string pagerId;
    std::string message;
    bool operator==(const AcceptedPage&) const = default;
};

class CPagingCentral {
public:
    explicit CPagingCentral(SimScript script = {});

    // Bytes from the caller's side of the line, at nowMs.
    void Receive(std::string_view bytes, std::uint64_t nowMs);
    // Runs the timers up to nowMs (dial results, prompts, the escape guard time, floods).
    void Advance(std::uint64_t nowMs);
    bool HasDue(std::uint64_t nowMs);
    // The bytes that have reached the caller's side by nowMs.
    std::string TakeDue(std::uint64_t nowMs);
    // The caller purged its receive buffer: what has arrived is gone.
    void DropDue(std::uint64_t nowMs);
    // Schedules raw bytes, for replies a test writes by hand.
    void Send(std::string bytes, std::uint64_t atMs);
    // When the central next has something to do, if anything is pending.
    std::optional<std::uint64_t> NextEventMs() const;
    // The device went away (disappearAfterBlock): nothing more comes or goes.
    bool Gone() const { return m_gone; }

    const std::vector<AcceptedPage>& Pages() const { return m_pages; }
    const std::vector<std::string>& Commands() const { return m_commands; }  // "AT..." lines
    const std::vector<std::string>& NumericPages() const { return m_numericPages; }  // dial strings
    const std::vector<std::string>& Errors() const { return m_errors; }
    int Dials() const { return m_dialCount; }
    int Logons() const { return m_logons; }
    int Blocks() const { return m_blocks; }
    int LogonPrompts() const { return m_prompts; }
    bool Online() const { return m_modem == Modem::Online; }

    // Called with every record as it happens ("PAGE 123\tHello", "COMMAND ATDT5551212",
    // "ERROR ..."), for a transcript file.
    std::function<void(const std::string&)> onRecord;

    static std::string Checksum(std::string_view stxThroughEtx);

private:
    enum class Modem { Command, Dialing, Online, OnlineCommand };
    enum class Tap { Idle, Prompting, LogonLine, Messages, InBlock, LogoffCr, LoggedOff };

    void OnByte(char c, std::uint64_t now);
    void CommandByte(char c, std::uint64_t now);
    void ExecuteLine(const std::string& line, std::uint64_t now);
    bool ParseCommands(const std::string& commands, std::size_t& dialAt, bool& hangUp, bool& online);
    void StartDial(const std::string& dialText, std::uint64_t now);
    void FireDialResult(std::uint64_t at);
    void AbortDial(std::uint64_t now);
    void OnlineByte(char c, std::uint64_t now);
    void FlushPluses(std::uint64_t now);
    void Connect(std::uint64_t at);
    void AnswerTerminal(std::uint64_t at);
    void DropCarrier(std::uint64_t at);

    void TerminalByte(char c, std::uint64_t now);
    void HandleLogon(std::uint64_t now);
    void HandleBlock(std::uint64_t now);
    void HandleLogoff(std::uint64_t now);
    void Reply(TapReply reply, std::uint64_t at);

    void Record(const std::string& kind, const std::string& text);
    void Error(const std::string& text);

    SimScript m_script;
    std::multimap<std::uint64_t, std::string> m_out;
    std::size_t m_outBytes = 0;
    bool m_gone = false;
    bool m_started = false;

    Modem m_modem = Modem::Command;
    std::string m_line;
    std::uint64_t m_lastRxMs = 0;
    bool m_anyRx = false;
    int m_dialCount = 0;
    std::uint64_t m_dialAt = 0;
    std::optional<std::uint64_t> m_dialEventAt;
    DialOutcome m_dialOutcome = DialOutcome::Connect;
    std::string m_dialString;
    std::uint64_t m_keyingMs = 0;
    bool m_flooding = false;
    std::uint64_t m_floodLast = 0;
    std::uint64_t m_floodSerial = 0;
    std::string m_pluses;
    bool m_plusGuard = false;
    std::optional<std::uint64_t> m_escapeAt;
    std::optional<std::uint64_t> m_dropAt;

    Tap m_tap = Tap::Idle;
    std::optional<std::uint64_t> m_nextPromptAt;
    bool m_logonSeen = false;
    std::string m_logon;
    std::string m_block;

    std::vector<AcceptedPage> m_pages;
    std::vector<std::string> m_commands;
    std::vector<std::string> m_numericPages;
    std::vector<std::string> m_errors;
    int m_logons = 0;
    int m_blocks = 0;
    int m_prompts = 0;
};

// Shows control bytes as <STX>, <CR> ... for readable records and test failures.
std::string Visible(std::string_view bytes);

}  // namespace corvane::sim
