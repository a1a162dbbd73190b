#pragma once
// What happens to a schedule once its time has come: its repeat count goes down and its
// next time moves on past now, by its unit and interval.

#include <ctime>

#include "pim/scheduled_page.h"

namespace corvane {

// After the schedule fired (or its missed occurrence was dropped): counts the occurrence
// and moves the next time on to the first occurrence later than now, at least one
// interval on, so that an occurrence exactly on time is never sent twice. Days, weeks
// and months keep the wall-clock time of day timeOfDay (seconds after local midnight)
// across daylight-saving changes. False when the schedule has ended: it does not repeat,
// its count is used up, or its next time lies beyond what the schedule file can hold.
bool MoveOn(CScheduledPage& page, std::time_t now, int timeOfDay);

}  // namespace corvane
