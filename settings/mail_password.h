#pragma once
// "MailPassword", the password of the mail system and of the calendar server, is kept
// scrambled: the byte at position i (from 0) is stored raised by i mod 5, and lowered by
// the same amount when read (wrapping within 8 bits).

#include <string>
#include <string_view>

#include "settings/settings.h"

namespace corvane {

std::string ScrambleMailPassword(std::string_view clear);
std::string UnscrambleMailPassword(std::string_view stored);
// The clear password as stored in the settings.
std::string ReadMailPassword(ISettings& settings);
// Stores the clear password, scrambled.
void WriteMailPassword(ISettings& settings, std::string_view clear);

}  // namespace corvane
