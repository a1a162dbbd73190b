#include "app/gui/pager_rows.h"

#include <algorithm>

#include "common/decimal.h"

namespace corvane {
namespace {

const std::string& Cell(const PagerRecord& pager, int content)
{
    switch (content) {
    case kShowPagerNumber: return pager.PhoneNumber;
    case kShowPagerId: return pager.PagerID;
    case kShowVoiceOne: return pager.VoiceOne;
    case kShowVoiceTwo: return pager.VoiceTwo;
    case kShowData: return pager.CustomData;
    default: return pager.UserName;
    }
}

ListRow PagerRow(const PagerRecord& pager, const ListColumns& columns)
{
    ListRow row;
    row.data = pager.Code;
    for (int c = 0; c < kListColumns; ++c) row.cells[c] = Cell(pager, columns.content[c]);
    return row;
}

}  // namespace

ListColumns ReadListColumns(ISettings& settings)
{
    const SettingKey* keys[kListColumns] = {&key::DisplayColumn1, &key::DisplayColumn2, &key::DisplayColumn3};
    ListColumns columns;
    for (int c = 0; c < kListColumns; ++c) {
        int content = ToInt(settings.Get(*keys[c]));
        // A value the preferences never write shows the name rather than nothing.
        if (content < kShowName || content > kShowData) content = kShowName;
        columns.content[c] = content;
        switch (content) {
        case kShowPagerNumber: columns.headers[c] = "Pager Number"; break;
        case kShowPagerId: columns.headers[c] = "Pager ID"; break;
        case kShowVoiceOne: columns.headers[c] = settings.Get(key::Voice1Label); break;
        case kShowVoiceTwo: columns.headers[c] = settings.Get(key::Voice2Label); break;
        case kShowData: columns.headers[c] = settings.Get(key::DataLabel); break;
        default: columns.headers[c] = "Name"; break;
        }
    }
    return columns;
}

std::array<int, kListColumns> ReadColumnWidths(ISettings& settings)
{
    const SettingKey* keys[kListColumns] = {&key::Column1Width, &key::Column2Width, &key::Column3Width};
    std::array<int, kListColumns> widths{};
    for (int c = 0; c < kListColumns; ++c) widths[c] = std::max(kMinColumnWidth, ToInt(settings.Get(*keys[c])) - 1);
    return widths;
}

void WriteColumnWidths(ISettings& settings, const std::array<int, kListColumns>& widths)
{
    const SettingKey* keys[kListColumns] = {&key::Column1Width, &key::Column2Width, &key::Column3Width};
    for (int c = 0; c < kListColumns; ++c) settings.Write(*keys[c], std::to_string(widths[c]));
}

std::vector<std::string> ShownGroupNames(const CPagerList& pagers)
{
    std::vector<std::string> names;
    for (const std::string& name : pagers.GroupNames())
        if (!name.empty()) names.push_back(name);
    return names;
}

std::string ChooseShownGroup(const std::string& stored, const std::vector<std::string>& names)
{
    if (std::find(names.begin(), names.end(), stored) != names.end()) return stored;
    return names.empty() ? std::string() : names.front();
}

std::vector<ListRow> BuildListRows(const CPagerList& pagers, const ListColumns& columns, const ListChoice& choice)
{
    std::vector<const PagerRecord*> shown;
    shown.reserve(pagers.size());
    for (const auto& pager : pagers.records())
        if (!choice.groupView || pager->HasGroup(choice.group)) shown.push_back(pager.get());
    if (choice.sortByData)
        std::stable_sort(shown.begin(), shown.end(),
                         [](const PagerRecord* a, const PagerRecord* b) { return a->CustomData < b->CustomData; });
    else
        std::stable_sort(shown.begin(), shown.end(),
                         [](const PagerRecord* a, const PagerRecord* b) { return a->UserName < b->UserName; });

    std::vector<ListRow> rows;
    if (!choice.groupView) {
        std::vector<std::string> groups = ShownGroupNames(pagers);
        std::sort(groups.begin(), groups.end());
        rows.reserve(groups.size() + shown.size());
        for (std::string& group : groups) {
            ListRow row;
            row.data = kGroupRowData;
            row.cells[0] = std::move(group);
            rows.push_back(std::move(row));
        }
    } else {
        rows.reserve(shown.size());
    }
    for (const PagerRecord* pager : shown) rows.push_back(PagerRow(*pager, columns));
    return rows;
}

}  // namespace corvane
