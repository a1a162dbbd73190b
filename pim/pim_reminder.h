#pragma once
// A reminder of the user's calendar that falls due while the program monitors, and the
// queue of them in time order.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

struct CPimReminder {
    std::time_t reminderTime = 0;
    std::optional<std::time_t> start;  // an appointment's start and end; a task may have none
    std::optional<std::time_t> end;
    std::string text;                  // the item's subject
    bool task = false;
    int source = 0;                    // which calendar it came from
    std::vector<std::int16_t> paged;   // pagers that have it already; a retry pages only the others
    std::time_t retryAt = 0;           // after a failed page: not before this time

    bool operator==(const CPimReminder&) const = default;
};

// Reminders in ascending reminder time; reminders of the same time keep the order in
// which their calendars gave them.
class CPimReminderQueue {
public:
    // The reminders of one scan, replacing all earlier ones.
    void Replace(std::vector<CPimReminder> reminders);
    const std::vector<CPimReminder>& Reminders() const { return m_reminders; }
    bool Empty() const { return m_reminders.empty(); }
    // The first reminder due by now that is not waiting to be tried again, or null.
    CPimReminder* NextDue(std::time_t now);
    void Remove(const CPimReminder* reminder);
    void Clear() { m_reminders.clear(); }

private:
    std::vector<CPimReminder> m_reminders;
};

// The page texts. Alphanumeric: "HH:MM-HH:MM subject" with a start, the subject alone
// without one. Numeric: the start (or the reminder time) as "HHMM". hour24 is
// "ContentTimeFormat" "1"; otherwise the hours count to 12.
std::string ReminderAlphaText(const CPimReminder& reminder, bool hour24);
std::string ReminderNumericText(const CPimReminder& reminder, bool hour24);

}  // namespace corvane
