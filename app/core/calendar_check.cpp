#include "app/core/calendar_check.h"

#include "pim/caldav_source.h"
#include "settings/mail_password.h"
#include "settings/memory_settings.h"

namespace corvane {

CalendarCheck CheckCalendarServer(const std::string& url, const std::string& user, const std::string& password,
                                  IEventPump& pump, const IClock& clock)
{
    // The typed values, not the stored ones: the user tests before pressing OK.
    CMemorySettings typed;
    typed.Write(key::CalendarUrl, url);
    typed.Write(key::ScheduleName, user);
    WriteMailPassword(typed, password);
    CCalDavSource source(typed, pump, clock, 0);
    if (std::string failure = source.Connect(); !failure.empty()) return {false, failure};

    SourceScan scan = source.Scan(clock.Now());
    if (!scan.read) {
        if (scan.problems.empty()) return {false, "The test of the calendar server was cancelled."};
        // The user who tests wants to know why no server answered, in the transfer's words.
        if (!source.TransferError().empty()) return {false, scan.problems.front() + "\n\n" + source.TransferError()};
        return {false, scan.problems.front()};
    }
    const std::size_t count = scan.reminders.size();
    std::string text = "The calendar server answered.  " +
                       (count == 1 ? std::string("1 reminder falls") : std::to_string(count) + " reminders fall") +
                       " due in the next 90 days.";
    for (const std::string& problem : scan.problems) text += "\n\n" + problem;
    return {true, text};
}

}  // namespace corvane
