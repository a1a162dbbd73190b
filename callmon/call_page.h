#pragma once
// A call-monitor page waiting for its time: the texts are made when the call is
// scheduled (with the time of that moment) and sent when it is due.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace corvane {

struct PendingCallPage {
    int retries = 0;        // failed sending passes so far
    std::time_t due = 0;    // sent from this time on
    std::string alphaText;  // prefix, time, "  Caller Number = ...", "  Caller Name = ..."
    std::string numericTime;    // prefix + "HH:MM"
    std::string numericNumber;  // "*" + the number, or empty
    // Pagers (by Code) that already have this page: a later pass does not page them again.
    std::vector<std::int16_t> delivered;
};

// The page for a call with this number and name, due `delaySeconds` after now.
PendingCallPage MakeCallPage(const std::string& prefix, const std::string& number, const std::string& name,
                             std::time_t now, long delaySeconds);

// The number in a page text: ten digits as "(555)123-4567", seven as "123-4567",
// anything else ("Out of Area", an extension) as it is.
std::string PageTextNumber(const std::string& number);

}  // namespace corvane
