#include "callmon/call_page.h"

#include "engine/page_log.h"

namespace corvane {

std::string PageTextNumber(const std::string& number)
{
    if (number.size() == 10) return "(" + number.substr(0, 3) + ")" + number.substr(3, 3) + "-" + number.substr(6);
    if (number.size() == 7) return number.substr(0, 3) + "-" + number.substr(3);
    return number;
}

PendingCallPage MakeCallPage(const std::string& prefix, const std::string& number, const std::string& name,
                             std::time_t now, long delaySeconds)
{
    const std::string time = FormatLocalTime("%H:%M", now);
    PendingCallPage page;
    page.due = now + delaySeconds;
    page.alphaText = prefix + " " + time;
    if (!number.empty()) page.alphaText += "  Caller Number = " + PageTextNumber(number);
    if (!name.empty()) page.alphaText += "  Caller Name = " + name;
    page.numericTime = prefix + time;
    if (!number.empty()) page.numericNumber = "*" + number;
    return page;
}

}  // namespace corvane
