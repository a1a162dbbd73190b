#pragma once
// Where reminders come from: the calendars the preferences select. "OutlookMonitor" is a
// CalDAV calendar (90 days ahead), "SPlusMonitor" .ics files (60 days ahead).

#include <ctime>
#include <string>
#include <vector>

#include "pim/calendar_reader.h"
#include "pim/pim_reminder.h"

namespace corvane {

struct SourceScan {
    bool read = true;  // false: the calendar could not be read now; its earlier reminders stay queued
    std::vector<CPimReminder> reminders;
    std::vector<std::string> problems;  // each shown once, until the calendar reads well again
};

class IReminderSource {
public:
    virtual ~IReminderSource() = default;
    // Whether the calendar can be used: empty when it can, else the message that says why not.
    virtual std::string Connect() = 0;
    virtual SourceScan Scan(std::time_t now) = 0;
};

inline constexpr const char* kCalendarCaption = "Calendar Error";

// The calendar server ("OutlookMonitor").
inline constexpr const char* kServerLoadText =
    "Unable to load the calendar server.  If the calendar server is installed on your system, you may need to "
    "re-install the application.";
inline constexpr const char* kServerLogonText =
    "Unable to log onto your calendar server schedule.  Check the name and password on the PIM Monitoring tab of "
    "the Preferences dialog box.";
inline constexpr const char* kServerCalendarText =
    "Unable to access your calendar server Calendar folder.  If the calendar server is installed on your system, "
    "you may need to re-install the application.";
// The calendar files ("SPlusMonitor").
inline constexpr const char* kFilesLoadText =
    "Unable to load the specified schedule file.  Please check the name provided on the calendar files tab of the "
    "Preferences dialog box.";

// What a scan found wrong with a calendar that could be read; `where` names it in lower
// case ("the calendar server", "the calendar file \"/home/ann/work.ics\"").
std::string DamagedItemsText(const std::string& where, std::size_t count);
std::string RepeatsCutText(const std::string& where);
std::string NotACalendarText(const std::string& where);
std::string TooLargeText(const std::string& where);
// The problems of one text read, added to the scan's.
void NoteProblems(const CalendarNotes& notes, const std::string& where, SourceScan& scan);

// A file or a calendar server's answer larger than this is not read.
inline constexpr std::size_t kMaxCalendarBytes = 64u << 20;

}  // namespace corvane
