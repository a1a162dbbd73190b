#include "engine/page_spool.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/file_io.h"
#include "engine/spool_entry.h"

namespace corvane {
namespace {

constexpr const char* kEntrySuffix = ".req";
constexpr const char* kPartSuffix = ".tmp";

std::string Reason(const std::string& path, int error)
{
    return path + ": " + std::strerror(error);
}

std::string EntryName(std::uint64_t id)
{
    char name[32];
    std::snprintf(name, sizeof name, "%012llu", static_cast<unsigned long long>(id));
    return name;
}

// The id of "<digits><suffix>", or 0 when the name is anything else.
std::uint64_t IdOf(const std::string& name, const std::string& suffix)
{
    if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return 0;
    const std::string digits = name.substr(0, name.size() - suffix.size());
    if (digits.size() > 19 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::stoull(digits);
}

bool SyncFolder(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

// Makes every missing folder of path; a folder made here is flushed into its parent, so
// that the entries written into it do not vanish with it.
bool MakeFolders(const std::string& path, std::string& problem)
{
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        const bool last = slash + 1 == path.size();
        if (::mkdir(folder.c_str(), last ? 0700 : 0755) == 0) {
            SyncFolder(folder.substr(0, folder.rfind('/') + 1));
        } else if (errno != EEXIST) {
            problem = Reason(folder, errno);
            return false;
        }
    }
    return true;
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

CPageSpool::CPageSpool(std::string folder, const IClock& clock) : m_folder(std::move(folder)), m_clock(clock) {}

CPageSpool::~CPageSpool()
{
    if (m_dirFd >= 0) ::close(m_dirFd);
    if (m_lockFd >= 0) ::close(m_lockFd);
}

std::string CPageSpool::PathOf(std::uint64_t id) const
{
    return m_folder + EntryName(id) + kEntrySuffix;
}

bool CPageSpool::Prepare(std::string& problem)
{
    if (m_dirFd >= 0) return true;
    if (!MakeFolders(m_folder, problem)) return false;
    if (m_lockFd < 0) {
        const std::string lock = m_folder + "lock";
        m_lockFd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (m_lockFd < 0) {
            problem = Reason(lock, errno);
            return false;
        }
        // Two programs on one folder would each send the other's requests again at start.
        if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
            problem = errno == EWOULDBLOCK ? m_folder + ": used by another running copy of the program"
                                           : Reason(lock, errno);
            ::close(m_lockFd);
            m_lockFd = -1;
            return false;
        }
    }
    m_dirFd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dirFd < 0) {
        problem = Reason(m_folder, errno);
        return false;
    }
    return true;
}

SpoolStart CPageSpool::Open()
{
    SpoolStart start;
    std::string problem;
    if (!Prepare(problem)) {
        Failed(problem);
        return start;
    }
    ReadLeftovers(start);
    for (const PageRequest& request : start.requests)
        start.sendMode = std::max(start.sendMode, m_pending.at(request.spoolId).sendMode);
    return start;
}

void CPageSpool::ReadLeftovers(SpoolStart& start)
{
    std::vector<std::pair<std::uint64_t, std::string>> entries;
    if (DIR* dir = ::opendir(m_folder.c_str())) {
        while (const dirent* found = ::readdir(dir)) {
            const std::string name = found->d_name;
            if (IdOf(name, kPartSuffix) != 0) {
                ::unlink((m_folder + name).c_str());  // cut off before it was acknowledged
            } else if (const std::uint64_t id = IdOf(name, kEntrySuffix); id != 0) {
                entries.emplace_back(id, name);
            }
        }
        ::closedir(dir);
    }
    std::sort(entries.begin(), entries.end());
    if (!entries.empty()) m_nextId = entries.back().first + 1;

    for (const auto& [id, name] : entries) {
        const std::string path = m_folder + name;
        struct stat st {};
        std::string bytes;
        SpooledRequest entry;
        const bool intact = ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                            static_cast<std::uint64_t>(st.st_size) <= kMaxSpoolBodyBytes + 64 &&
                            ReadWholeFile(path, bytes) && DecodeSpoolEntry(bytes, entry) && entry.id == id;
        if (!intact) {
            MoveAside(name, start);
            continue;
        }
        if (entry.sendMode == kSendNone) ++m_waiting;
        start.requests.push_back(PageRequest{entry.origin, entry.name, entry.phoneOverride, entry.idOverride,
                                             entry.message, id});
        m_pending.emplace(id, std::move(entry));
    }
}

void CPageSpool::MoveAside(const std::string& name, SpoolStart& start)
{
    const std::string from = m_folder + name;
    const std::string folder = m_folder + "damaged/";
    ::mkdir(folder.c_str(), 0700);
    std::string to = folder + name;
    for (int n = 1; ::access(to.c_str(), F_OK) == 0; ++n) to = folder + name + "." + std::to_string(n);
    if (::rename(from.c_str(), to.c_str()) == 0) {
        start.damaged.push_back("moved to " + to);
    } else {
        start.damaged.push_back(from + " (left in place: " + std::strerror(errno) + ")");
    }
}

bool CPageSpool::Write(const SpooledRequest& entry, bool fresh, std::string& problem)
{
    const std::string part = m_folder + EntryName(entry.id) + kPartSuffix;
    const std::string path = PathOf(entry.id);
    const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        problem = Reason(part, errno);
        return false;
    }
    // The entry reaches the disk before its name does, and the name before the answer.
    bool written = WriteAll(fd, EncodeSpoolEntry(entry)) && ::fdatasync(fd) == 0;
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (written && ::rename(part.c_str(), path.c_str()) != 0) {
        written = false;
        error = errno;
    }
    if (written && ::fsync(m_dirFd) != 0) {
        // A new entry that is not surely on the disk is not kept; a rewritten one keeps
        // its place, under either contents.
        problem = Reason(m_folder, errno);
        if (fresh) ::unlink(path.c_str());
        return false;
    }
    if (!written) {
        ::unlink(part.c_str());
        problem = Reason(part, error);
    }
    return written;
}

bool CPageSpool::Keep(PageRequest& request, int sendMode)
{
    if (sendMode == kSendByOrigin) sendMode = request.origin == kOriginCommand ? kSendCommand : kSendInteractive;
    SpooledRequest entry{m_nextId++, request.origin, request.name, request.phoneOverride, request.idOverride,
                         request.message, sendMode, m_clock.Now(), false, false};
    request.spoolId = entry.id;
    std::string problem;
    entry.kept = Prepare(problem) && Write(entry, true, problem);
    if (entry.kept) {
        m_failing = false;
    } else {
        Failed(problem);
    }
    if (sendMode == kSendNone) ++m_waiting;
    const bool kept = entry.kept;
    m_pending.emplace(entry.id, std::move(entry));
    return kept;
}

void CPageSpool::Rewrite(SpooledRequest& entry, int mode)
{
    entry.sendMode = mode;
    --m_waiting;
    std::string problem;
    if (entry.kept && !Write(entry, false, problem)) Failed(problem);
}

void CPageSpool::SendRequested(const PageRequestList& waiting, int mode)
{
    if (m_waiting == 0 || mode == kSendNone) return;
    for (const PageRequest& request : waiting) {
        auto it = m_pending.find(request.spoolId);
        if (it != m_pending.end() && it->second.sendMode == kSendNone && !it->second.sending)
            Rewrite(it->second, mode);
    }
}

void CPageSpool::Taken(const PageRequestList& requests, int mode)
{
    for (const PageRequest& request : requests) {
        auto it = m_pending.find(request.spoolId);
        if (it == m_pending.end()) continue;
        it->second.sending = true;
        if (it->second.sendMode == kSendNone && mode != kSendNone) Rewrite(it->second, mode);
    }
}

void CPageSpool::Release(std::uint64_t id)
{
    auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    // Not flushed: should the removal be lost, the request is only sent once more.
    ::unlink(PathOf(id).c_str());
    if (it->second.sendMode == kSendNone) --m_waiting;
    m_pending.erase(it);
}

std::vector<SpooledRequest> CPageSpool::Pending() const
{
    std::vector<SpooledRequest> pending;
    pending.reserve(m_pending.size());
    for (const auto& [id, entry] : m_pending) pending.push_back(entry);
    return pending;
}

void CPageSpool::Failed(const std::string& problem)
{
    m_warning = "The page spool cannot be written (" + problem +
                ").  Until it can, requests from other programs and command files are refused; other pages are "
                "still sent, but are lost if the program ends before they are delivered.";
    if (m_failing) return;
    m_failing = true;
    m_warningDue = true;
}

bool CPageSpool::TakeWarning(std::string& text)
{
    if (!m_warningDue) return false;
    m_warningDue = false;
    text = m_warning;
    return true;
}

std::string DamagedEntriesMessage(const std::vector<std::string>& damaged)
{
    std::string text = "The page spool held requests that could not be read.  They were not sent: ";
    for (std::size_t i = 0; i < damaged.size(); ++i) text += (i ? ", " : "") + damaged[i];
    return text + ".";
}

}  // namespace corvane
