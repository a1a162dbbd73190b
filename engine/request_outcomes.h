#pragma once
// Follows each request of a send run through the pager entries it expanded to, so that
// the spool lets go of a request only once the outcome of every one of its pages is
// decided and written to the logs (and flushed to the disk). A run that dies before
// that leaves the request in the spool, to be sent again at the next start.

#include <cstdint>
#include <map>
#include <unordered_map>

#include "directory/pager_record.h"
#include "engine/page_log.h"
#include "engine/page_request.h"

namespace corvane {

class CRequestOutcomes {
public:
    // Without a spool it follows nothing.
    CRequestOutcomes(IRequestSpool* spool, const CPageLog& log) : m_spool(spool), m_log(log) {}

    void Taken(const PageRequestList& requests, int mode);
    // One pager the request expanded to; the record lives as long as the run.
    void Expect(const PagerRecord& entry, std::uint64_t requestId);
    // A request that expanded to nobody, recorded as such.
    void Settled(std::uint64_t requestId);
    // The entry's page is logged (or its log switch is off: its outcome is decided all the same).
    void Decided(const PagerRecord& entry);
    // The run is over. Pages the user's Cancel kept from going out were the user's decision:
    // their requests are let go. Otherwise nothing undecided is let go.
    void EndRun(bool cancelledByUser);

private:
    void Release(std::uint64_t id);

    IRequestSpool* m_spool;
    const CPageLog& m_log;
    std::unordered_map<const PagerRecord*, std::uint64_t> m_requestOf;  // entries not decided yet
    std::map<std::uint64_t, int> m_undecided;                           // by request
};

}  // namespace corvane
