// Any bytes as MONITOR.DAT over a list of local, shared and scratch pagers: only whole
// records count, the assignments written back read back the same, and those of shared
// pagers the list does not hold are kept as they were.

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

    // Every code: the list's, and any other a record names, to see what was kept.
    CPagerList again;
    for (const auto& pager : list.records()) again.AddBlank().Code = pager->Code;
    CPagerList others, othersAgain;
    for (std::size_t i = 0; i + 6 <= size; i += 6) {
        auto code = static_cast<std::int16_t>(data[i + 2] | (data[i + 3] << 8));
        if (!list.FindByCode(code) && !others.FindByCode(code)) {
            others.AddBlank().Code = code;
            othersAgain.AddBlank().Code = code;
        }
    }
    ReadMonitorRecords(bytes, others);
    const std::string written = WriteMonitorRecords(list, bytes);
    ReadMonitorRecords(written, again);
    ReadMonitorRecords(written, othersAgain);
    for (std::size_t i = 0; i < others.size(); ++i) {
        // A removed local pager's assignment goes; a shared one's stays (a zero one is none).
        std::uint16_t expected = others.at(i).Code < 0 ? others.at(i).AutoPageFlags : 0;
        if (othersAgain.at(i).AutoPageFlags != expected) __builtin_trap();
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        const PagerRecord& pager = list.at(i);
        // The scratch record is never written, and a second pager with a code gets nothing.
        bool kept = pager.Code != 0 && list.FindByCode(pager.Code) == &pager;
        std::uint16_t expected = kept ? pager.AutoPageFlags : 0;
        if (again.at(i).AutoPageFlags != expected) __builtin_trap();
    }
    return 0;
}
