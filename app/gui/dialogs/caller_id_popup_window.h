#pragma once
// The caller-ID pop-up: a small "Incoming Call" window with the caller's number and name,
// centred on the screen and above other windows. The call monitor decides when it opens,
// what it shows and when it closes; OK asks the call monitor to close it.

#include <QWidget>

class QLabel;
class QPushButton;

namespace corvane {

class CCallerIdPopupWindow final : public QWidget {
    Q_OBJECT
public:
    explicit CCallerIdPopupWindow(QWidget* parent = nullptr);

    void ShowCentred();
    void SetNumber(const QString& shown);
    void SetName(const QString& name);
    QString Number() const;
    QString Name() const;
    QPushButton* OkButton() const { return m_ok; }

signals:
    void okClicked();

protected:
    // The window's own close button is the OK button.
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_number = nullptr;
    QLabel* m_name = nullptr;
    QPushButton* m_ok = nullptr;
};

}  // namespace corvane
