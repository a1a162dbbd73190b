#include "app/gui/dialogs/mail_filters_dialog.h"

#include <QListWidget>
#include <QPushButton>

#include "app/gui/dialogs/list_dialog_layout.h"
#include "app/gui/dialogs/mail_filter_dialog.h"
#include "app/gui/dialogs/qt_text.h"
#include "common/message_box.h"
#include "mail/filter_file.h"

namespace corvane {

CMailFiltersDialog::CMailFiltersDialog(const DataFiles& files, QWidget* parent) : QDialog(parent), m_files(files)
{
    setWindowTitle(kMailFiltersTitle);
    m_filters.Load(files);
    m_list = new QListWidget(this);
    m_list->setObjectName("list");
    m_list->setMinimumWidth(360);
    QPushButton* add = NamedButton(this, "&New...", "new");
    m_edit = NamedButton(this, "&Edit...", "edit");
    m_delete = NamedButton(this, "&Delete", "delete");
    m_up = NamedButton(this, "&Up", "up");
    m_down = NamedButton(this, "Do&wn", "down");
    LayOutListDialog(this, m_list, {add, m_edit, m_delete, m_up, m_down});

    connect(add, &QPushButton::clicked, this, &CMailFiltersDialog::OnNew);
    connect(m_edit, &QPushButton::clicked, this, &CMailFiltersDialog::OnEdit);
    connect(m_delete, &QPushButton::clicked, this, &CMailFiltersDialog::OnDelete);
    connect(m_up, &QPushButton::clicked, this, [this] { OnMove(true); });
    connect(m_down, &QPushButton::clicked, this, [this] { OnMove(false); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CMailFiltersDialog::OnEdit);
    connect(m_list, &QListWidget::currentRowChanged, this, &CMailFiltersDialog::UpdateButtons);
    Refill(m_filters.empty() ? -1 : 0);
}

int CMailFiltersDialog::Selected() const
{
    int row = m_list->currentRow();
    return row >= 0 && static_cast<std::size_t>(row) < m_filters.size() ? row : -1;
}

void CMailFiltersDialog::Refill(int selected)
{
    m_list->clear();
    for (const CMailFilter& filter : m_filters.Filters()) m_list->addItem(ToQt(DescribeFilter(filter)));
    m_list->setCurrentRow(selected);
    UpdateButtons();
}

void CMailFiltersDialog::UpdateButtons()
{
    const int row = Selected();
    m_edit->setEnabled(row >= 0);
    m_delete->setEnabled(row >= 0);
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && static_cast<std::size_t>(row) + 1 < m_filters.size());
}

void CMailFiltersDialog::OnNew()
{
    CMailFilter filter;
    CMailFilterDialog editor(filter, this);
    if (editor.exec() != QDialog::Accepted) return;
    m_filters.NewFilter() = filter;
    Refill(static_cast<int>(m_filters.size()) - 1);
}

void CMailFiltersDialog::OnEdit()
{
    const int row = Selected();
    if (row < 0) return;
    CMailFilter filter = m_filters.Filters()[static_cast<std::size_t>(row)];
    CMailFilterDialog editor(filter, this);
    if (editor.exec() != QDialog::Accepted) return;
    m_filters.Filters()[static_cast<std::size_t>(row)] = filter;
    Refill(row);
}

void CMailFiltersDialog::OnDelete()
{
    const int row = Selected();
    if (row < 0) return;
    m_filters.DeleteFilter(static_cast<std::size_t>(row));
    Refill(std::min(row, static_cast<int>(m_filters.size()) - 1));
}

void CMailFiltersDialog::OnMove(bool up)
{
    const int row = Selected();
    if (row < 0) return;
    const auto index = static_cast<std::size_t>(row);
    if (up ? m_filters.MoveUp(index) : m_filters.MoveDown(index)) Refill(up ? row - 1 : row + 1);
}

void CMailFiltersDialog::accept()
{
    if (!m_filters.Save(m_files)) {
        // The dialog stays open with the user's changes.
        m_files.messageBox.Show("Unable to write the mail filter file " + m_files.Path(kFiltersFile) + ".",
                                kMailFiltersTitle, MbIcon::Warning, MbButtons::Ok);
        return;
    }
    QDialog::accept();
}

}  // namespace corvane
