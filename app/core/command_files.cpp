#include "app/core/command_files.h"

#include <cerrno>
#include <fcntl.h>
#include <glob.h>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "app/core/page_command.h"

namespace corvane {
namespace {

using FileId = std::pair<dev_t, ino_t>;

class CFile {
public:
    // Non-blocking, so that a FIFO among the matches cannot stall the tick.
    explicit CFile(const std::string& path) : m_fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~CFile() { if (m_fd >= 0) ::close(m_fd); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    int fd() const { return m_fd; }
private:
    int m_fd;
};

class CScanner {
public:
    CScanner(CPageQueue& queue, ICommandShell& shell) : m_queue(queue), m_shell(shell) {}
    void Process(const std::string& path, int depth);
    const CommandFileScan& result() const { return m_result; }

private:
    using Taken = std::vector<std::uint64_t>;
    int ReadLines(int fd, int depth, Taken& taken);
    int TakeLine(std::string& line, int depth, Taken& taken);

    CPageQueue& m_queue;
    ICommandShell& m_shell;
    std::set<FileId> m_inProgress;
    CommandFileScan m_result;
};

void CScanner::Process(const std::string& path, int depth)
{
    CFile file(path);
    if (file.fd() < 0) return;  // gone, or not readable: nothing happens
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode)) return;
    const FileId id{st.st_dev, st.st_ino};
    if (m_inProgress.count(id)) {
        ++m_result.namesIgnored;  // names itself, or a file that names it back
        return;
    }
    // The writer holds an exclusive lock until the file is complete.
    if (::flock(file.fd(), LOCK_SH | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) ++m_result.filesLocked;
        return;
    }
    ::fcntl(file.fd(), F_SETFL, ::fcntl(file.fd(), F_GETFL) & ~O_NONBLOCK);  // a regular file

    m_inProgress.insert(id);
    Taken taken;
    const int commands = ReadLines(file.fd(), depth, taken);
    m_inProgress.erase(id);
    if (m_result.refused) {
        // The spool could not keep one of its commands: the file stays whole for a later
        // scan, and what it gave so far is taken back, so that nothing is sent twice.
        for (std::uint64_t request : taken) m_queue.Withdraw(request);
        m_result.pageCommands -= static_cast<int>(taken.size());
        return;
    }
    if (commands == 0) return;  // a file without page commands stays in place

    if (::unlink(path.c_str()) == 0) ++m_result.filesDeleted;
    m_queue.RequestSend(kSendCommand);
    m_shell.ShowQueueCount(static_cast<int>(m_queue.requests.size()));
}

// Returns the number of page commands taken from this file itself.
int CScanner::ReadLines(int fd, int depth, Taken& taken)
{
    std::vector<char> chunk(16 * 1024);
    std::string line;
    bool tooLong = false;
    int commands = 0;
    while (!m_result.refused) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        for (ssize_t i = 0; i < n; ++i) {
            const char c = chunk[static_cast<std::size_t>(i)];
            if (c == '\n') {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (tooLong) {
                    ++m_result.linesSkipped;
                } else {
                    commands += TakeLine(line, depth, taken);
                }
                line.clear();
                tooLong = false;
            } else if (!tooLong) {
                line += c;
                // One more byte than the limit, to allow for the CR of a CR LF.
                if (line.size() > kMaxCommandLineBytes + 1) {
                    tooLong = true;
                    std::string().swap(line);
                }
            }
        }
    }
    if (tooLong) {
        ++m_result.linesSkipped;
    } else if (!line.empty()) {
        commands += TakeLine(line, depth, taken);  // the last line, without a line end
    }
    return commands;
}

int CScanner::TakeLine(std::string& line, int depth, Taken& taken)
{
    if (m_result.refused) return 0;
    if (line.size() > kMaxCommandLineBytes) {
        ++m_result.linesSkipped;
        return 0;
    }
    if (line.size() >= 2 && line[0] == '\\' && line[1] == '\\') {
        if (depth + 1 >= kMaxCommandFileDepth) {
            ++m_result.namesIgnored;
            return 0;
        }
        Process(line.substr(2), depth + 1);
        return 0;
    }
    if (line.find('/') == std::string::npos) return 0;
    std::uint64_t request = 0;
    if (!m_queue.QueueKept(PageCommandRequest(line), kSendCommand, &request)) {
        m_result.refused = true;
        return 0;
    }
    taken.push_back(request);
    ++m_result.pageCommands;
    return 1;
}

bool IsDirectory(const char* path)
{
    struct stat st {};
    return ::stat(path, &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

CommandFileScan ScanCommandFiles(const std::string& specification, CPageQueue& queue, ICommandShell& shell)
{
    CScanner scanner(queue, shell);
    if (specification.empty()) return scanner.result();

    glob_t found {};
    const int rc = ::glob(specification.c_str(), 0, nullptr, &found);
    if (rc == 0) {
        for (std::size_t i = 0; i < found.gl_pathc; ++i)
            if (!IsDirectory(found.gl_pathv[i])) scanner.Process(found.gl_pathv[i], 0);
    } else if (rc == GLOB_NOMATCH) {
        scanner.Process(specification, 0);  // a file name that holds wildcard characters
    }
    ::globfree(&found);
    return scanner.result();
}

}  // namespace corvane
