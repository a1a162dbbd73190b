#include "app/gui/dialogs/password_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/core/password.h"
#include "app/gui/dialogs/qt_text.h"

namespace corvane {

namespace {

QLineEdit* MaskedBox(QWidget* parent, const char* name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setEchoMode(QLineEdit::Password);
    return box;
}

}  // namespace

CPasswordDialog::CPasswordDialog(ISettings& settings, IMessageBox& messageBox, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_messageBox(messageBox)
{
    setWindowTitle(kPasswordTitle);
    m_current = MaskedBox(this, "current");
    m_new = MaskedBox(this, "new");
    m_confirm = MaskedBox(this, "confirm");
    auto* currentLabel = new QLabel("Current Password", this);
    currentLabel->setObjectName("currentLabel");
    auto* form = new QFormLayout;
    form->addRow(currentLabel, m_current);
    form->addRow("New Password", m_new);
    form->addRow("Confirm Password", m_confirm);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPasswordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPasswordDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    PasswordDialogRules rules = PasswordRules(m_settings, "");
    m_current->setEnabled(rules.currentEnabled);
    currentLabel->setEnabled(rules.currentEnabled);
    (rules.currentEnabled ? m_current : m_new)->setFocus();
    connect(m_current, &QLineEdit::textChanged, this, &CPasswordDialog::UpdateOk);
    UpdateOk();
}

void CPasswordDialog::UpdateOk()
{
    m_ok->setEnabled(PasswordRules(m_settings, FromQt(m_current->text())).okEnabled);
}

void CPasswordDialog::accept()
{
    if (!ChangePassword(m_settings, FromQt(m_current->text()), FromQt(m_new->text()), FromQt(m_confirm->text()),
                        m_messageBox))
        return;
    QDialog::accept();
}

}  // namespace corvane
