#include "pim/schedule_advance.h"

#include <algorithm>

#include "pim/local_time.h"
#include "pim/schedule_file.h"

namespace corvane {
namespace {

WallTime AtTimeOfDay(WallTime date, int timeOfDay)
{
    date.hour = timeOfDay / 3600;
    date.minute = timeOfDay / 60 % 60;
    date.second = timeOfDay % 60;
    return date;
}

std::time_t MoveBySeconds(std::time_t next, std::time_t now, long long step)
{
    long long behind = static_cast<long long>(now) - next;
    long long steps = behind < 0 ? 1 : behind / step + 1;
    return static_cast<std::time_t>(next + steps * step);
}

std::time_t MoveByDays(std::time_t next, std::time_t now, long days, int timeOfDay)
{
    const WallTime from = ToWallTime(next);
    auto at = [&](long long steps) { return ToInstant(AtTimeOfDay(AddDays(from, static_cast<long>(steps * days)), timeOfDay)); };
    // Whole days are exact in the calendar, so a long stop is caught up in one jump; a
    // daylight-saving change moves an occurrence by an hour at most.
    long long behind = static_cast<long long>(now) - next;
    long long steps = std::max<long long>(1, behind / (days * 86400LL) - 1);
    while (at(steps) <= now) ++steps;
    return at(steps);
}

std::time_t MoveByMonths(std::time_t next, std::time_t now, long months, int timeOfDay)
{
    // Month by month: a day that the month lacks rolls over into the next month, and the
    // months after follow from that day.
    WallTime wall = ToWallTime(next);
    std::time_t moved = next;
    do {
        wall = AddMonths(wall, months);
        moved = ToInstant(AtTimeOfDay(wall, timeOfDay));
    } while (moved <= now && moved <= kLastStorableTime);
    return moved;
}

}  // namespace

bool MoveOn(CScheduledPage& page, std::time_t now, int timeOfDay)
{
    if (page.limited && --page.remaining < 0) page.unit = kUnitNone;
    if (page.unit < kUnitMinute || page.unit > kUnitMonth) return false;
    if (page.interval < 1) page.interval = 1;

    const long interval = page.interval;
    switch (page.unit) {
    case kUnitMinute: page.nextTime = MoveBySeconds(page.nextTime, now, interval * 60LL); break;
    case kUnitHour: page.nextTime = MoveBySeconds(page.nextTime, now, interval * 3600LL); break;
    case kUnitDay: page.nextTime = MoveByDays(page.nextTime, now, interval, timeOfDay); break;
    case kUnitWeek: page.nextTime = MoveByDays(page.nextTime, now, interval * 7, timeOfDay); break;
    default: page.nextTime = MoveByMonths(page.nextTime, now, interval, timeOfDay); break;
    }
    return page.nextTime <= kLastStorableTime;
}

}  // namespace corvane
