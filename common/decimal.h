#pragma once
// Numbers kept as text (settings, record fields) convert the way the C library's atoi
// does: leading blanks, an optional sign, then digits up to the first non-digit;
// text without digits gives 0. Out-of-range values saturate instead of overflowing.

#include <string>
#include <string_view>

namespace corvane {

long ToLong(std::string_view text);
int ToInt(std::string_view text);
std::string Clamp(std::string_view text, long low, long high);  // ToLong, clamped, as text

}  // namespace corvane
