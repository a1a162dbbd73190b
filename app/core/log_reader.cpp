#include "app/core/log_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace corvane {

namespace {

constexpr std::size_t kStampTest = 16;  // the characters the timestamp test looks at
constexpr std::size_t kChunk = 1 << 20;

// Where the scan stands in the current line.
enum class Where {
    Stamp,  // collecting the first 17 characters of a line
    Head,   // after a timestamp, up to the ":"
    Blank,  // the character after the ":"
    Body,   // anywhere else: the rest of a message line or a line without a timestamp
};

// The scan, fed the file chunk by chunk. A timestamp only counts at the start of a
// line: the writer always starts its records there, and a message that quotes a date
// and time ("called at 03/07/01 09:05AM") must not be cut in two.
class CEntryScanner {
public:
    explicit CEntryScanner(std::vector<LogEntry>& entries) : m_entries(entries) {}

    void Feed(const char* data, std::size_t size)
    {
        const char* end = data + size;
        for (const char* p = data; p < end; ++p, ++m_offset) {
            const char c = *p;
            switch (m_where) {
            case Where::Stamp:
                if (m_stampLength == kStampTest && c == '\n') {
                    SkipEntry(c);
                    break;
                }
                if (c == '\n') {
                    StartLine();
                    break;
                }
                m_stamp[m_stampLength++] = c;
                if (m_stampLength == kStampTest && !IsLogTimestamp(m_stamp)) m_where = Where::Body;
                if (m_stampLength == kStampTest && m_where == Where::Stamp) EndMessage(m_offset + 1 - kStampTest);
                if (m_stampLength == kLogStampLength) {
                    m_head.assign(m_stamp, kLogStampLength);
                    m_where = Where::Head;
                }
                break;
            case Where::Head:
                // A line break before the ":" is no entry head.
                if (c == ':') m_where = Where::Blank;
                else if (c == '\r' || c == '\n') SkipEntry(c);
                else m_head.push_back(c);
                break;
            case Where::Blank:
                AddEntry(m_offset + 1);
                if (c == '\n') StartLine();
                else m_where = Where::Body;
                break;
            case Where::Body: {
                const void* lineEnd = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
                if (!lineEnd) {
                    m_offset += static_cast<std::uint64_t>(end - p) - 1;
                    p = end - 1;
                    break;
                }
                m_offset += static_cast<std::uint64_t>(static_cast<const char*>(lineEnd) - p);
                p = static_cast<const char*>(lineEnd);
                StartLine();
                break;
            }
            }
        }
    }

    void Finish()
    {
        // A head whose ":" is the file's last character still names an (empty) message.
        if (m_where == Where::Blank) AddEntry(m_offset);
        EndMessage(m_offset);
    }

private:
    void StartLine()
    {
        m_where = Where::Stamp;
        m_stampLength = 0;
    }
    void SkipEntry(char c)
    {
        if (c == '\n') StartLine();
        else m_where = Where::Body;
    }
    void AddEntry(std::uint64_t messageOffset)
    {
        m_entries.push_back({std::move(m_head), messageOffset, messageOffset});
        m_head.clear();
        m_open = true;
    }
    // Every timestamp line ends the message before it, listed or not.
    void EndMessage(std::uint64_t at)
    {
        if (m_open) m_entries.back().messageEnd = at;
        m_open = false;
    }

    std::vector<LogEntry>& m_entries;
    Where m_where = Where::Stamp;
    char m_stamp[kLogStampLength] = {};
    std::size_t m_stampLength = 0;
    std::string m_head;
    std::uint64_t m_offset = 0;
    bool m_open = false;  // the last entry's message still runs
};

}  // namespace

bool IsLogTimestamp(const char* p)
{
    return p[2] == '/' && p[5] == '/' && p[11] == ':' && p[15] == 'M';
}

CLogReader::~CLogReader()
{
    Close();
}

bool CLogReader::Open(const std::string& path)
{
    Close();
    m_path = path;
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0) return false;
    Scan();
    return true;
}

void CLogReader::Close()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_entries.clear();
}

void CLogReader::Scan()
{
    CEntryScanner scanner(m_entries);
    std::string buffer(kChunk, '\0');
    for (;;) {
        ssize_t n = ::read(m_fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        scanner.Feed(buffer.data(), static_cast<std::size_t>(n));
    }
    scanner.Finish();
}

std::vector<LogEntry> ScanLogEntries(std::string_view bytes, std::size_t chunk)
{
    std::vector<LogEntry> entries;
    CEntryScanner scanner(entries);
    for (std::size_t at = 0; at < bytes.size(); at += chunk)
        scanner.Feed(bytes.data() + at, std::min(chunk, bytes.size() - at));
    scanner.Finish();
    return entries;
}

std::string CLogReader::ReadMessage(std::size_t index) const
{
    if (index >= m_entries.size() || m_fd < 0) return {};
    const LogEntry& entry = m_entries[index];
    std::string text(static_cast<std::size_t>(entry.messageEnd - entry.messageOffset), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::pread(m_fd, text.data() + done, text.size() - done,
                            static_cast<off_t>(entry.messageOffset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;  // the file was emptied meanwhile: what is left
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    // The line end written after the message ("\n", or CR LF from older logs), also
    // after the file's last message: a resubmitted page must not carry it along.
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

bool CLogReader::Clear()
{
    int fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    m_entries.clear();
    return true;
}

std::string ResubmitName(std::string_view entryText)
{
    std::string_view head = entryText.size() > kLogStampLength ? entryText.substr(kLogStampLength) : "";
    if (head.size() > 7 && head.substr(0, 6) == "Error ") {
        std::size_t to = head.find(" To ");
        if (to != std::string_view::npos) head = head.substr(to + 4);
    }
    return std::string(head);
}

}  // namespace corvane
