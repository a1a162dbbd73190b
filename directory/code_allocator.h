#pragma once
// Local codes of pagers and services: the first code from the hint upward that no
// record holds, wrapping from 32000 to 1. One pass marks the codes in use, so a full
// directory costs one scan of the list, not one scan per candidate.

#include <bitset>
#include <cstdint>

namespace corvane {

inline constexpr std::int16_t kMaxLocalCode = 32000;

template <class Records>
std::int16_t AllocateFreeCode(std::int16_t& hint, const Records& records)
{
    // A hint beyond the local range (left by the code 32000) starts again at 1, so that
    // no code above 32000, or a negative one that reads as shared, is ever given out.
    std::int16_t candidate = (hint >= 1 && hint <= kMaxLocalCode) ? hint : 1;
    if (records.empty()) {
        hint = candidate + 1;
        return candidate;
    }
    std::bitset<kMaxLocalCode + 1> used;
    for (const auto& record : records)
        if (record->Code >= 1 && record->Code <= kMaxLocalCode) used.set(record->Code);
    for (int tries = 0; tries < kMaxLocalCode; ++tries) {
        if (!used.test(candidate)) {
            hint = candidate + 1;
            return candidate;
        }
        candidate = candidate == kMaxLocalCode ? 1 : candidate + 1;
    }
    return 0;  // all 32000 codes are taken
}

}  // namespace corvane
