// Any bytes as a service file: the reader keeps whole records only, never reads past the
// data, and what it keeps is written back and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "directory/service_file.h"
#include "directory/service_list.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CServiceList list;
    ServiceReadResult result = ReadServiceRecords(bytes, list);
    if (static_cast<std::size_t>(result.records) != list.size()) __builtin_trap();

    CServiceList again;
    ServiceReadResult reread = ReadServiceRecords(WriteServiceRecords(list), again);
    if (reread.damaged) __builtin_trap();
    std::size_t j = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list.at(i).Code <= 0) continue;  // only local services are written
        if (j >= again.size() || !(again.at(j) == list.at(i))) __builtin_trap();
        ++j;
    }
    if (j != again.size()) __builtin_trap();
    return 0;
}
