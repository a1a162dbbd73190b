#pragma once
// One mail filter: up to three conditions on the parts of a message, the days and the
// time of day it is active, and what the pages about a matching message say.

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace corvane {

// Which part of a message a condition tests.
enum MailField : std::int16_t {
    kFieldUnused = -1,
    kFieldFrom = 0,     // the sender's name
    kFieldSubject = 1,
    kFieldBody = 2,
    kFieldTo = 3,       // the "To" names
};

enum MailComparison : std::int16_t {
    kCompareUnused = -1,
    kCompareContains = 0,
    kCompareNotContains = 1,
};

inline constexpr std::int16_t kLastMinuteOfDay = 1439;

struct CMailFilter {
    std::array<std::int16_t, 3> fields{kFieldUnused, kFieldUnused, kFieldUnused};
    std::array<std::int16_t, 3> comparisons{kCompareUnused, kCompareUnused, kCompareUnused};
    std::array<std::string, 3> keywords{};
    // What the text for alphanumeric pagers holds besides "Mail".
    std::int16_t includeFrom = 0;
    std::int16_t includeSubject = 0;
    std::int16_t includeBody = 0;
    std::string code;  // the text for numeric pagers
    std::int16_t maximumPages = 1;
    // 0 when the filter is active on those days ("Weekends" / "Weekdays" ticked), -1 when not.
    std::int16_t weekendsOff = 0;
    std::int16_t weekdaysOff = 0;
    // Minutes after midnight; the window runs from the smaller to the larger.
    std::int16_t windowStart = 0;
    std::int16_t windowEnd = kLastMinuteOfDay;

    // A condition counts only with a field, a comparison and a keyword.
    bool InUse(std::size_t i) const
    {
        return fields[i] != kFieldUnused && comparisons[i] != kCompareUnused && !keywords[i].empty();
    }
    bool TestsBody() const;

    bool operator==(const CMailFilter&) const = default;
};

// The parts of a message the conditions test.
struct MailFields {
    std::string from;
    std::string subject;
    std::string body;
    std::string to;
};

// Whether filter takes the message at this local time: every condition in use holds
// (upper-case ASCII comparison), the day's box is ticked and the time lies in the window.
bool FilterMatches(const CMailFilter& filter, const MailFields& message, const std::tm& localNow);

// The filter's line in the Mail Filters list: "Code 5: Subject contains URGENT and ...",
// "<blank>" for a filter that says nothing.
std::string DescribeFilter(const CMailFilter& filter);

// The filter editor's time boxes: hour 1-12, minute, and "a" or "p" (12 a is midnight,
// 12 p is noon).
struct FilterTime {
    int hour = 12;
    int minute = 0;
    bool pm = false;
};
std::int16_t FilterMinutes(const FilterTime& time);
FilterTime FilterTimeOf(std::int16_t minutes);

// The editor's "Maximum pages" box: anything but a positive number is 1.
std::int16_t FilterPageLimit(const std::string& typed);

}  // namespace corvane
