// Any bytes as a calendar file: cut into items, parsed, repetitions worked out, within
// the limits of a scan; never a crash, a hang or a reminder outside the window.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pim/calendar_reader.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::time_t kNow = 1714989600;  // 05/06/24 10:00 UTC
    // A smaller budget of repetitions than a real scan's, so that each input runs quickly.
    ReminderWindow window{kNow, kNow + 90 * 86400, true, 20000};
    CCalendarReader reader(window, 1);
    reader.Read(text);
    CalendarReading reading = reader.Take();
    if (reading.reminders.size() > kMaxReminders) __builtin_trap();
    for (const CPimReminder& r : reading.reminders)
        if (r.reminderTime < window.from || r.reminderTime > window.to) __builtin_trap();
    return 0;
}
