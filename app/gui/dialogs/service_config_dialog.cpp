#include "app/gui/dialogs/service_config_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "app/gui/dialogs/individual_service_dialog.h"
#include "app/gui/dialogs/list_dialog_layout.h"
#include "app/gui/dialogs/qt_text.h"

namespace corvane {

CServiceConfigDialog::CServiceConfigDialog(const DataFiles& files, CPagerList& mainPagers, IMainView* view,
                                           QWidget* parent)
    : QDialog(parent), m_files(files), m_mainPagers(mainPagers), m_view(view), m_config(files)
{
    setWindowTitle(kServiceConfigTitle);
    m_list = new QListWidget(this);
    m_list->setObjectName("services");
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QPushButton* add = NamedButton(this, "Add", "add");
    m_edit = NamedButton(this, "Edit", "edit");
    m_remove = NamedButton(this, "Remove", "remove");
    connect(add, &QPushButton::clicked, this, &CServiceConfigDialog::OnAdd);
    connect(m_edit, &QPushButton::clicked, this, &CServiceConfigDialog::OnEdit);
    connect(m_remove, &QPushButton::clicked, this, &CServiceConfigDialog::OnRemove);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CServiceConfigDialog::UpdateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CServiceConfigDialog::OnEdit);

    LayOutListDialog(this, m_list, {add, m_edit, m_remove});
    Refresh();
}

void CServiceConfigDialog::Refresh(const std::vector<const ServiceRecord*>& select)
{
    m_list->clear();
    for (const auto& service : m_config.services().records()) {
        auto* item = new QListWidgetItem(ToQt(service->Name), m_list);
        item->setSelected(std::find(select.begin(), select.end(), service.get()) != select.end());
    }
    UpdateButtons();
}

std::vector<ServiceRecord*> CServiceConfigDialog::Selected()
{
    std::vector<ServiceRecord*> selected;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->isSelected()) selected.push_back(&m_config.services().at(static_cast<std::size_t>(i)));
    return selected;
}

void CServiceConfigDialog::UpdateButtons()
{
    bool any = !m_list->selectedItems().isEmpty();
    m_edit->setEnabled(any);
    m_remove->setEnabled(any);
}

bool CServiceConfigDialog::EditRecord(ServiceRecord& record)
{
    CIndividualServiceDialog dialog(record, this);
    return dialog.exec() == QDialog::Accepted;
}

void CServiceConfigDialog::OnAdd()
{
    ServiceRecord* added = m_config.Add();
    if (!added) return;
    if (EditRecord(*added)) {
        m_config.ConfirmAdd(*added);
        Refresh({added});
        return;
    }
    m_config.CancelAdd(*added);
    Refresh();
}

void CServiceConfigDialog::OnEdit()
{
    std::vector<ServiceRecord*> selected = Selected();
    if (selected.empty()) return;
    std::vector<const ServiceRecord*> keep(selected.begin(), selected.end());
    if (selected.size() == 1) {
        m_config.BeginEdit(*selected.front());
        EditRecord(*selected.front());
        Refresh(keep);
        return;
    }
    ServiceRecord& scratch = m_config.BeginEditSeveral(selected);
    if (EditRecord(scratch))
        m_config.ConfirmEditSeveral(scratch, selected);
    else
        m_config.CancelEditSeveral(scratch);
    Refresh(keep);
}

void CServiceConfigDialog::OnRemove()
{
    if (m_config.Remove(Selected(), m_files.messageBox)) Refresh();
}

void CServiceConfigDialog::accept()
{
    m_config.Confirm(m_mainPagers, m_view);
    QDialog::accept();
}

}  // namespace corvane
