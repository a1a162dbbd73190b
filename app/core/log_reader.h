#pragma once
// Reads the page log or the error log as the log viewer lists them: one entry for every
// line that starts with a timestamp and names its pager before a ":", the message
// running up to the next timestamp line. The file is read once when it is opened; only
// the offsets and the list texts are kept, and a message is read again when asked for,
// so logs of hundreds of thousands of entries open quickly.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// Length of a log line's timestamp with its trailing blank ("03/07/01 09:05AM ").
inline constexpr std::size_t kLogStampLength = 17;

// The 16 characters at p look like "03/07/01 09:05AM": "/" at the 3rd and 6th, ":" at
// the 12th and "M" at the 16th place.
bool IsLogTimestamp(const char* p);

struct LogEntry {
    std::string text;             // the timestamp and the head, "03/07/01 09:05AM Error 5 To John"
    std::uint64_t messageOffset;  // just after the ": " that ends the head
    std::uint64_t messageEnd;     // the next timestamp line, or the end of the file
};

class CLogReader {
public:
    CLogReader() = default;
    ~CLogReader();
    CLogReader(const CLogReader&) = delete;
    CLogReader& operator=(const CLogReader&) = delete;

    // Lists the file's entries and keeps it open for their messages. A file that cannot
    // be opened gives no entries (and false).
    bool Open(const std::string& path);
    void Close();

    const std::string& Path() const { return m_path; }
    const std::vector<LogEntry>& Entries() const { return m_entries; }
    std::size_t size() const { return m_entries.size(); }

    // The entry's message without the line break that ends it. Lines of a message
    // that spans several lines keep their own breaks.
    std::string ReadMessage(std::size_t index) const;

    // Empties the file (same name, same permissions) and the list. False when the file
    // could not be emptied: then the list stays as it was.
    bool Clear();

private:
    void Scan();

    std::string m_path;
    int m_fd = -1;
    std::vector<LogEntry> m_entries;
};

// The entries of a log's bytes, scanned in pieces of chunk bytes as a file is read; the
// result does not depend on where the pieces end.
std::vector<LogEntry> ScanLogEntries(std::string_view bytes, std::size_t chunk);

// The pager name a resubmitted entry is sent to: the head without its timestamp, and
// for an error-log entry ("Error 5 To John") the name after " To ".
std::string ResubmitName(std::string_view entryText);

}  // namespace corvane
