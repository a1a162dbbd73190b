#pragma once
// Message boxes of the desktop program: a QMessageBox with the caption as its title,
// the icon and the buttons asked for, owned by the main window while it is on screen.

#include <QPointer>
#include <QWidget>

#include "common/message_box.h"

namespace corvane {

class CQtMessageBox final : public IMessageBox {
public:
    explicit CQtMessageBox(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }

    MbAnswer Show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons) override;

private:
    QWidget* OwnerOnScreen() const;
    QPointer<QWidget> m_owner;
};

}  // namespace corvane
