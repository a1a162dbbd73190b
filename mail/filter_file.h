#pragma once
// FILTERS.DAT: filter records back to back, no header. A record of the current form
// starts with the marker -3; older files hold records that start with -2 (no days and
// no time window) or with the first condition's field (neither, nor a page limit).
// Writers always write the current form.

#include <string>
#include <string_view>
#include <vector>

#include "mail/mail_filter.h"

namespace corvane {

inline constexpr const char* kFiltersFile = "FILTERS.DAT";

struct FilterReadResult {
    std::vector<CMailFilter> filters;  // the whole records before any damage
    bool damaged = false;              // a record was cut short or held a bad string
};

FilterReadResult ReadFilters(std::string_view bytes);
std::string WriteFilters(const std::vector<CMailFilter>& filters);

}  // namespace corvane
