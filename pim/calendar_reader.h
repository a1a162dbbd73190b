#pragma once
// The reminders of an iCalendar text that fall due in a window of time: the alarms of
// events (appointments) and of tasks, repeating items expanded with their exceptions.
// Time and memory are bounded whatever the text holds: items are read one UID at a
// time, repetitions are counted, and only the earliest reminders are kept.

#include <cstddef>
#include <ctime>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "pim/pim_reminder.h"

namespace corvane {

// Limits of one scan, over all the texts it reads.
inline constexpr std::size_t kMaxReminders = 5000;
inline constexpr long kMaxStepsPerRule = 100000;
inline constexpr long kMaxStepsPerScan = 1000000;

struct ReminderWindow {
    std::time_t from = 0;     // now
    std::time_t to = 0;       // the end of what the calendar is asked for
    bool includeFrom = true;  // a reminder due exactly now still counts
    long maxSteps = kMaxStepsPerScan;  // repetitions worked out in all
};

// What one text held besides its reminders.
struct CalendarNotes {
    std::size_t damaged = 0;  // items that could not be read
    bool cut = false;         // repetitions or reminders past the limits were left out
    bool calendar = false;    // the text held a calendar at all
};

struct CalendarReading {
    std::vector<CPimReminder> reminders;  // the earliest ones, in no particular order
    bool cut = false;                     // later reminders were left out
};

class CCalendarReader {
public:
    // source: the number the reminders carry, telling their calendar. pause, when given,
    // is called every so many items, so that the shell's events run during a long read.
    CCalendarReader(const ReminderWindow& window, int source, std::function<void()> pause = {});
    ~CCalendarReader();
    CCalendarReader(const CCalendarReader&) = delete;
    CCalendarReader& operator=(const CCalendarReader&) = delete;

    // Adds the reminders of one text (a calendar file, or the calendars of a server's answer).
    CalendarNotes Read(std::string_view icsText);
    // The earliest kMaxReminders reminders read so far.
    CalendarReading Take();

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

}  // namespace corvane
