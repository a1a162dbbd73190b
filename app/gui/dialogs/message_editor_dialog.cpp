#include "app/gui/dialogs/message_editor_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

#include "app/core/message_editor.h"
#include "app/gui/dialogs/list_dialog_layout.h"
#include "app/gui/dialogs/qt_text.h"

namespace corvane {

CMessageEditorDialog::CMessageEditorDialog(CMessageEditor& editor, std::vector<PagerChoice> pagers, QWidget* parent)
    : QDialog(parent), m_editor(editor), m_pagers(std::move(pagers))
{
    setWindowTitle(m_editor.Title());
    m_names = new QComboBox(this);
    m_names->setObjectName("messages");
    m_names->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_names->setMinimumContentsLength(25);
    QPushButton* add = NamedButton(this, "&New", "new");
    QPushButton* remove = NamedButton(this, "&Delete", "delete");
    auto* top = new QHBoxLayout;
    top->addWidget(m_names, 1);
    top->addWidget(add);
    top->addWidget(remove);

    m_name = new QLineEdit(this);
    m_name->setObjectName("name");
    m_alpha = new QPlainTextEdit(this);
    m_alpha->setObjectName("alpha");
    m_alpha->setTabChangesFocus(true);
    m_numeric = new QLineEdit(this);
    m_numeric->setObjectName("numeric");
    auto* fields = new QFormLayout;
    fields->addRow(new QLabel("Name", this), m_name);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(fields);
    layout->addWidget(new QLabel(kAlphaTextLabel, this));
    layout->addWidget(m_alpha, 1);
    layout->addWidget(new QLabel(kNumericTextLabel, this));
    layout->addWidget(m_numeric);
    if (m_editor.kind() == CMessageEditor::Kind::Dashnote) {
        m_recipients = new QListWidget(this);
        m_recipients->setObjectName("recipients");
        m_recipients->setSelectionMode(QAbstractItemView::MultiSelection);
        for (const PagerChoice& pager : m_pagers) new QListWidgetItem(ToQtShown(pager.name), m_recipients);
        layout->addWidget(new QLabel(kRecipientsLabel, this));
        layout->addWidget(m_recipients, 1);
        connect(m_recipients, &QListWidget::itemSelectionChanged, this, [this] {
            if (!m_showing) m_recipientsTouched = true;
        });
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &CMessageEditorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CMessageEditorDialog::reject);
    connect(m_names, &QComboBox::activated, this, &CMessageEditorDialog::OnChosen);
    connect(m_name, &QLineEdit::textEdited, this, &CMessageEditorDialog::OnNameEdited);
    connect(add, &QPushButton::clicked, this, &CMessageEditorDialog::OnNew);
    connect(remove, &QPushButton::clicked, this, &CMessageEditorDialog::OnDelete);
    FillNames();
    ShowCurrent();
}

void CMessageEditorDialog::FillNames()
{
    m_names->clear();
    for (std::size_t i = 0; i < m_editor.Count(); ++i) m_names->addItem(ToQtShown(m_editor.ShownName(i)));
    m_names->setCurrentIndex(static_cast<int>(m_editor.Current()));
}

void CMessageEditorDialog::ShowCurrent()
{
    m_showing = true;
    const DashnoteMessage& entry = m_editor.CurrentEntry();
    m_names->setCurrentIndex(static_cast<int>(m_editor.Current()));
    m_name->setText(ToQtShown(entry.Name));
    m_name->setModified(false);
    m_alpha->setPlainText(ToQtShown(entry.AlphaText));
    m_alpha->document()->setModified(false);
    m_numeric->setText(ToQtShown(entry.NumericText));
    m_numeric->setModified(false);
    if (m_recipients) {
        for (int i = 0; i < m_recipients->count(); ++i) {
            const std::int32_t code = m_pagers[static_cast<std::size_t>(i)].code;
            const auto& chosen = entry.Recipients;
            m_recipients->item(i)->setSelected(std::find(chosen.begin(), chosen.end(), code) != chosen.end());
        }
    }
    m_recipientsTouched = false;
    m_showing = false;
}

// Only what the user changed goes back: untouched texts keep their bytes, and pagers of
// the message that are not in the list stay until its pagers are chosen again.
void CMessageEditorDialog::StoreCurrent()
{
    DashnoteMessage& entry = m_editor.CurrentEntry();
    if (m_name->isModified()) entry.Name = FromQt(m_name->text());
    if (m_alpha->document()->isModified()) entry.AlphaText = FromQt(m_alpha->toPlainText());
    if (m_numeric->isModified()) entry.NumericText = FromQt(m_numeric->text());
    if (m_recipients && m_recipientsTouched) {
        entry.Recipients.clear();
        for (int i = 0; i < m_recipients->count(); ++i)
            if (m_recipients->item(i)->isSelected()) entry.Recipients.push_back(m_pagers[static_cast<std::size_t>(i)].code);
    }
}

void CMessageEditorDialog::OnChosen(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) == m_editor.Current()) return;
    StoreCurrent();
    m_editor.Select(static_cast<std::size_t>(index));
    ShowCurrent();
}

void CMessageEditorDialog::OnNameEdited(const QString& text)
{
    // The drop-down follows the name as it is typed.
    m_editor.CurrentEntry().Name = FromQt(text);
    m_names->setItemText(static_cast<int>(m_editor.Current()), ToQtShown(m_editor.ShownName(m_editor.Current())));
}

void CMessageEditorDialog::OnNew()
{
    StoreCurrent();
    if (!m_editor.New()) return;
    FillNames();
    ShowCurrent();
    m_name->setFocus();
}

void CMessageEditorDialog::OnDelete()
{
    StoreCurrent();
    if (!m_editor.Delete()) return;
    FillNames();
    ShowCurrent();
}

void CMessageEditorDialog::accept()
{
    StoreCurrent();
    // A file that could not be written, and the user gave up retrying: the dialog stays
    // open with everything typed.
    if (!m_editor.Save()) return;
    QDialog::accept();
}

void CMessageEditorDialog::reject()
{
    if (!m_editor.ConfirmCancel()) return;
    QDialog::reject();
}

}  // namespace corvane
