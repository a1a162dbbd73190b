#include "app/gui/dialogs/pager_config_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "app/core/pager_fields.h"
#include "app/gui/dialogs/individual_pager_dialog.h"
#include "app/gui/dialogs/list_dialog_layout.h"
#include "app/gui/dialogs/qt_text.h"
#include "common/message_box.h"

namespace corvane {

CPagerConfigDialog::CPagerConfigDialog(const DataFiles& files, std::function<void(const PagerRecord&)> test,
                                       QWidget* parent)
    : QDialog(parent), m_files(files), m_test(std::move(test))
{
    setWindowTitle(kPagerConfigTitle);
    m_pagers.LoadLocal(m_files);
    m_pagers.RebuildGroupNames();

    m_list = new QListWidget(this);
    m_list->setObjectName("pagers");
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    QPushButton* add = NamedButton(this, "Add", "add");
    m_edit = NamedButton(this, "Edit", "edit");
    m_remove = NamedButton(this, "Remove", "remove");
    m_testButton = NamedButton(this, "Test", "test");
    connect(add, &QPushButton::clicked, this, &CPagerConfigDialog::OnAdd);
    connect(m_edit, &QPushButton::clicked, this, &CPagerConfigDialog::OnEdit);
    connect(m_remove, &QPushButton::clicked, this, &CPagerConfigDialog::OnRemove);
    connect(m_testButton, &QPushButton::clicked, this, &CPagerConfigDialog::OnTest);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CPagerConfigDialog::UpdateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CPagerConfigDialog::OnEdit);

    LayOutListDialog(this, m_list, {add, m_edit, m_remove, m_testButton});
    Refresh();
}

void CPagerConfigDialog::Refresh(const std::vector<const PagerRecord*>& select)
{
    m_list->clear();
    for (const auto& pager : m_pagers.records()) {
        auto* item = new QListWidgetItem(ToQt(pager->UserName), m_list);
        item->setSelected(std::find(select.begin(), select.end(), pager.get()) != select.end());
    }
    UpdateButtons();
}

std::vector<PagerRecord*> CPagerConfigDialog::Selected()
{
    // The rows in list order, which is the order of the records.
    std::vector<PagerRecord*> selected;
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->isSelected()) selected.push_back(&m_pagers.at(static_cast<std::size_t>(i)));
    return selected;
}

void CPagerConfigDialog::UpdateButtons()
{
    std::size_t count = 0;
    for (int i = 0; i < m_list->count(); ++i) count += m_list->item(i)->isSelected();
    m_edit->setEnabled(count > 0);
    m_remove->setEnabled(count > 0);
    m_testButton->setEnabled(count == 1 && m_test);
}

bool CPagerConfigDialog::EditRecord(PagerRecord& record)
{
    // The services as they are now: another window may have changed them meanwhile.
    m_services.Reload(m_files);
    CIndividualPagerDialog dialog({record, m_pagers, m_services, m_files.settings, m_test}, this);
    return dialog.exec() == QDialog::Accepted;
}

void CPagerConfigDialog::OnAdd()
{
    PagerRecord* added = AddPagerForEdit(m_pagers, m_files.settings);
    if (!added) return;
    if (EditRecord(*added)) {
        ConfirmAddedPager(*added, m_files.settings);
        m_pagers.RebuildGroupNames();
        Refresh({added});
        return;
    }
    CancelAddedPager(m_pagers, *added);
    m_pagers.RebuildGroupNames();
    Refresh();
}

void CPagerConfigDialog::OnEdit()
{
    std::vector<PagerRecord*> selected = Selected();
    if (selected.empty()) return;
    std::vector<const PagerRecord*> keep(selected.begin(), selected.end());
    if (selected.size() == 1) {
        if (EditRecord(*selected.front())) m_pagers.RebuildGroupNames();
        Refresh(keep);
        return;
    }
    CSeveralPagers several(m_pagers, selected);
    if (EditRecord(several.scratch()))
        several.Confirm();
    else
        several.Cancel();
    Refresh(keep);
}

void CPagerConfigDialog::OnRemove()
{
    std::vector<PagerRecord*> selected = Selected();
    if (selected.empty()) return;
    std::vector<const PagerRecord*> asked(selected.begin(), selected.end());
    if (m_files.messageBox.Show(RemoveQuestion(asked), kDeletePagerCaption, MbIcon::Question, MbButtons::YesNo) !=
        MbAnswer::Yes)
        return;
    RemovePagers(m_pagers, asked, m_files.settings);
    Refresh();
}

void CPagerConfigDialog::OnTest()
{
    std::vector<PagerRecord*> selected = Selected();
    if (selected.size() == 1 && m_test) m_test(*selected.front());
}

void CPagerConfigDialog::accept()
{
    // A file that could not be written, and the user gave up retrying: the dialog stays
    // open with its changes, so that nothing is lost without the user's Cancel.
    if (!m_pagers.Save(m_files)) return;
    QDialog::accept();
}

}  // namespace corvane
