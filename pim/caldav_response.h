#pragma once
// The two ends of a CalDAV calendar-query: the REPORT body that asks a calendar for its
// events (or tasks) in a time range, and the iCalendar texts of the multistatus answer.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace corvane {

// component: "VEVENT" or "VTODO".
std::string CalendarQuery(const char* component, std::time_t from, std::time_t to);

// The text of every calendar-data element (whatever its namespace prefix), with the XML
// character references and CDATA sections undone.
std::vector<std::string> CalendarDataOf(std::string_view multistatus);

}  // namespace corvane
