#pragma once
// "MailPassword", the password of the mail system and of the calendar server, is kept
// scrambled: the character at position i is stored with its code raised by i mod 5
// (within 8 bits).

#include <string>
#include <string_view>

#include "settings/settings.h"

namespace corvane {

std::string UnscrambleMailPassword(std::string_view stored);
std::string ReadMailPassword(ISettings& settings);

}  // namespace corvane
