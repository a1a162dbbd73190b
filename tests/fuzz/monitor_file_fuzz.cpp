// Any bytes as MONITOR.DAT over a list of local, shared and scratch pagers: only whole
// records count, and the assignments written back read back the same.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "directory/monitor_file.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CPagerList list;
    for (int code : {1, 2, 3, 32000, -1, -2, -32768, 0, 2}) list.AddBlank().Code = static_cast<std::int16_t>(code);
    if (ReadMonitorRecords(bytes, list) != size / 6) __builtin_trap();

    CPagerList again;
    for (const auto& pager : list.records()) again.AddBlank().Code = pager->Code;
    ReadMonitorRecords(WriteMonitorRecords(list), again);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const PagerRecord& pager = list.at(i);
        // The scratch record is never written, and a second pager with a code gets nothing.
        bool kept = pager.Code != 0 && list.FindByCode(pager.Code) == &pager;
        std::uint16_t expected = kept ? pager.AutoPageFlags : 0;
        if (again.at(i).AutoPageFlags != expected) __builtin_trap();
    }
    return 0;
}
