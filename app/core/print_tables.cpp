#include "app/core/print_tables.h"

#include "app/core/log_reader.h"
#include "directory/pager_list.h"
#include "settings/settings.h"

namespace corvane {

namespace {

std::string Part(const std::string& text, std::size_t from, std::size_t count = std::string::npos)
{
    return from < text.size() ? text.substr(from, count) : std::string();
}

std::string JoinGroups(const std::vector<std::string>& groups)
{
    std::string joined;
    for (const std::string& group : groups) {
        if (!joined.empty()) joined += ", ";
        joined += group;
    }
    return joined;
}

}  // namespace

PrintTable PageLogTable(const std::vector<LogRowText>& entries)
{
    PrintTable table;
    table.documentName = kPageLogPrintTitle;
    table.title = kPageLogPrintTitle;
    table.style = RowStyle::LogEntry;
    table.columns = {
        {"DATE", 0, 0.75, false},
        {"TIME", 0.875, 0.75, false},
        // Cut at the column's edge, a long pager name (or "Error 13 To " and the name)
        // would lose its end on paper: it wraps as the message does.
        {"PAGER", 1.75, 1.5, true},
        {"MESSAGE", 3.375, 0, true},
    };
    table.rows.reserve(entries.size());
    for (const LogRowText& entry : entries)
        table.rows.push_back({Part(entry.entry, 0, 8), Part(entry.entry, 9, 6), Part(entry.entry, kLogStampLength),
                              entry.message});
    return table;
}

PrintTable PagerListTable(const CPagerList& pagers, ISettings& settings)
{
    PrintTable table;
    table.documentName = kPagerListPrintTitle;
    table.title = kPagerListPrintTitle;
    table.style = RowStyle::PagerList;
    table.columns = {
        // Every column wraps: an SNPP address or a long name must not be cut off.
        {"NAME", 0, 1.3, true},
        {"NUMBER", 1.425, 0.9, true},
        {"PIN", 2.45, 0.9, true},
        {settings.Get(key::Voice1Label), 3.475, 0.9, true},
        {settings.Get(key::Voice2Label), 4.5, 0.9, true},
        {settings.Get(key::DataLabel), 5.525, 0.9, true},
        {"GROUPS", 6.55, 0, true},
    };
    for (const auto& pager : pagers.records())
        table.rows.push_back({pager->UserName, pager->PhoneNumber, pager->PagerID, pager->VoiceOne, pager->VoiceTwo,
                              pager->CustomData, JoinGroups(pager->Groups)});
    return table;
}

}  // namespace corvane
