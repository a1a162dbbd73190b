#pragma once
// The PIM reminder monitor: while the program monitors, the calendars the preferences
// select are read every "ScanMinutes" into a queue of reminders, and the reminder at the
// head is paged when its time comes.
//
// A calendar that cannot be reached never switches reminder paging off: its message is
// shown once, its reminders of the last good scan stay queued, and it is tried again at
// the next scan.

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "common/message_box.h"
#include "directory/message_texts.h"
#include "pim/pim_reminder.h"
#include "pim/reminder_delivery.h"
#include "pim/reminder_source.h"
#include "settings/settings.h"

namespace corvane {

struct PimMonitorDeps {
    ISettings& settings;
    IMessageBox& messageBox;
    IMainView& view;
    IEventPump& pump;
    const IClock& clock;
    IPagePorts& ports;
    ITransports& transports;
    const DataFiles& files;
};

// A reminder whose page failed is tried again after this pause.
inline constexpr std::time_t kReminderRetrySeconds = 30;

class CPimMonitor {
public:
    explicit CPimMonitor(PimMonitorDeps deps);
    ~CPimMonitor();
    CPimMonitor(const CPimMonitor&) = delete;
    CPimMonitor& operator=(const CPimMonitor&) = delete;

    // "ScheduleReminders" applied: on, with the selected calendars ("SPlusMonitor" the
    // calendar files, "OutlookMonitor" the calendar server) connected, or off with them
    // released. Returns whether reminder paging is on.
    bool Apply();
    // Off, the calendars released and the queue emptied (the switch off, shut-down).
    void Stop();
    // Monitoring has begun: the calendars are read at the next step.
    void StartMonitoring() { m_scanDue = true; }
    // The tick's step while monitoring: the first reminder whose time has come paged, and
    // a scan when one is due. Safe to call again from a tick that runs while
    // this one waits (it then does nothing).
    void Tick(CPageQueue& queue, CPagerList& pagers, const MessageTexts& texts, long scanSeconds);

    bool On() const { return m_on; }
    const CPimReminderQueue& Queue() const { return m_queue; }

private:
    struct Calendar {
        std::unique_ptr<IReminderSource> source;
        int id = 0;
        bool connected = false;
        std::set<std::string> shown;  // problems shown and not cleared by a good scan since
    };
    struct Note {
        std::string text;
        MbIcon icon;
    };

    void Select(int id, bool selected);
    void Scan(std::time_t now, std::vector<Note>& notes);
    void Collect(Calendar& calendar, const std::vector<std::string>& problems, MbIcon icon, std::vector<Note>& notes);
    void KeepQueued(int id, std::vector<CPimReminder>& into) const;
    bool ApplyIfPending();
    void Show(const std::vector<Note>& notes);
    void FireHead(CPageQueue& queue, CPagerList& pagers, const MessageTexts& texts, std::time_t now);
    bool FiredAlready(const CPimReminder& reminder) const;

    PimMonitorDeps m_d;
    std::vector<Calendar> m_calendars;  // the calendar files first, then the server
    CPimReminderQueue m_queue;
    std::vector<CPimReminder> m_fired;  // paged reminders whose time a scan could still find
    std::time_t m_lastScan = 0;
    bool m_on = false;
    bool m_scanDue = false;
    bool m_busy = false;          // scanning or paging: a tick inside it does nothing
    bool m_applyPending = false;  // the switch changed while busy
};

}  // namespace corvane
