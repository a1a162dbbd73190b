#include "app/gui/dialogs/groups_dialog.h"

#include <QByteArray>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/dialogs/list_dialog_layout.h"
#include "app/gui/dialogs/qt_text.h"
#include "common/message_box.h"

namespace corvane {
namespace {

// A list item that shows a name and keeps its bytes, whatever they are.
QListWidgetItem* NameItem(const std::string& name, QListWidget* list)
{
    auto* item = new QListWidgetItem(ToQtShown(name), list);
    item->setData(Qt::UserRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    return item;
}

std::string NameOf(const QListWidgetItem* item)
{
    const QByteArray bytes = item->data(Qt::UserRole).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QDialogButtonBox* OkCancel(QDialog* dialog)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    buttons->setObjectName("buttons");
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

CGroupNameDialog::CGroupNameDialog(const char* title, const std::string& shown, IMessageBox& messageBox,
                                   QWidget* parent)
    : QDialog(parent), m_title(title), m_shown(shown), m_messageBox(messageBox)
{
    setWindowTitle(title);
    m_name = new QLineEdit(ToQtShown(shown), this);
    m_name->setObjectName("name");
    m_name->selectAll();
    QDialogButtonBox* buttons = OkCancel(this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(!shown.empty());
    connect(m_name, &QLineEdit::textChanged, ok, [ok](const QString& text) { ok->setEnabled(!text.isEmpty()); });
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("&Group Name", this);
    label->setBuddy(m_name);
    layout->addWidget(label);
    layout->addWidget(m_name);
    layout->addWidget(buttons);
}

std::string CGroupNameDialog::Name() const
{
    return m_name->isModified() ? FromQt(m_name->text()) : m_shown;
}

void CGroupNameDialog::accept()
{
    if (Name().empty()) return;
    GroupNotice refusal = CGroupEditor::RefuseName(Name(), m_title);
    if (refusal.Shown()) {
        m_messageBox.Show(refusal.text, refusal.caption, MbIcon::Warning, MbButtons::Ok);
        return;
    }
    QDialog::accept();
}

CEditGroupDialog::CEditGroupDialog(const CPagerList& pagers, const std::vector<bool>& members, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(kEditGroupTitle);
    m_pagers = new QListWidget(this);
    m_pagers->setObjectName("pagers");
    m_pagers->setSelectionMode(QAbstractItemView::MultiSelection);
    for (std::size_t i = 0; i < pagers.size(); ++i)
        NameItem(pagers.at(i).UserName, m_pagers)->setSelected(i < members.size() && members[i]);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Highlight the pagers that belong to the group.", this));
    layout->addWidget(m_pagers);
    layout->addWidget(OkCancel(this));
}

std::vector<bool> CEditGroupDialog::Highlighted() const
{
    std::vector<bool> highlighted;
    for (int i = 0; i < m_pagers->count(); ++i) highlighted.push_back(m_pagers->item(i)->isSelected());
    return highlighted;
}

CGroupsDialog::CGroupsDialog(CPagerList& pagers, IMessageBox& messageBox, QWidget* parent)
    : QDialog(parent), m_pagers(pagers), m_messageBox(messageBox), m_editor(pagers)
{
    setWindowTitle(kGroupsTitle);
    m_list = new QListWidget(this);
    m_list->setObjectName("groups");
    QPushButton* add = NamedButton(this, "&Add", "add");
    m_rename = NamedButton(this, "&Rename", "rename");
    m_delete = NamedButton(this, "&Delete", "delete");
    m_edit = NamedButton(this, "&Edit", "edit");
    connect(add, &QPushButton::clicked, this, &CGroupsDialog::OnAdd);
    connect(m_rename, &QPushButton::clicked, this, &CGroupsDialog::OnRename);
    connect(m_delete, &QPushButton::clicked, this, &CGroupsDialog::OnDelete);
    connect(m_edit, &QPushButton::clicked, this, &CGroupsDialog::OnEdit);
    connect(m_list, &QListWidget::itemSelectionChanged, this, &CGroupsDialog::UpdateButtons);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &CGroupsDialog::OnEdit);

    // Every change is made on the list at once: there is nothing to cancel, only OK.
    LayOutListDialog(this, m_list, {add, m_rename, m_delete, m_edit});
    auto* buttons = findChild<QDialogButtonBox*>("buttons");
    buttons->setStandardButtons(QDialogButtonBox::Ok);
    Refill();
}

void CGroupsDialog::Refill(const std::optional<std::string>& select)
{
    m_list->clear();
    for (const std::string& name : m_editor.Names()) {
        QListWidgetItem* item = NameItem(name, m_list);
        if (select && *select == name) m_list->setCurrentItem(item);
    }
    UpdateButtons();
}

std::optional<std::string> CGroupsDialog::Selected() const
{
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    if (selected.isEmpty()) return std::nullopt;
    return NameOf(selected.front());
}

void CGroupsDialog::UpdateButtons()
{
    const bool chosen = !m_list->selectedItems().isEmpty();
    m_rename->setEnabled(chosen);
    m_delete->setEnabled(chosen);
    m_edit->setEnabled(chosen);
}

void CGroupsDialog::Tell(const GroupNotice& notice)
{
    if (notice.Shown()) m_messageBox.Show(notice.text, notice.caption, MbIcon::Warning, MbButtons::Ok);
}

void CGroupsDialog::EditGroup(const std::string& name, bool throughAdd)
{
    CEditGroupDialog dialog(m_pagers, m_editor.Members(name), this);
    if (dialog.exec() != QDialog::Accepted) return;
    Tell(m_editor.EditMembers(name, dialog.Highlighted(), throughAdd));
}

void CGroupsDialog::OnAdd()
{
    CGroupNameDialog ask(kAddGroupCaption, {}, m_messageBox, this);
    if (ask.exec() != QDialog::Accepted || !m_editor.Add(ask.Name())) return;
    Refill(ask.Name());
    EditGroup(ask.Name(), true);
}

void CGroupsDialog::OnRename()
{
    std::optional<std::string> old = Selected();
    if (!old) return;
    CGroupNameDialog ask(kRenameGroupCaption, *old, m_messageBox, this);
    if (ask.exec() != QDialog::Accepted) return;
    Tell(m_editor.Rename(*old, ask.Name()));
    Refill(ask.Name());
}

void CGroupsDialog::OnDelete()
{
    std::optional<std::string> name = Selected();
    if (!name) return;
    if (m_messageBox.Show(DeleteGroupQuestion(*name), kDeleteGroupCaption, MbIcon::Question, MbButtons::YesNo) !=
        MbAnswer::Yes)
        return;
    Tell(m_editor.Delete(*name));
    Refill();
}

void CGroupsDialog::OnEdit()
{
    if (std::optional<std::string> name = Selected()) EditGroup(*name, false);
}

}  // namespace corvane
