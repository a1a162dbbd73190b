#pragma once
// The page spool: one file per accepted request in a folder of the data directory, written
// and flushed to the disk (the file, then the folder) before the request is acknowledged,
// and removed once the outcome of each of its pages is in the page log or the error log.
// At the next start the requests left there are queued again in their order, so a request
// whose delivery a crash cut off is sent again: a page may arrive twice, never not at all.
//
// One file per request rather than one journal: a damaged file costs only its own
// request (a journal's damaged length word hides every record behind it), a removal is
// one unlink with nothing to compact, and the cost of a request is the same two flushes.
//
//   <folder>/000000000042.req   a request (engine/spool_entry.h), named by its id
//   <folder>/000000000043.tmp   a request being written; never acknowledged, removed at start
//   <folder>/damaged/           entries that could not be read, moved aside at start
//   <folder>/lock               held (flock) while a program uses the folder

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/clock.h"
#include "engine/page_request.h"
#include "engine/request_spool.h"

namespace corvane {

// What an earlier run left in the spool.
struct SpoolStart {
    PageRequestList requests;   // intact requests, in the order they were accepted
    int sendMode = kSendNone;   // the run that sends them (0: they all wait for a send)
    std::vector<std::string> damaged;  // "moved to <path>", or "<path> (left in place: <why>)"
};

class CPageSpool final : public IRequestSpool {
public:
    // folder ends with '/'.
    CPageSpool(std::string folder, const IClock& clock);
    ~CPageSpool() override;
    CPageSpool(const CPageSpool&) = delete;
    CPageSpool& operator=(const CPageSpool&) = delete;

    // Makes the folder, takes it for this program and reads what an earlier run left.
    SpoolStart Open();

    bool Keep(PageRequest& request, int sendMode) override;
    void SendRequested(const PageRequestList& waiting, int mode) override;
    void Taken(const PageRequestList& requests, int mode) override;
    void Release(std::uint64_t id) override;
    std::vector<SpooledRequest> Pending() const override;

    // The message about a spool that cannot be written, once each time it stops working;
    // false when there is nothing new to say.
    bool TakeWarning(std::string& text);
    bool Ready() const { return m_dirFd >= 0; }
    const std::string& Folder() const { return m_folder; }
    std::string PathOf(std::uint64_t id) const;

private:
    bool Prepare(std::string& problem);
    void ReadLeftovers(SpoolStart& start);
    void MoveAside(const std::string& name, SpoolStart& start);
    bool Write(const SpooledRequest& entry, bool fresh, std::string& problem);
    void Rewrite(SpooledRequest& entry, int mode);
    void Failed(const std::string& problem);

    std::string m_folder;
    const IClock& m_clock;
    int m_dirFd = -1;
    int m_lockFd = -1;
    std::uint64_t m_nextId = 1;
    std::map<std::uint64_t, SpooledRequest> m_pending;
    std::size_t m_waiting = 0;  // pending requests that wait for a send
    bool m_failing = false;
    bool m_warningDue = false;
    std::string m_warning;
};

inline constexpr const char* kSpoolCaption = "Page Spool Error";

// The message about the entries an Open() moved aside.
std::string DamagedEntriesMessage(const std::vector<std::string>& damaged);

}  // namespace corvane
