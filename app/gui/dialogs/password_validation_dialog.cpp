#include "app/gui/dialogs/password_validation_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/core/password.h"
#include "app/gui/dialogs/qt_text.h"

namespace corvane {

CPasswordValidationDialog::CPasswordValidationDialog(ISettings& settings, IMessageBox& messageBox, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_messageBox(messageBox)
{
    setWindowTitle(kPasswordValidationTitle);
    auto* text = new QLabel(kPasswordValidationText, this);
    text->setObjectName("text");
    text->setWordWrap(true);
    m_password = new QLineEdit(this);
    m_password->setObjectName("password");
    m_password->setEchoMode(QLineEdit::Password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("buttons");
    connect(buttons, &QDialogButtonBox::accepted, this, &CPasswordValidationDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPasswordValidationDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_password);
    layout->addWidget(buttons);
    m_password->setFocus();
}

void CPasswordValidationDialog::accept()
{
    if (!ValidatePasswordEntry(m_settings, FromQt(m_password->text()), m_messageBox)) {
        m_password->selectAll();
        m_password->setFocus();
        return;
    }
    QDialog::accept();
}

bool AskForPassword(ISettings& settings, IMessageBox& messageBox, QWidget* parent)
{
    return PasswordAllows(settings, [&] {
        CPasswordValidationDialog dialog(settings, messageBox, parent);
        return dialog.exec() == QDialog::Accepted;
    });
}

}  // namespace corvane
