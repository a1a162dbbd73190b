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

CPimReminder* CPimReminderQueue::NextDue(std::time_t now)
{
    for (CPimReminder& r : m_reminders) {
        if (r.reminderTime > now) return nullptr;
        if (r.retryAt <= now) return &r;
    }
    return nullptr;
}

void CPimReminderQueue::Remove(const CPimReminder* reminder)
{
    std::erase_if(m_reminders, [reminder](const CPimReminder& r) { return &r == reminder; });
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
