#include "mail/mail_filter.h"

#include <algorithm>
#include <limits>

#include "common/decimal.h"

namespace corvane {
namespace {

std::string UpperAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

const std::string& TestedText(const MailFields& message, std::int16_t field)
{
    static const std::string kNothing;
    switch (field) {
    case kFieldFrom: return message.from;
    case kFieldSubject: return message.subject;
    case kFieldBody: return message.body;
    case kFieldTo: return message.to;
    default: return kNothing;  // a field no editor offers tests nothing
    }
}

const char* FieldName(std::int16_t field)
{
    switch (field) {
    case kFieldFrom: return "From";
    case kFieldSubject: return "Subject";
    case kFieldBody: return "Body";
    case kFieldTo: return "To";
    default: return "";
    }
}

bool ConditionsHold(const CMailFilter& filter, const MailFields& message)
{
    for (std::size_t i = 0; i < filter.fields.size(); ++i) {
        if (!filter.InUse(i)) continue;
        bool found = UpperAscii(TestedText(message, filter.fields[i])).find(UpperAscii(filter.keywords[i])) !=
                     std::string::npos;
        bool wanted = filter.comparisons[i] == kCompareContains;
        if (found != wanted) return false;
    }
    return true;
}

bool ActiveAt(const CMailFilter& filter, const std::tm& localNow)
{
    bool weekend = localNow.tm_wday == 0 || localNow.tm_wday == 6;
    if ((weekend ? filter.weekendsOff : filter.weekdaysOff) != 0) return false;
    int minutes = localNow.tm_hour * 60 + localNow.tm_min;
    // Whichever end was stored first, the window never runs past midnight.
    int from = std::min(filter.windowStart, filter.windowEnd);
    int to = std::max(filter.windowStart, filter.windowEnd);
    return minutes >= from && minutes <= to;
}

}  // namespace

bool CMailFilter::TestsBody() const
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (InUse(i) && fields[i] == kFieldBody) return true;
    return false;
}

bool FilterMatches(const CMailFilter& filter, const MailFields& message, const std::tm& localNow)
{
    return ActiveAt(filter, localNow) && ConditionsHold(filter, message);
}

std::string DescribeFilter(const CMailFilter& filter)
{
    std::string text;
    if (!filter.code.empty()) text = "Code " + filter.code + ": ";
    bool first = true;
    for (std::size_t i = 0; i < filter.fields.size(); ++i) {
        if (!filter.InUse(i)) continue;
        if (!first) text += " and ";
        first = false;
        text += FieldName(filter.fields[i]);
        text += filter.comparisons[i] == kCompareContains ? " contains " : " does not contain ";
        text += filter.keywords[i];
    }
    return text.empty() ? "<blank>" : text;
}

std::int16_t FilterMinutes(const FilterTime& time)
{
    int hour = std::clamp(time.hour, 1, 12) % 12;
    int minute = std::clamp(time.minute, 0, 59);
    return static_cast<std::int16_t>(hour * 60 + minute + (time.pm ? 720 : 0));
}

FilterTime FilterTimeOf(std::int16_t minutes)
{
    int m = std::clamp<int>(minutes, 0, kLastMinuteOfDay);
    int hour = m / 60 % 12;
    return {hour == 0 ? 12 : hour, m % 60, m >= 720};
}

std::int16_t FilterPageLimit(const std::string& typed)
{
    long pages = ToLong(typed);
    if (pages < 1) return 1;
    return static_cast<std::int16_t>(std::min<long>(pages, std::numeric_limits<std::int16_t>::max()));
}

}  // namespace corvane
