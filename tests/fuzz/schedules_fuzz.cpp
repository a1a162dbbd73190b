// Any bytes as SCHEDS.DAT: the reader keeps whole records only, never reads past the
// data, and what it keeps is written back (as version 4) and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "pim/schedule_file.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ScheduleReadResult read = ReadSchedules(bytes);
    ScheduleReadResult again = ReadSchedules(WriteSchedules(read.schedules));
    if (again.damaged || again.schedules != read.schedules) __builtin_trap();
    return 0;
}
