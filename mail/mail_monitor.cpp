#include "mail/mail_monitor.h"

#include <algorithm>

#include "mail/mail_status.h"

namespace corvane {
namespace {

class CHold {
public:
    explicit CHold(bool& flag) : m_flag(flag) { m_flag = true; }
    ~CHold() { m_flag = false; }
    CHold(const CHold&) = delete;
    CHold& operator=(const CHold&) = delete;

private:
    bool& m_flag;
};

}  // namespace

bool CMailMonitor::Apply(bool keepSession)
{
    if (!m.settings.IsOn(key::MailMonitor)) {
        m_on = false;
        if (m.inbox && !keepSession) m.inbox->Logoff();
        return false;
    }
    if (!m.inbox || !m.inbox->Installed()) {
        m_on = false;
        // Stored before the box: the tick runs while it is up.
        m.settings.Write(key::MailMonitor, "0");
        m.messageBox.Show(kMailNotInstalledText, kMailNotInstalledCaption, MbIcon::Warning, MbButtons::Ok);
        return false;
    }
    m_on = true;
    if (m_busy) return true;  // a scan is logging on already
    // Switched on (or the program started): a logon that fails is told, whatever was told before.
    m_problemShown = false;
    int status;
    {
        CHold hold(m_busy);
        status = LogOn();
    }
    ShowLogonProblem(status);
    return true;
}

void CMailMonitor::StartMonitoring()
{
    m_started = true;
    m_lastScan = 0;
}

void CMailMonitor::EmptySeenLists()
{
    m_list = CSeenMailList{};
    m_hasList = false;
    m_watchSince = 0;
    ++m_generation;
}

void CMailMonitor::Tick(long intervalSeconds)
{
    if (!m_on || !m_started || m_busy) return;
    const std::time_t now = m.clock.Now();
    if (m_lastScan != 0 && now - m_lastScan <= std::max(intervalSeconds, kMinMailScanSeconds)) return;
    m_lastScan = now;
    Scan(now);
}

void CMailMonitor::Scan(std::time_t now)
{
    const std::uint64_t generation = m_generation;
    int logon;
    InboxScanOutcome outcome;
    {
        CHold hold(m_busy);
        logon = LogOn();
        if (logon == kMailOk) {
            outcome = ScanInbox({*m.inbox, m.filters, m.pagers, m.settings}, m_hasList ? &m_list : nullptr,
                                m_watchSince, now);
        }
    }
    // Cut off, or the user came back or monitoring ended meanwhile: nothing of it counts.
    const bool failed = logon != kMailOk || outcome.status != kMailOk;
    if (failed || generation != m_generation || !m_started) {
        // The first scan of the period could not be made: mail that comes from now on is
        // new to the scan that can.
        if (failed && !m_hasList && m_watchSince == 0 && generation == m_generation) m_watchSince = now;
        ShowLogonProblem(logon);
        return;
    }

    {
        CHold hold(m_busy);
        if (!outcome.pages.empty()) m.deliver(outcome.pages);
        NoteDelivery(outcome);
        MarkDealtWith(outcome);
    }
    // Emptied while the pages went out: the next scan starts a list of its own.
    if (generation != m_generation) return;
    m_list = std::move(outcome.list);
    m_hasList = true;
    m_watchSince = 0;
}

// A message whose page failed is looked at again at the next scan, and then paged to the
// pagers that do not have it yet.
void CMailMonitor::NoteDelivery(InboxScanOutcome& outcome)
{
    for (const MailPagerPages& pager : outcome.pages.pagers) {
        for (const MailPage& page : pager.pages) {
            CSeenMail* entry = outcome.list.Find(page.message);
            if (!entry) continue;
            if (page.failed) entry->seen = false;
            else entry->paged.push_back(pager.pager.Code);
        }
    }
    for (CSeenMail& entry : outcome.list.entries)
        if (entry.seen) entry.paged.clear();
}

// With "MAPIMarkRead" on, a message is marked read once it has been dealt with: a message
// whose page failed stays unread, so that the next scan still finds it.
void CMailMonitor::MarkDealtWith(const InboxScanOutcome& outcome)
{
    if (m.settings.Get(key::MAPIMarkRead) == "0") return;
    for (std::uint32_t uid : outcome.dealtWith) {
        const CSeenMail* entry = outcome.list.Find(uid);
        if (entry && entry->seen) m.inbox->MarkRead(uid);
    }
}

int CMailMonitor::LogOn()
{
    if (m.inbox->LoggedOn()) return kMailOk;
    int status = m.inbox->Logon();
    if (status == kMailOk) m_problemShown = false;
    return status;
}

// Once until a logon succeeds again: the monitor keeps trying at every scan.
void CMailMonitor::ShowLogonProblem(int status)
{
    if (status == kMailOk || status == kMailCancelled || m_problemShown) return;
    m_problemShown = true;
    std::string text = MailLogonErrorText(status, m.inbox->LastError());
    if (text.empty())
        text = status == kMailLoginFailure ? "The mail password or name is not valid."
                                           : "Error attempting to open the mail session.  Please insure your mail "
                                             "software is installed correctly.";
    m.messageBox.Show(text, kMailErrorCaption, MbIcon::Warning, MbButtons::Ok);
}

}  // namespace corvane
