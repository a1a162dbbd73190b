// Any bytes as PDM.DAT and as MESSAGES.DAT: the readers never read past the data, and what
// they keep is written back and read again unchanged.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "directory/message_texts.h"
#include "directory/predefined_messages.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CPredefinedMessageList list;
    list.Parse(bytes);
    CPredefinedMessageList again;
    // What was kept is written as a file without damage.
    if (!again.Parse(list.Serialize()) || again.messages() != list.messages()) __builtin_trap();

    MessageTexts texts = ParseMessages(bytes);
    if (ParseMessages(SerializeMessages(texts)) != texts) __builtin_trap();
    return 0;
}
