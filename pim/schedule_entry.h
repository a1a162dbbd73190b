#pragma once
// The date and time a user types for a scheduled page, and the schedule made of the
// Schedule Page dialog's fields.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pim/local_time.h"
#include "pim/scheduled_page.h"

namespace corvane {

// What the dialog holds: the send date as month, day and two-digit year, the time as
// "12:00p", and the repeat choices.
struct ScheduleFields {
    std::string month{};
    std::string day{};
    std::string year{};  // two digits: below 39 is 20xx, otherwise 19xx
    std::string time{};  // "9:30a", "12:00p", "17:45"
    std::int16_t unit = kUnitNone;
    std::string interval{};   // the box of the chosen unit
    std::string remaining{};  // the number before "more time(s)"
    bool limited = false;
    bool skipIfMissed = false;
    std::int16_t messageSource = kSourcePagerSetting;
    std::string alphaText{};
    std::string numericText{};
    std::vector<std::int32_t> pagers{};
};

struct ScheduleEntry {
    CScheduledPage page;
    int timeOfDay = 0;  // the typed time, seconds after midnight
    std::string error;  // why the fields make no schedule; empty when they do
};

// The typed date as a local date; nullopt for a date that does not exist.
std::optional<WallTime> ParseScheduleDate(const std::string& month, const std::string& day, const std::string& year);
// The typed time: "a" and "p" after the minutes make a 12-hour time (12 with "a" is
// midnight); without them the hour counts to 23. Seconds are 0.
std::optional<int> ParseScheduleTime(const std::string& time);

ScheduleEntry MakeSchedule(const ScheduleFields& fields);

inline constexpr const char* kScheduleCaption = "Schedule Page";
inline constexpr const char* kBadDateText = "Please enter a valid send date: month, day and a two-digit year.";
inline constexpr const char* kBadTimeText = "Please enter a valid send time, such as 9:30a or 2:15p.";
inline constexpr const char* kLateDateText = "This date is too far ahead: pages can be scheduled up to January 18, 2038.";
inline constexpr const char* kBadCountText = "Please enter a number from 1 to 32767.";

}  // namespace corvane
