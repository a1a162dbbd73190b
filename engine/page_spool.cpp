#include "engine/page_spool.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/file_io.h"

namespace corvane {
namespace {

// Released records are left to pile up until they are this much of a journal that
// still holds pending requests.
constexpr std::uint64_t kRewriteAtBytes = 1024 * 1024;

std::string Reason(const std::string& path, int error)
{
    return path + ": " + std::strerror(error);
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
// that what is written into it does not vanish with it.
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

bool WriteAll(int fd, std::string_view bytes)
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

// Where the next whole record starts, from `from` on; npos when none does.
std::size_t NextWholeRecord(std::string_view bytes, std::size_t from)
{
    JournalRecord record;
    std::size_t size = 0;
    for (std::size_t at = bytes.find(kJournalMark, from); at != std::string_view::npos;
         at = bytes.find(kJournalMark, at + 1))
        if (ReadJournalRecord(bytes.substr(at), record, size) == RecordRead::Whole) return at;
    return std::string_view::npos;
}

}  // namespace

CPageSpool::CPageSpool(std::string folder, const IClock& clock) : m_folder(std::move(folder)), m_clock(clock) {}

CPageSpool::~CPageSpool()
{
    for (int fd : {m_journalFd, m_dirFd, m_lockFd})
        if (fd >= 0) ::close(fd);
}

SpoolStart CPageSpool::Open()
{
    SpoolStart start;
    std::string problem;
    if (!Prepare(start, problem)) {
        Failed(problem);
        return start;
    }
    for (const auto& [id, held] : m_pending) {
        const SpooledRequest& r = held.request;
        start.requests.push_back(PageRequest{r.origin, r.name, r.phoneOverride, r.idOverride, r.message, id});
        start.sendMode = std::max(start.sendMode, r.sendMode);
    }
    return start;
}

bool CPageSpool::Prepare(SpoolStart& start, std::string& problem)
{
    if (m_journalFd >= 0) return true;
    if (!TakeFolder(problem)) return false;
    Load(start);
    return m_journalFd >= 0 || OpenJournal(m_size, problem);
}

bool CPageSpool::TakeFolder(std::string& problem)
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
        // Two programs on one folder would each send the other's requests again.
        if (::flock(m_lockFd, LOCK_EX | LOCK_NB) != 0) {
            problem = errno == EWOULDBLOCK ? m_folder + ": used by another running copy of the program"
                                           : Reason(lock, errno);
            ::close(m_lockFd);
            m_lockFd = -1;
            return false;
        }
    }
    m_dirFd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_dirFd < 0) problem = Reason(m_folder, errno);
    return m_dirFd >= 0;
}

void CPageSpool::Load(SpoolStart& start)
{
    ::unlink((m_folder + "journal.new").c_str());  // a rewrite cut off: the journal is whole
    std::string bytes;
    ReadWholeFile(JournalPath(), bytes);
    const std::string_view all(bytes);
    std::size_t at = 0;
    std::size_t whole = 0;  // where the records end that a rewrite may replace
    bool allSaved = true;
    std::map<std::uint64_t, Held> left;
    std::uint64_t lastId = 0;
    while (at < all.size()) {
        JournalRecord record;
        std::size_t size = 0;
        const RecordRead read = ReadJournalRecord(all.substr(at), record, size);
        if (read == RecordRead::Whole) {
            Apply(record, size, left);
            lastId = std::max(lastId, record.request.id);
            whole = at += size;
            continue;
        }
        const std::size_t next = NextWholeRecord(all, at + 1);
        // The end of an append that a crash cut off, before it was acknowledged.
        if (read == RecordRead::Incomplete && next == std::string_view::npos) break;
        const std::size_t end = next == std::string_view::npos ? all.size() : next;
        allSaved = SaveDamaged(all.substr(at, end - at), at, start) && allSaved;
        whole = at = end;
    }
    m_size = whole;
    // At start the requests keep their ids. A spool that starts working late already has
    // requests of its own in memory: what an earlier run left goes after their ids, and
    // is sent at the next start.
    const bool late = !m_pending.empty();
    if (!late) m_nextId = std::max(m_nextId, lastId + 1);
    for (auto& [id, held] : left) {
        if (late) held.request.id = m_nextId++;
        m_pending.emplace(held.request.id, std::move(held));
    }
    m_waiting = static_cast<std::size_t>(std::count_if(
        m_pending.begin(), m_pending.end(), [](const auto& entry) { return entry.second.request.sendMode == kSendNone; }));

    // Damage that could not be saved stays where it is, for the next start to try again.
    std::string problem;
    if (allSaved && Rewrite(problem)) return;
    OpenJournal(whole, problem);
}

void CPageSpool::Apply(const JournalRecord& record, std::size_t bytes, std::map<std::uint64_t, Held>& left)
{
    const std::uint64_t id = record.request.id;
    auto it = left.find(id);
    switch (record.kind) {
    case JournalKind::Request:
        if (it == left.end()) left.emplace(id, Held{record.request, bytes});
        break;
    case JournalKind::SendMode:
        if (it != left.end()) it->second.request.sendMode = record.request.sendMode;
        break;
    case JournalKind::Released:
        if (it != left.end()) left.erase(it);
        break;
    }
}

bool CPageSpool::SaveDamaged(std::string_view bytes, std::size_t offset, SpoolStart& start)
{
    const std::string folder = m_folder + "damaged/";
    const std::string name =
        folder + "journal-" + std::to_string(static_cast<long long>(m_clock.Now())) + "-" + std::to_string(offset);
    ::mkdir(folder.c_str(), 0700);
    std::string path = name;
    int fd = -1;
    for (int n = 1; (fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)) < 0 && errno == EEXIST;
         ++n)
        path = name + "." + std::to_string(n);
    const bool saved = fd >= 0 && WriteAll(fd, bytes) && ::fdatasync(fd) == 0;
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (saved && SyncFolder(folder)) {
        start.damaged.push_back("moved to " + path);
        return true;
    }
    start.damaged.push_back(std::to_string(bytes.size()) + " bytes at " + std::to_string(offset) + " of " +
                            JournalPath() + " (left in place: " + std::strerror(error) + ")");
    return false;
}

// The journal as it is, its first `keep` bytes kept (a cut-off append after them goes).
bool CPageSpool::OpenJournal(std::size_t keep, std::string& problem)
{
    const bool existed = ::access(JournalPath().c_str(), F_OK) == 0;
    const int fd = ::open(JournalPath().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(keep)) != 0 || (!existed && ::fsync(m_dirFd) != 0)) {
        problem = Reason(JournalPath(), errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    m_journalFd = fd;
    m_size = keep;
    return true;
}

// A new journal of only the pending requests takes the old one's place.
bool CPageSpool::Rewrite(std::string& problem)
{
    std::string records;
    for (auto& [id, held] : m_pending) {
        if (!held.request.kept) continue;  // refused where it came from, or only held in memory
        const std::string record = EncodeRequestRecord(held.request);
        held.bytes = record.size();
        records += record;
    }
    const std::string part = m_folder + "journal.new";
    const int fd = ::open(part.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 || !WriteAll(fd, records) || ::fdatasync(fd) != 0 ||
        ::rename(part.c_str(), JournalPath().c_str()) != 0) {
        problem = Reason(part, errno);
        if (fd >= 0) ::close(fd);
        ::unlink(part.c_str());
        return false;
    }
    // Should the new name be lost, the old journal comes back: the same requests, and
    // some released ones that are then sent once more.
    ::fsync(m_dirFd);
    if (m_journalFd >= 0) ::close(m_journalFd);
    m_journalFd = fd;
    m_size = m_liveBytes = records.size();
    return true;
}

bool CPageSpool::Append(const std::string& record, bool flush, std::string& problem)
{
    if (WriteAll(m_journalFd, record) && (!flush || ::fdatasync(m_journalFd) == 0)) {
        m_size += record.size();
        return true;
    }
    problem = Reason(JournalPath(), errno);
    // A record that is not surely whole on the disk is not there: the next one follows
    // the last that is.
    [[maybe_unused]] const int cut = ::ftruncate(m_journalFd, static_cast<off_t>(m_size));
    return false;
}

bool CPageSpool::Keep(PageRequest& request, int sendMode)
{
    if (sendMode == kSendByOrigin) sendMode = request.origin == kOriginCommand ? kSendCommand : kSendInteractive;
    // A spool that could not be used at start is tried again; what an earlier run left in
    // it then waits for the next start (damage in it is reported now). Its ids come first.
    // A journal removed under the running program is made again, with what is pending.
    if (!StillThere()) Reset();
    SpoolStart late;
    std::string problem;
    const bool ready = Prepare(late, problem);
    if (!late.damaged.empty()) m_notices.push_back(DamagedEntriesMessage(late.damaged));

    Held held{SpooledRequest{m_nextId++, request.origin, request.name, request.phoneOverride, request.idOverride,
                             request.message, sendMode, m_clock.Now(), false, false},
              0};
    request.spoolId = held.request.id;
    const std::string record = ready ? EncodeRequestRecord(held.request) : std::string();
    held.request.kept = ready && Append(record, true, problem);
    if (held.request.kept) {
        held.bytes = record.size();
        m_liveBytes += held.bytes;
        m_failing = false;
    } else {
        Failed(problem);
    }
    if (sendMode == kSendNone) ++m_waiting;
    const bool kept = held.request.kept;
    m_pending.emplace(held.request.id, std::move(held));
    return kept;
}

bool CPageSpool::StillThere() const
{
    struct stat st {};
    return m_journalFd < 0 || (::fstat(m_journalFd, &st) == 0 && st.st_nlink > 0);
}

void CPageSpool::Reset()
{
    for (int* fd : {&m_journalFd, &m_dirFd, &m_lockFd}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    m_size = m_liveBytes = 0;
}

void CPageSpool::SetMode(Held& held, int mode)
{
    held.request.sendMode = mode;
    --m_waiting;
    std::string problem;
    if (held.request.kept && !Append(EncodeSendModeRecord(held.request.id, mode), true, problem)) Failed(problem);
}

void CPageSpool::SendRequested(const PageRequestList& waiting, int mode)
{
    if (m_waiting == 0 || mode == kSendNone) return;
    for (const PageRequest& request : waiting) {
        auto it = m_pending.find(request.spoolId);
        if (it != m_pending.end() && it->second.request.sendMode == kSendNone && !it->second.request.sending)
            SetMode(it->second, mode);
    }
}

void CPageSpool::Taken(const PageRequestList& requests, int mode)
{
    for (const PageRequest& request : requests) {
        auto it = m_pending.find(request.spoolId);
        if (it == m_pending.end()) continue;
        it->second.request.sending = true;
        if (it->second.request.sendMode == kSendNone && mode != kSendNone) SetMode(it->second, mode);
    }
}

void CPageSpool::Release(std::uint64_t id)
{
    auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    const Held held = std::move(it->second);
    m_pending.erase(it);
    if (held.request.sendMode == kSendNone) --m_waiting;
    if (!held.request.kept || m_journalFd < 0) return;
    m_liveBytes -= std::min<std::uint64_t>(m_liveBytes, held.bytes);

    // Not flushed: should the release be lost, the request is only sent once more.
    std::string problem;
    if (m_pending.empty()) {
        if (::ftruncate(m_journalFd, 0) == 0) m_size = m_liveBytes = 0;
    } else if (Append(EncodeReleasedRecord(id), false, problem) && m_size > kRewriteAtBytes &&
               m_size > 2 * m_liveBytes) {
        Rewrite(problem);
    }
}

std::vector<SpooledRequest> CPageSpool::Pending() const
{
    std::vector<SpooledRequest> pending;
    pending.reserve(m_pending.size());
    for (const auto& [id, held] : m_pending) pending.push_back(held.request);
    return pending;
}

void CPageSpool::Failed(const std::string& problem)
{
    if (m_failing) return;
    m_failing = true;
    m_notices.push_back("The page spool cannot be written (" + problem +
                        ").  Until it can, requests from other programs and command files are refused; other pages "
                        "are still sent, but are lost if the program ends before they are delivered.");
}

bool CPageSpool::TakeWarning(std::string& text)
{
    if (m_notices.empty()) return false;
    text = std::move(m_notices.front());
    m_notices.pop_front();
    return true;
}

std::string DamagedEntriesMessage(const std::vector<std::string>& damaged)
{
    std::string text = "The page spool held requests that could not be read.  They were not sent: ";
    for (std::size_t i = 0; i < damaged.size(); ++i) text += (i ? ", " : "") + damaged[i];
    return text + ".";
}

}  // namespace corvane
