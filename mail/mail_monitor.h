#pragma once
// The e-mail monitor: while the program monitors, the inbox is looked at every
// "MailScanMinutes", and every new message that a mail filter takes is paged to the
// pagers that receive e-mail monitor pages. The first scan of a monitoring period only
// remembers what is in the inbox.
//
// A mail server that cannot be reached never switches mail paging off: the user's switch
// and its stored "1" stay, the problem is shown once, and each scan tries again. A scan
// that is cut off (the server fails or stops answering) counts for nothing: the next
// one looks at the same messages again, so nothing is paged twice or lost. A message
// whose page failed is paged again at the next scan.

#include <cstdint>
#include <ctime>
#include <functional>
#include <utility>

#include "common/clock.h"
#include "common/message_box.h"
#include "directory/pager_list.h"
#include "mail/inbox_scan.h"
#include "mail/mail_filter_list.h"
#include "mail/mail_inbox.h"
#include "mail/mail_pages.h"
#include "mail/seen_mail.h"
#include "settings/settings.h"

namespace corvane {

struct MailMonitorDeps {
    ISettings& settings;
    IMessageBox& messageBox;
    const IClock& clock;
    IMailInbox* inbox;  // null: no mail system
    const CMailFilterList& filters;
    const CPagerList& pagers;
    // Delivers a scan's pages without boxes and marks each page that did not go out.
    std::function<void(MailPageSet&)> deliver;
};

// The shortest time between two scans.
inline constexpr long kMinMailScanSeconds = 60;

inline constexpr const char* kMailNotInstalledText = "EMail is not installed in your system.";
inline constexpr const char* kMailNotInstalledCaption = "EMail Error";

class CMailMonitor {
public:
    explicit CMailMonitor(MailMonitorDeps deps) : m(std::move(deps)) {}

    // "MailMonitor" applied: true when the switch is on. On without a mail system: the
    // "not installed" message and "0" stored. On with one: logged on (a logon that fails
    // is shown once and tried again at each scan). Off: logged off unless keepSession.
    bool Apply(bool keepSession);
    // Monitoring has begun: the first scan comes at the next tick.
    void StartMonitoring();
    // Monitoring has ended: a scan under way delivers nothing, and none starts.
    void StopMonitoring() { m_started = false; }
    // The lists of mail already seen are forgotten (the user is back; shut-down).
    void EmptySeenLists();
    // The tick while monitoring: a scan when more than the interval has passed since the
    // last (the first at once). Does nothing while a scan (or the logon) is under way.
    void Tick(long intervalSeconds);

    bool On() const { return m_on; }
    bool Busy() const { return m_busy; }
    bool HasSeenList() const { return m_hasList; }
    const CSeenMailList& SeenList() const { return m_list; }

private:
    void Scan(std::time_t now);
    int LogOn();
    void ShowLogonProblem(int status);
    void NoteDelivery(InboxScanOutcome& outcome);
    void MarkDealtWith(const InboxScanOutcome& outcome);

    MailMonitorDeps m;
    CSeenMailList m_list;
    bool m_hasList = false;
    std::uint64_t m_generation = 0;  // counts the emptyings, so a scan under way can tell
    bool m_on = false;
    bool m_started = false;
    bool m_busy = false;
    bool m_problemShown = false;     // the logon problem since the last good logon
    std::time_t m_lastScan = 0;
    std::time_t m_watchSince = 0;    // without a list: mail received after this is new (0: none)
};

}  // namespace corvane
