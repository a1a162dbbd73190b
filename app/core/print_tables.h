#pragma once
// What the two printouts show: the page log's entries and the pager directory, cut
// into the columns of their tables.

#include <string>
#include <vector>

#include "app/core/print_layout.h"

namespace corvane {

class CPagerList;
class ISettings;

inline constexpr const char* kPageLogPrintTitle = "Corvane Page Log";
inline constexpr const char* kPagerListPrintTitle = "Corvane Pager List";

struct LogRowText {
    std::string entry;    // the list text, "03/07/01 09:05AM Bob"
    std::string message;
};

// DATE, TIME, and the wrapped PAGER and MESSAGE of each entry.
PrintTable PageLogTable(const std::vector<LogRowText>& entries);

// Every pager in list order: name, number, PIN, the three labelled numbers and the
// groups, all wrapped.
PrintTable PagerListTable(const CPagerList& pagers, ISettings& settings);

}  // namespace corvane
