#pragma once
// Sets, changes or removes the configuration password. With a password set, the
// current one must be typed first.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace corvane {

class IMessageBox;
class ISettings;

class CPasswordDialog final : public QDialog {
    Q_OBJECT
public:
    CPasswordDialog(ISettings& settings, IMessageBox& messageBox, QWidget* parent = nullptr);

public slots:
    void accept() override;

private:
    void UpdateOk();

    ISettings& m_settings;
    IMessageBox& m_messageBox;
    QLineEdit* m_current = nullptr;
    QLineEdit* m_new = nullptr;
    QLineEdit* m_confirm = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace corvane
