#pragma once
// An iCalendar text cut into pieces that can be read one at a time, so that a very large
// calendar never has to be held by the parser as a whole: the time zone definitions, and
// the events and tasks grouped by UID (a repeating item travels with the occurrences it
// overrides). Only the lines that begin and end components and the UID lines are looked
// at here; everything else is left to the parser.

#include <cstddef>
#include <string_view>
#include <vector>

namespace corvane {

struct IcsPieces {
    std::vector<std::string_view> timezones;            // whole VTIMEZONE blocks
    std::vector<std::vector<std::string_view>> items;   // whole VEVENT and VTODO blocks, by UID
    std::size_t damaged = 0;   // blocks without their END, nested too deep, or too large
    bool calendar = false;     // a VCALENDAR began somewhere
};

// Components nested deeper than this inside an item are damage (a real item holds
// alarms, nothing deeper).
inline constexpr int kMaxItemDepth = 4;
// An item (with its overrides) larger than this is damage: pictures or files sent
// inline, never a reminder.
inline constexpr std::size_t kMaxItemBytes = 1 << 20;

IcsPieces SplitIcs(std::string_view text);

}  // namespace corvane
