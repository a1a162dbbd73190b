#include "engine/request_outcomes.h"

#include <fcntl.h>
#include <unistd.h>

namespace corvane {
namespace {

void SyncFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;  // a log that is switched off by its absence
    ::fdatasync(fd);
    ::close(fd);
}

}  // namespace

void CRequestOutcomes::Taken(const PageRequestList& requests, int mode)
{
    if (m_spool) m_spool->Taken(requests, mode);
}

void CRequestOutcomes::Expect(const PagerRecord& entry, std::uint64_t requestId)
{
    if (!m_spool || requestId == 0) return;
    m_requestOf[&entry] = requestId;
    ++m_undecided[requestId];
}

void CRequestOutcomes::Settled(std::uint64_t requestId)
{
    if (m_spool && requestId != 0 && !m_undecided.count(requestId)) Release(requestId);
}

void CRequestOutcomes::Decided(const PagerRecord& entry)
{
    auto it = m_requestOf.find(&entry);
    if (it == m_requestOf.end()) return;
    const std::uint64_t id = it->second;
    m_requestOf.erase(it);
    if (--m_undecided[id] > 0) return;
    m_undecided.erase(id);
    Release(id);
}

void CRequestOutcomes::EndRun(bool cancelledByUser)
{
    if (!cancelledByUser) return;
    for (const auto& [id, count] : m_undecided) Release(id);
    m_undecided.clear();
    m_requestOf.clear();
}

void CRequestOutcomes::Release(std::uint64_t id)
{
    // The log lines reach the disk before the request leaves it.
    SyncFile(m_log.PageLogPath());
    SyncFile(m_log.ErrorLogPath());
    m_spool->Release(id);
}

}  // namespace corvane
