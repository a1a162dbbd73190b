// Any bytes as a pager file: the reader keeps whole records only, never reads past the
// data, and what it keeps is written back and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "directory/pager_file.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CPagerList list;
    PagerReadResult result = ReadPagerRecords(bytes, list);
    if (result.records != list.size()) __builtin_trap();

    CPagerList again;
    PagerReadResult reread = ReadPagerRecords(WritePagerRecords(list), again);
    if (reread.damaged) __builtin_trap();
    std::size_t j = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        PagerRecord expected = list.at(i);
        if (expected.Code <= 0) continue;  // only local pagers are written
        expected.AutoPageFlags = 0;        // kept in MONITOR.DAT, not here
        if (j >= again.size() || !(again.at(j) == expected)) __builtin_trap();
        ++j;
    }
    if (j != again.size()) __builtin_trap();
    list.RebuildGroupNames();
    return 0;
}
