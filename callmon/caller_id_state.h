#pragma once
// What the monitor line says about the incoming call, parsed a byte at a time: how many
// rings were heard, the caller's number and the caller's name. It understands the
// keyword reports of caller-ID modems ("NMBR = 5551234567", "NAME: JOHN"), the caller-ID
// data messages (single and multiple data message format) as raw bytes and written out
// as hexadecimal text, and the "+1," lines of the Rochelle caller-ID units.

#include <array>
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr const char* kOutOfArea = "Out of Area";
inline constexpr const char* kBlockedByCaller = "Blocked by Caller";

// Ring count values besides the number of rings heard.
inline constexpr int kNoCall = 0;
inline constexpr int kReportComplete = 1000;  // the caller-ID report of the call is in
inline constexpr int kCallScheduled = -1;     // the call has its page: rings no longer count

// A call is over when no ring came for longer than this.
inline constexpr std::time_t kCallEndSeconds = 10;
// A report that stops in the middle (a modem that goes quiet, a length byte that
// promises more than ever comes) is abandoned after this much silence.
inline constexpr std::time_t kReportSilenceSeconds = 5;
// Longest number or name kept, and longest report line (a hexadecimal multiple data
// message of 258 bytes is 516 characters).
inline constexpr std::size_t kMaxFieldLength = 80;
inline constexpr std::size_t kMaxLineLength = 520;

class ICallerIdEvents {
public:
    virtual ~ICallerIdEvents() = default;
    // A call starts: the pop-up opens when it is wanted and not already open.
    virtual void PopupRequested() = 0;
    virtual void NumberChanged(const std::string& number) = 0;
    virtual void NameChanged(const std::string& name) = 0;
};

// The settings the parser depends on, read by its owner at the moment of use.
struct CallerIdOptions {
    int numberRings = 3;          // "NumberRings"; 0: the call is complete with its report
    bool reportOnlyUnit = false;  // the ANI-323 unit: it sends a data message and no rings
};

class CCallerIdState {
public:
    enum class Mode { Scanning, Number, Name, ReportLine, RawMessage };

    explicit CCallerIdState(ICallerIdEvents& events) : m_events(events) {}

    void SetOptions(const CallerIdOptions& options) { m_options = options; }
    void Feed(char byte, std::time_t now);
    void Feed(std::string_view bytes, std::time_t now);
    // Ends a call whose last ring is too old, and a report that went silent.
    void Age(std::time_t now);
    // A new line: a report half read from the old one is dropped.
    void DropPartialReport();

    int RingCount() const { return m_ringCount; }
    void SetRingCount(int count) { m_ringCount = count; }
    std::time_t LastRingTime() const { return m_lastRingTime; }
    const std::string& Number() const { return m_number; }
    const std::string& Name() const { return m_name; }
    Mode CurrentMode() const { return m_mode; }
    std::size_t BufferedBytes() const { return m_line.size() + m_message.size(); }

    // Number and name as the data messages give them: control and 8-bit bytes become
    // spaces, so that nothing but plain text reaches a page, a log or a modem.
    static std::string CleanText(std::string_view text);
    // The checksum rule of the data messages: every byte, the checksum included, adds
    // up to 0 modulo 256.
    static bool ChecksumValid(std::string_view message);

private:
    void Shift(char byte);
    void ClearWindow();
    bool WindowAt(int position, std::string_view text) const;
    bool AtLineStart() const;
    void Scan(std::time_t now);
    void Ring(std::time_t now);
    void NumberByte(char byte);
    void NameByte(char byte, std::time_t now);
    void LineByte(char byte, std::time_t now);
    void RawByte(char byte, std::time_t now);
    void CompleteReport(std::time_t now);
    void StartMode(Mode mode);

    void ParseLine(std::string_view line);
    void ParseUnitLine(std::string_view fields);
    void ParseMessage(std::string_view message);
    void ParseMultipleMessage(std::string_view message);
    void SetNumberReason(char reason);

    ICallerIdEvents& m_events;
    CallerIdOptions m_options;
    std::array<unsigned char, 5> m_window {};  // the last five bytes, the newest at 4
    int m_held = 0;                           // how many of them have arrived
    int m_ringCount = kNoCall;
    std::time_t m_lastRingTime = 0;
    std::time_t m_lastByteTime = 0;
    std::string m_number;
    std::string m_name;
    Mode m_mode = Mode::Scanning;
    std::string m_line;
    std::string m_message;
};

}  // namespace corvane
