// Any bytes as FILTERS.DAT: the reader keeps whole filters only, never reads past the
// data, and what it keeps is written back (in the current form) and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "mail/filter_file.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    FilterReadResult read = ReadFilters(bytes);
    FilterReadResult again = ReadFilters(WriteFilters(read.filters));
    if (again.damaged || again.filters != read.filters) __builtin_trap();
    for (const CMailFilter& filter : read.filters) {
        if (filter.maximumPages < 1) __builtin_trap();
        DescribeFilter(filter);
    }
    return 0;
}
