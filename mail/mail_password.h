#pragma once
// "MailPassword" is kept scrambled: the byte at position i (from 0) is stored raised by
// i mod 5, and lowered by the same amount when read (wrapping within 8 bits).

#include <string>
#include <string_view>

namespace corvane {

std::string ScrambleMailPassword(std::string_view clear);
std::string UnscrambleMailPassword(std::string_view stored);

}  // namespace corvane
