#pragma once
// The user's mail filters in their order, which is the order they are tried in and the
// order of FILTERS.DAT in the data directory. The first filter that takes a message
// decides its pages.

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

#include "directory/damaged_file.h"
#include "directory/pager_list.h"
#include "mail/mail_filter.h"

namespace corvane {

// What a message box calls a damaged FILTERS.DAT.
inline constexpr DamagedFileKind kDamagedFilterFile{"mail filter", "mail filters", "Mail Filter Read Error"};

class CMailFilterList {
public:
    // Clears the list and reads FILTERS.DAT; a missing file leaves it empty. A damaged
    // file keeps the filters before the damage, and is kept beside it once with a
    // message. False when it was damaged.
    bool Load(const DataFiles& files);
    // Writes the whole list; false when the file could not be replaced (the old one stays).
    bool Save(const DataFiles& files) const;

    // Appends a filter with the new-filter values.
    CMailFilter& NewFilter();
    void DeleteFilter(std::size_t index);
    // Swaps the filter with the one above (below); false at the top (bottom) or out of range.
    bool MoveUp(std::size_t index);
    bool MoveDown(std::size_t index);

    // The first filter that takes the message at this time (local), or null.
    const CMailFilter* Match(const MailFields& message, std::time_t now) const;
    // Whether any filter looks into message bodies: without one a body need not be read
    // to match.
    bool AnyTestsBody() const;

    const std::vector<CMailFilter>& Filters() const { return m_filters; }
    std::vector<CMailFilter>& Filters() { return m_filters; }
    std::size_t size() const { return m_filters.size(); }
    bool empty() const { return m_filters.empty(); }

private:
    std::vector<CMailFilter> m_filters;
};

}  // namespace corvane
