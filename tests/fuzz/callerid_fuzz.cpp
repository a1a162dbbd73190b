// Any bytes on the monitor line, read in pieces of any size, with the line now and then
// silent long enough to age the call: the parser never crashes, what it keeps stays
// bounded, and number and name stay short plain text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "callmon/caller_id_state.h"

using namespace corvane;

namespace {

bool Plain(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

class CCheckedEvents final : public ICallerIdEvents {
public:
    void PopupRequested() override {}
    // A number or name as the pop-up, the page and the log get it.
    void NumberChanged(const std::string& number) override
    {
        if (number.size() > kMaxFieldLength || !Plain(number)) __builtin_trap();
    }
    void NameChanged(const std::string& name) override
    {
        // The name, then " (Line " + the line designation + ")" from a caller-ID unit.
        if (name.size() > 2 * kMaxFieldLength + 9 || !Plain(name)) __builtin_trap();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    // The first byte chooses "NumberRings" 0 or 3, the ANI-323 unit, and the read size.
    CCheckedEvents events;
    CCallerIdState state(events);
    state.SetOptions({(data[0] & 1) ? 0 : 3, (data[0] & 2) != 0});
    const std::size_t piece = (data[0] >> 2) + 1u;
    std::time_t now = 983955900;
    for (std::size_t at = 1; at < size; at += piece) {
        const std::size_t n = std::min(piece, size - at);
        state.Feed(std::string_view(reinterpret_cast<const char*>(data + at), n), now);
        if (data[at] == 0xFE) now += 6;
        state.Age(now);
        events.NumberChanged(state.Number());
        events.NameChanged(state.Name());
        if (state.BufferedBytes() > kMaxLineLength) __builtin_trap();
    }
    return 0;
}
