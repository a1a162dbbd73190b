#include "pim/schedule_entry.h"

#include <cctype>

#include "pim/schedule_file.h"

namespace corvane {
namespace {

std::string Trimmed(const std::string& text)
{
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole number of at most `digits` digits, nothing else.
std::optional<int> Number(const std::string& text, std::size_t digits)
{
    std::string t = Trimmed(text);
    if (t.empty() || t.size() > digits) return std::nullopt;
    int value = 0;
    for (char c : t) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<std::int16_t> Count(const std::string& text)
{
    std::optional<int> value = Number(text, 5);
    if (!value || *value < 1 || *value > 32767) return std::nullopt;
    return static_cast<std::int16_t>(*value);
}

}  // namespace

std::optional<WallTime> ParseScheduleDate(const std::string& month, const std::string& day, const std::string& year)
{
    std::optional<int> m = Number(month, 2), d = Number(day, 2), y = Number(year, 4);
    if (!m || !d || !y) return std::nullopt;
    int fullYear = *y;
    if (Trimmed(year).size() <= 2) fullYear += *y < 39 ? 2000 : 1900;
    if (*m < 1 || *m > 12 || *d < 1 || *d > DaysInMonth(fullYear, *m)) return std::nullopt;
    return WallTime{fullYear, *m, *d, 0, 0, 0};
}

std::optional<int> ParseScheduleTime(const std::string& time)
{
    std::string t = Trimmed(time);
    std::size_t colon = t.find(':');
    std::size_t digitsEnd = t.find_first_not_of("0123456789:");
    std::string clock = t.substr(0, digitsEnd);
    std::string mark = digitsEnd == std::string::npos ? "" : Trimmed(t.substr(digitsEnd));
    for (char& c : mark) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));

    std::optional<int> hour = Number(clock.substr(0, colon), 2);
    std::optional<int> minute = colon == std::string::npos ? std::optional<int>(0) : Number(clock.substr(colon + 1), 2);
    if (!hour || !minute || *minute > 59) return std::nullopt;
    if (mark.empty()) {
        if (*hour > 23) return std::nullopt;
    } else if (mark == "a" || mark == "am" || mark == "p" || mark == "pm") {
        if (*hour < 1 || *hour > 12) return std::nullopt;
        if (mark[0] == 'a' && *hour == 12) *hour = 0;
        if (mark[0] == 'p' && *hour < 12) *hour += 12;
    } else {
        return std::nullopt;
    }
    return *hour * 3600 + *minute * 60;
}

ScheduleEntry MakeSchedule(const ScheduleFields& fields)
{
    ScheduleEntry entry;
    std::optional<WallTime> date = ParseScheduleDate(fields.month, fields.day, fields.year);
    if (!date) return entry.error = kBadDateText, entry;
    std::optional<int> timeOfDay = ParseScheduleTime(fields.time);
    if (!timeOfDay) return entry.error = kBadTimeText, entry;

    CScheduledPage& page = entry.page;
    page.unit = fields.unit;
    if (page.unit != kUnitNone) {
        std::optional<std::int16_t> interval = Count(fields.interval);
        if (!interval) return entry.error = kBadCountText, entry;
        page.interval = *interval;
    }
    page.limited = fields.limited ? 1 : 0;
    if (fields.limited) {
        std::optional<std::int16_t> remaining = Count(fields.remaining);
        if (!remaining) return entry.error = kBadCountText, entry;
        page.remaining = *remaining;
    }

    date->hour = *timeOfDay / 3600;
    date->minute = *timeOfDay / 60 % 60;
    page.nextTime = ToInstant(*date);
    if (page.nextTime > kLastStorableTime) return entry.error = kLateDateText, entry;
    if (page.nextTime < kFirstStorableTime) return entry.error = kBadDateText, entry;
    entry.timeOfDay = *timeOfDay;
    page.skipIfMissed = fields.skipIfMissed ? 1 : 0;
    page.messageSource = fields.messageSource;
    page.alphaText = fields.alphaText;
    page.numericText = fields.numericText;
    page.pagers = fields.pagers;
    return entry;
}

}  // namespace corvane
