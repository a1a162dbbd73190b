#include "mail/filter_file.h"

#include "directory/data_file.h"

namespace corvane {
namespace {

constexpr std::int16_t kCurrentMarker = -3;
constexpr std::int16_t kPageLimitMarker = -2;

// From the field selectors on, the same in every form.
bool ReadConditions(CDataReader& in, CMailFilter& filter, bool firstFieldRead)
{
    for (std::size_t i = firstFieldRead ? 1 : 0; i < filter.fields.size(); ++i)
        if (!in.Word(filter.fields[i])) return false;
    for (std::int16_t& comparison : filter.comparisons)
        if (!in.Word(comparison)) return false;
    if (!in.Word(filter.includeFrom) || !in.Word(filter.includeSubject) || !in.Word(filter.includeBody)) return false;
    for (std::string& keyword : filter.keywords)
        if (!in.String(keyword)) return false;
    return in.String(filter.code);
}

bool ReadRecord(CDataReader& in, std::int16_t first, CMailFilter& filter)
{
    if (first == kCurrentMarker) {
        if (!in.Word(filter.weekendsOff) || !in.Word(filter.weekdaysOff) || !in.Word(filter.windowStart) ||
            !in.Word(filter.windowEnd))
            return false;
    }
    if (first == kCurrentMarker || first == kPageLimitMarker) {
        if (!in.Word(filter.maximumPages)) return false;
        return ReadConditions(in, filter, false);
    }
    filter.fields[0] = first;
    return ReadConditions(in, filter, true);
}

}  // namespace

FilterReadResult ReadFilters(std::string_view bytes)
{
    FilterReadResult result;
    CDataReader in(bytes, kMaxMessageStringLength);
    std::int16_t first = 0;
    while (in.Word(first)) {
        CMailFilter filter;
        if (!ReadRecord(in, first, filter)) {
            // Nothing after a record cut short can be framed.
            result.damaged = true;
            return result;
        }
        // A message is split into one page at least.
        if (filter.maximumPages < 1) filter.maximumPages = 1;
        result.filters.push_back(std::move(filter));
    }
    result.damaged = in.Remaining() != 0;
    return result;
}

std::string WriteFilters(const std::vector<CMailFilter>& filters)
{
    CDataWriter out(kMaxMessageStringLength);
    for (const CMailFilter& f : filters) {
        out.Word(kCurrentMarker);
        for (std::int16_t value : {f.weekendsOff, f.weekdaysOff, f.windowStart, f.windowEnd, f.maximumPages})
            out.Word(value);
        for (std::int16_t field : f.fields) out.Word(field);
        for (std::int16_t comparison : f.comparisons) out.Word(comparison);
        for (std::int16_t include : {f.includeFrom, f.includeSubject, f.includeBody}) out.Word(include);
        for (const std::string& keyword : f.keywords) out.String(keyword);
        out.String(f.code);
    }
    return out.bytes();
}

}  // namespace corvane
