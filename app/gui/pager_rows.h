#pragma once
// What the main form's pager list shows: its three columns, chosen in the settings, and
// its rows (group rows and pager rows) for the All or Group view and the sort order.
// A snapshot: the rows hold their own texts, so a reload of the pager list can never
// leave the view pointing at records that are gone.

#include <array>
#include <string>
#include <vector>

#include "directory/pager_list.h"
#include "settings/settings.h"

namespace corvane {

// The row data of a group row; a pager row holds the pager's Code.
inline constexpr int kGroupRowData = -32000;
inline constexpr int kListColumns = 3;

// What a column shows ("DisplayColumn1".."DisplayColumn3").
enum ColumnContent : int {
    kShowName = 0,
    kShowPagerNumber = 1,
    kShowPagerId = 2,
    kShowVoiceOne = 3,
    kShowVoiceTwo = 4,
    kShowData = 5,
};

struct ListColumns {
    std::array<int, kListColumns> content{};
    std::array<std::string, kListColumns> headers;
};
ListColumns ReadListColumns(ISettings& settings);

// The stored widths ("Column1Width".."Column3Width"); each column is made one pixel
// narrower than stored, never narrower than kMinColumnWidth, so that a column cannot
// vanish after many starts.
inline constexpr int kMinColumnWidth = 8;
std::array<int, kListColumns> ReadColumnWidths(ISettings& settings);
void WriteColumnWidths(ISettings& settings, const std::array<int, kListColumns>& widths);

struct ListRow {
    int data = 0;
    std::array<std::string, kListColumns> cells;
};

struct ListChoice {
    bool groupView = false;  // "ViewMode" 1: the members of one group
    std::string group;       // the group shown in group view
    bool sortByData = false; // "Sorting" 1: by the data field, else by name
};

// All view: a row for every group (by name), then every pager in the sort order.
// Group view: the group's members in the sort order. Ties keep the list order.
std::vector<ListRow> BuildListRows(const CPagerList& pagers, const ListColumns& columns, const ListChoice& choice);

// The names the group box offers: the list's group names without the empty ones.
std::vector<std::string> ShownGroupNames(const CPagerList& pagers);
// The group that group view shows: the stored one while it exists, else the first.
std::string ChooseShownGroup(const std::string& stored, const std::vector<std::string>& names);

}  // namespace corvane
