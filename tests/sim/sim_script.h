#pragma once
// The script language of the simulators: one directive a line that sets up a paging
// central (pagingcentral-sim --script, and the modem behind callerid-sim's line).

#include <istream>
#include <string>

#include "tests/sim/paging_central.h"

namespace corvane::sim {

// "\r", "\n" and "\e" in a text argument.
std::string Unescape(const std::string& text);
// Fills s from the directives; false, with the line in error, for one that makes no sense.
bool ParseScript(std::istream& in, SimScript& s, std::string& error);

}  // namespace corvane::sim
