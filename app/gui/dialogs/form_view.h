#pragma once
// The main form's rows as the send commands take them (FormView), built from the rows
// the form shows. Header only: the form's row type lives in the desktop program's own
// library.

#include <string>
#include <vector>

#include "app/core/prepare_send.h"
#include "app/gui/pager_rows.h"

namespace corvane {

// rows: the form's rows in list order; selected[i]: whether row i is selected;
// choice: the view shown ("ViewMode" and the group of group view).
inline FormView MakeFormView(const std::vector<ListRow>& rows, const std::vector<bool>& selected,
                             const ListChoice& choice)
{
    FormView view;
    view.groupView = choice.groupView;
    view.group = choice.group;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        FormRow row;
        row.group = rows[i].data == kGroupRowData;
        row.code = row.group ? 0 : static_cast<std::int16_t>(rows[i].data);
        row.text = rows[i].cells[0];
        row.selected = i < selected.size() && selected[i];
        view.rows.push_back(std::move(row));
    }
    return view;
}

}  // namespace corvane
