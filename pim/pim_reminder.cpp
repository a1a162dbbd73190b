#include "pim/pim_reminder.h"

#include <algorithm>

#include "engine/page_log.h"

namespace corvane {

void CPimReminderQueue::Replace(std::vector<CPimReminder> reminders)
{
    m_reminders = std::move(reminders);
    std::stable_sort(m_reminders.begin(), m_reminders.end(),
                     [](const CPimReminder& a, const CPimReminder& b) { return a.reminderTime < b.reminderTime; });
}

std::string ReminderAlphaText(const CPimReminder& reminder, bool hour24)
{
    if (!reminder.start) return reminder.text;
    std::time_t end = reminder.end.value_or(*reminder.start);
    return FormatLocalTime(hour24 ? "%H:%M-" : "%I:%M-", *reminder.start) +
           FormatLocalTime(hour24 ? "%H:%M " : "%I:%M ", end) + reminder.text;
}

std::string ReminderNumericText(const CPimReminder& reminder, bool hour24)
{
    return FormatLocalTime(hour24 ? "%H%M" : "%I%M", reminder.start.value_or(reminder.reminderTime));
}

}  // namespace corvane
