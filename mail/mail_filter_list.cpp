#include "mail/mail_filter_list.h"

#include <utility>

#include "common/file_io.h"
#include "mail/filter_file.h"

namespace corvane {

bool CMailFilterList::Load(const DataFiles& files)
{
    m_filters.clear();
    const std::string path = files.Path(kFiltersFile);
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return true;
    FilterReadResult read = ReadFilters(bytes);
    m_filters = std::move(read.filters);
    // The next save would drop the damaged record and all after it: the file is kept.
    if (read.damaged) ReportDamagedFile(files.messageBox, kDamagedFilterFile, path, bytes, m_filters.size() + 1);
    return !read.damaged;
}

bool CMailFilterList::Save(const DataFiles& files) const
{
    return WriteFileAtomically(files.Path(kFiltersFile), WriteFilters(m_filters)) == FileError::None;
}

CMailFilter& CMailFilterList::NewFilter()
{
    return m_filters.emplace_back();
}

void CMailFilterList::DeleteFilter(std::size_t index)
{
    if (index < m_filters.size()) m_filters.erase(m_filters.begin() + static_cast<std::ptrdiff_t>(index));
}

bool CMailFilterList::MoveUp(std::size_t index)
{
    if (index == 0 || index >= m_filters.size()) return false;
    std::swap(m_filters[index - 1], m_filters[index]);
    return true;
}

bool CMailFilterList::MoveDown(std::size_t index)
{
    if (index + 1 >= m_filters.size()) return false;
    std::swap(m_filters[index], m_filters[index + 1]);
    return true;
}

const CMailFilter* CMailFilterList::Match(const MailFields& message, std::time_t now) const
{
    // One reading of the clock for every filter.
    std::tm local{};
    localtime_r(&now, &local);
    for (const CMailFilter& filter : m_filters)
        if (FilterMatches(filter, message, local)) return &filter;
    return nullptr;
}

bool CMailFilterList::AnyTestsBody() const
{
    for (const CMailFilter& filter : m_filters)
        if (filter.TestsBody()) return true;
    return false;
}

}  // namespace corvane
