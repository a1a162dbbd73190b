#pragma once
// The page spool: an append-only journal in a folder of the data directory. Each accepted
// request is appended and flushed to the disk before it is acknowledged; once the outcome
// of each of its pages is in the page log or the error log, a record says it is released.
// At the next start the requests still pending are queued again in their order, so a
// request whose delivery a crash cut off is sent again: a page may arrive twice, never
// not at all.
//
// One journal rather than a file per request: a request costs one append and one flush,
// where a file of its own costs a create, a rename, two flushes and an unlink later (on a
// tmpfs that is as much as the whole round trip of a command), and a release is a plain
// append. Damage costs only the records it touches: every record carries its mark and
// checksum, so a reader that meets damage finds the next whole record and reads on, and
// the damaged bytes are moved aside. The journal is emptied whenever nothing is pending,
// and rewritten with only the pending requests at each start and when released records
// fill most of it.
//
//   <folder>/journal        the records (engine/journal_record.h)
//   <folder>/journal.new    a rewrite in progress; removed at start
//   <folder>/damaged/       damaged stretches of the journal, moved aside at start
//   <folder>/lock           held (flock) while a program uses the folder

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "engine/journal_record.h"
#include "engine/page_request.h"
#include "engine/request_spool.h"

namespace corvane {

// What an earlier run left in the spool.
struct SpoolStart {
    PageRequestList requests;   // pending requests, in the order they were accepted
    int sendMode = kSendNone;   // the run that sends them: the quietest asked for (0: they all wait)
    std::vector<std::string> damaged;  // "moved to <path>", or "<what> (left in place: <why>)"
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

    // A message for the user (the spool stopped working, once each time; damage found when
    // it started working late); false when there is nothing new to say.
    bool TakeWarning(std::string& text);
    bool Ready() const { return m_journalFd >= 0; }
    std::string JournalPath() const { return m_folder + "journal"; }

private:
    struct Held {
        SpooledRequest request;
        std::size_t bytes = 0;  // its record in the journal
    };

    bool Prepare(SpoolStart& start, std::string& problem);
    bool TakeFolder(std::string& problem);
    void Load(SpoolStart& start);
    static void Apply(const JournalRecord& record, std::size_t bytes, std::map<std::uint64_t, Held>& left);
    bool SaveDamaged(std::string_view bytes, std::size_t offset, SpoolStart& start);
    bool OpenJournal(std::size_t keep, std::string& problem);
    bool Rewrite(std::string& problem);
    bool Append(const std::string& record, bool flush, std::string& problem);
    bool StillThere() const;
    void Reset();
    void SetMode(Held& held, int mode);
    void Failed(const std::string& problem);

    std::string m_folder;
    const IClock& m_clock;
    int m_dirFd = -1;
    int m_lockFd = -1;
    int m_journalFd = -1;
    std::uint64_t m_size = 0;       // of the journal
    std::uint64_t m_liveBytes = 0;  // the pending requests' records in it
    std::uint64_t m_nextId = 1;
    std::map<std::uint64_t, Held> m_pending;
    std::size_t m_waiting = 0;  // pending requests that wait for a send
    bool m_failing = false;
    std::deque<std::string> m_notices;
};

inline constexpr const char* kSpoolCaption = "Page Spool Error";

// The message about damaged stretches that an Open() moved aside.
std::string DamagedEntriesMessage(const std::vector<std::string>& damaged);

}  // namespace corvane
