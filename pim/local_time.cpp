#include "pim/local_time.h"

#include <algorithm>
#include <chrono>
#include <optional>

namespace corvane {
namespace {

using namespace std::chrono;

std::tm ToTm(const WallTime& wall, int isDst)
{
    std::tm tm{};
    tm.tm_year = wall.year - 1900;
    tm.tm_mon = wall.month - 1;
    tm.tm_mday = wall.day;
    tm.tm_hour = wall.hour;
    tm.tm_min = wall.minute;
    tm.tm_sec = wall.second;
    tm.tm_isdst = isDst;
    return tm;
}

WallTime FromTm(const std::tm& tm)
{
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

// The wall time as a plain count of seconds, to compare wall times across a change.
std::time_t WallSeconds(const WallTime& wall)
{
    std::tm tm = ToTm(wall, 0);
    return timegm(&tm);
}

WallTime FromDays(sys_days days, const WallTime& timeOfDay)
{
    year_month_day ymd(days);
    WallTime wall = timeOfDay;
    wall.year = static_cast<int>(ymd.year());
    wall.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    wall.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    return wall;
}

sys_days ToDays(const WallTime& wall)
{
    // A day past the end of the month counts on into the next one.
    return sys_days(year(wall.year) / month(static_cast<unsigned>(wall.month)) / 1) + days(wall.day - 1);
}

}  // namespace

WallTime ToWallTime(std::time_t when)
{
    std::tm tm{};
    localtime_r(&when, &tm);
    return FromTm(tm);
}

std::time_t ToInstant(const WallTime& wall)
{
    // Standard time and daylight time each give one reading of the wall time; the ones
    // the clock really shows are valid, and the earlier of those comes first.
    std::optional<std::time_t> valid;
    std::time_t candidates[2];
    for (int isDst : {0, 1}) {
        std::tm tm = ToTm(wall, isDst);
        candidates[isDst] = mktime(&tm);
        if (ToWallTime(candidates[isDst]) == wall)
            valid = valid ? std::min(*valid, candidates[isDst]) : candidates[isDst];
    }
    if (valid) return *valid;

    // The clock skips this time: the two readings lie on either side of the change, and
    // the first instant whose wall time is not earlier is where the gap ends.
    std::time_t low = std::min(candidates[0], candidates[1]);
    std::time_t high = std::max(candidates[0], candidates[1]);
    const std::time_t wanted = WallSeconds(wall);
    if (WallSeconds(ToWallTime(high)) < wanted) return high;
    while (high - low > 1) {
        std::time_t middle = low + (high - low) / 2;
        if (WallSeconds(ToWallTime(middle)) >= wanted) high = middle;
        else low = middle;
    }
    return high;
}

WallTime AddDays(WallTime wall, long count)
{
    return FromDays(ToDays(wall) + days(count), wall);
}

WallTime AddMonths(WallTime wall, long count)
{
    year_month ym = year(wall.year) / month(static_cast<unsigned>(wall.month));
    ym += months(count);
    WallTime moved = wall;
    moved.year = static_cast<int>(ym.year());
    moved.month = static_cast<int>(static_cast<unsigned>(ym.month()));
    return FromDays(ToDays(moved), wall);
}

int DaysInMonth(int y, int m)
{
    return static_cast<int>(static_cast<unsigned>((year(y) / month(static_cast<unsigned>(m)) / last).day()));
}

}  // namespace corvane
