#include "pim/reminder_source.h"

namespace corvane {
namespace {

std::string Capitalized(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace

std::string DamagedItemsText(const std::string& where, std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " item" : " items") + " of " + where +
           " could not be read; their reminders will not be paged.";
}

std::string RepeatsCutText(const std::string& where)
{
    return "Some items of " + where + " repeat too often to be paged: only their earliest reminders will be paged.";
}

std::string NotACalendarText(const std::string& where)
{
    return Capitalized(where) + " holds no iCalendar data; it has no reminders to page.";
}

std::string TooLargeText(const std::string& where)
{
    return Capitalized(where) + " is larger than 64 MB and was not read; its reminders will not be paged.";
}

void NoteProblems(const CalendarNotes& notes, const std::string& where, SourceScan& scan)
{
    if (!notes.calendar) scan.problems.push_back(NotACalendarText(where));
    if (notes.damaged) scan.problems.push_back(DamagedItemsText(where, notes.damaged));
    if (notes.cut) scan.problems.push_back(RepeatsCutText(where));
}

}  // namespace corvane
