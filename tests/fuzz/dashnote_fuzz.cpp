// Any bytes as DASHNOTE.DAT: the reader never reads past the data, keeps at most 20
// messages with distinct identifiers, and what it keeps is written back and read again
// unchanged.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "directory/dashnote_list.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CDashnoteList list;
    list.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    std::set<int> ids;
    for (const DashnoteMessage& message : list.messages())
        if (message.CommandId < kFirstDashnoteId || message.CommandId > kLastDashnoteId ||
            !ids.insert(message.CommandId).second)
            __builtin_trap();
    CDashnoteList again;
    again.Parse(list.Serialize());
    if (again.messages() != list.messages()) __builtin_trap();
    list.MenuEntries();
    return 0;
}
