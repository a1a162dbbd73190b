#pragma once
// The Test button of the PIM Monitoring page: the calendar server asked, with the
// address, name and password as typed, for what the reminder monitor would read, and
// the answer told in words.

#include <string>

namespace corvane {

class IClock;
class IEventPump;

struct CalendarCheck {
    bool ok = false;
    std::string text;
};

inline constexpr const char* kCalendarCheckCaption = "Calendar";

CalendarCheck CheckCalendarServer(const std::string& url, const std::string& user, const std::string& password,
                                  IEventPump& pump, const IClock& clock);

}  // namespace corvane
