#pragma once
// Asks for the configuration password before a guarded command. A wrong password is
// refused with a warning and the dialog stays open; Cancel abandons the command.

#include <QDialog>

class QLineEdit;

namespace corvane {

class IMessageBox;
class ISettings;

class CPasswordValidationDialog final : public QDialog {
    Q_OBJECT
public:
    CPasswordValidationDialog(ISettings& settings, IMessageBox& messageBox, QWidget* parent = nullptr);

public slots:
    void accept() override;

private:
    ISettings& m_settings;
    IMessageBox& m_messageBox;
    QLineEdit* m_password = nullptr;
};

// The check before a guarded command: true without a stored password, or when the
// user gave the right one.
bool AskForPassword(ISettings& settings, IMessageBox& messageBox, QWidget* parent);

}  // namespace corvane
