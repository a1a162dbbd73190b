#pragma once
// Wall-clock times of the local time zone and the instants they name. A schedule keeps
// its wall-clock time across daylight-saving changes, so the conversion has to say what
// happens to a time the clock skips (spring) or shows twice (autumn).

#include <ctime>

namespace corvane {

struct WallTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;

    int SecondsOfDay() const { return hour * 3600 + minute * 60 + second; }
    bool operator==(const WallTime&) const = default;
};

WallTime ToWallTime(std::time_t when);

// The first instant at which the local clock shows the wall time: the earlier of the two
// in a fold, and the end of the gap (the first valid time after it) in a gap.
std::time_t ToInstant(const WallTime& wall);

// The date moved by whole days or months; a day past the end of its month rolls over into
// the next (31 January plus one month is 3 March, or 2 March in a leap year).
WallTime AddDays(WallTime wall, long days);
WallTime AddMonths(WallTime wall, long months);

int DaysInMonth(int year, int month);

}  // namespace corvane
