#pragma once
// SCHEDS.DAT: schedule records back to back, no header. Each starts with a layout
// version; writers always write version 4, readers take versions 1 to 4 (and read any
// other number as version 1).

#include <string>
#include <string_view>
#include <vector>

#include "pim/scheduled_page.h"

namespace corvane {

struct ScheduleReadResult {
    std::vector<CScheduledPage> schedules;  // the whole records before any damage
    bool damaged = false;                   // a record was cut short or held a bad string
};

ScheduleReadResult ReadSchedules(std::string_view bytes);
std::string WriteSchedules(const std::vector<CScheduledPage>& schedules);

// The next times the file can hold: 13 December 1901 to 19 January 2038 (UTC).
inline constexpr std::time_t kFirstStorableTime = -2147483647 - 1;
inline constexpr std::time_t kLastStorableTime = 2147483647;

}  // namespace corvane
