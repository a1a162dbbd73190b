#include "pim/pim_monitor.h"

#include <algorithm>

#include "engine/page_log.h"
#include "pim/caldav_source.h"
#include "pim/ics_file_source.h"

namespace corvane {
namespace {

constexpr int kFilesId = 1;
constexpr int kServerId = 2;

}  // namespace

CPimMonitor::CPimMonitor(PimMonitorDeps deps) : m_d(deps) {}

CPimMonitor::~CPimMonitor() = default;

bool CPimMonitor::Apply()
{
    if (m_busy) {
        // A calendar is being read or a reminder paged: the change is made when it is done.
        m_applyPending = true;
        return m_d.settings.IsOn(key::ScheduleReminders);
    }
    if (!m_d.settings.IsOn(key::ScheduleReminders)) {
        Stop();
        return false;
    }
    Select(kFilesId, m_d.settings.IsOn(key::SPlusMonitor));
    Select(kServerId, m_d.settings.IsOn(key::OutlookMonitor));
    std::vector<Note> notes;
    for (Calendar& calendar : m_calendars) {
        if (calendar.connected) continue;
        std::string failure = calendar.source->Connect();
        calendar.connected = failure.empty();
        // The selection stays: the calendar is tried again at every scan.
        if (!calendar.connected) Collect(calendar, {failure}, MbIcon::Error, notes);
    }
    m_on = true;
    Show(notes);
    return true;
}

void CPimMonitor::Select(int id, bool selected)
{
    auto found = std::find_if(m_calendars.begin(), m_calendars.end(), [id](const Calendar& c) { return c.id == id; });
    if (!selected) {
        if (found == m_calendars.end()) return;
        m_calendars.erase(found);
        std::vector<CPimReminder> others;
        for (const CPimReminder& r : m_queue.Reminders())
            if (r.source != id) others.push_back(r);
        m_queue.Replace(std::move(others));
        return;
    }
    if (found != m_calendars.end()) return;
    Calendar calendar;
    calendar.id = id;
    if (id == kFilesId) calendar.source = std::make_unique<CIcsFileSource>(m_d.settings, m_d.pump, id);
    else calendar.source = std::make_unique<CCalDavSource>(m_d.settings, m_d.pump, m_d.clock, id);
    m_calendars.push_back(std::move(calendar));
    std::sort(m_calendars.begin(), m_calendars.end(), [](const Calendar& a, const Calendar& b) { return a.id < b.id; });
}

void CPimMonitor::Stop()
{
    if (m_busy) {
        m_applyPending = true;
        return;
    }
    m_on = false;
    m_scanDue = false;
    m_calendars.clear();
    m_queue.Clear();
}

bool CPimMonitor::ApplyIfPending()
{
    if (!m_applyPending) return false;
    m_applyPending = false;
    Apply();
    return true;
}

void CPimMonitor::Tick(CPageQueue& queue, CPagerList& pagers, const MessageTexts& texts, long scanSeconds)
{
    if (!m_on || m_busy || queue.pageInProgress) return;
    // What is due goes out before a scan rebuilds the queue (a scan leaves out what is due
    // this very second). At the start of monitoring the scan comes first: reminders that
    // fell due while nobody monitored are not paged.
    const bool starting = m_scanDue;
    if (!starting) FireHead(queue, pagers, texts, m_d.clock.Now());
    if (!m_on || m_busy || queue.pageInProgress) return;
    const std::time_t now = m_d.clock.Now();
    if (!starting && now - m_lastScan <= scanSeconds) return;
    m_scanDue = false;
    m_lastScan = now;
    std::vector<Note> notes;
    m_busy = true;
    Scan(now, notes);
    m_busy = false;
    if (ApplyIfPending()) return;
    // Shown once the scan is over, so that ticks while a box is up can page.
    Show(notes);
    if (starting) FireHead(queue, pagers, texts, m_d.clock.Now());
}

void CPimMonitor::Scan(std::time_t now, std::vector<Note>& notes)
{
    std::erase_if(m_fired, [now](const CPimReminder& r) { return r.reminderTime < now; });
    std::vector<CPimReminder> reminders;
    for (Calendar& calendar : m_calendars) {
        if (!calendar.connected) {
            std::string failure = calendar.source->Connect();
            if (!failure.empty()) {
                Collect(calendar, {failure}, MbIcon::Error, notes);
                KeepQueued(calendar.id, reminders);
                continue;
            }
            calendar.connected = true;
        }
        SourceScan scan = calendar.source->Scan(now);
        if (scan.read) {
            for (CPimReminder& r : scan.reminders)
                if (!FiredAlready(r)) reminders.push_back(std::move(r));
            if (scan.problems.empty()) calendar.shown.clear();
        } else {
            // Not reachable now: what it gave last time is still the best there is.
            KeepQueued(calendar.id, reminders);
        }
        Collect(calendar, scan.problems, scan.read ? MbIcon::Warning : MbIcon::Error, notes);
    }
    m_queue.Replace(std::move(reminders));
    for (const CPimReminder& r : m_queue.Reminders())
        m_d.view.SetStatus(std::string(r.task ? "Processing task alarm at " : "Processing appointment alarm at ") +
                           FormatLocalTime("%b %d, %Y  %H:%M", r.reminderTime));
    m_d.view.ResetStatus();
}

void CPimMonitor::KeepQueued(int id, std::vector<CPimReminder>& into) const
{
    for (const CPimReminder& r : m_queue.Reminders())
        if (r.source == id) into.push_back(r);
}

bool CPimMonitor::FiredAlready(const CPimReminder& reminder) const
{
    for (const CPimReminder& fired : m_fired)
        if (fired.reminderTime == reminder.reminderTime && fired.source == reminder.source &&
            fired.start == reminder.start && fired.text == reminder.text)
            return true;
    return false;
}

void CPimMonitor::Collect(Calendar& calendar, const std::vector<std::string>& problems, MbIcon icon,
                          std::vector<Note>& notes)
{
    for (const std::string& problem : problems)
        if (calendar.shown.insert(problem).second) notes.push_back({problem, icon});
}

void CPimMonitor::Show(const std::vector<Note>& notes)
{
    for (const Note& note : notes) m_d.messageBox.Show(note.text, kCalendarCaption, note.icon, MbButtons::Ok);
}

void CPimMonitor::FireHead(CPageQueue& queue, CPagerList& pagers, const MessageTexts& texts, std::time_t now)
{
    if (!m_on || m_busy || queue.pageInProgress) return;
    CPimReminder* due = m_queue.NextDue(now);
    if (!due) return;
    ReminderDeliveryContext context{queue,       pagers,  m_d.files, m_d.ports,    m_d.transports,
                                    m_d.view,    m_d.pump, m_d.clock, texts.pimPrefix};
    m_busy = true;
    ReminderOutcome outcome = DeliverReminder(context, *due);
    m_busy = false;
    if (outcome == ReminderOutcome::Failed) {
        // Tried again for the pagers that do not have it yet, after a pause: a line that is
        // down is not dialled (and logged) every second, and the reminders behind it go out.
        due->retryAt = m_d.clock.Now() + kReminderRetrySeconds;
    } else {
        m_fired.push_back(*due);
        m_queue.Remove(due);
    }
    ApplyIfPending();
}

}  // namespace corvane
