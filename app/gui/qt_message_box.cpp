#include "app/gui/qt_message_box.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace corvane {
namespace {

QMessageBox::Icon ToQt(MbIcon icon)
{
    switch (icon) {
    case MbIcon::Information: return QMessageBox::Information;
    case MbIcon::Warning: return QMessageBox::Warning;
    case MbIcon::Error: return QMessageBox::Critical;
    case MbIcon::Question: return QMessageBox::Question;
    case MbIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// A box closed without a button (the window manager's close) answers as Escape would.
MbAnswer EscapeAnswer(MbButtons buttons)
{
    switch (buttons) {
    case MbButtons::RetryCancel: return MbAnswer::Cancel;
    case MbButtons::YesNo: return MbAnswer::No;
    case MbButtons::Ok: break;
    }
    return MbAnswer::Ok;
}

}  // namespace

QWidget* CQtMessageBox::OwnerOnScreen() const
{
    // A hidden or minimised window would hide its box with it: the box then stands alone.
    if (!m_owner || !m_owner->isVisible() || m_owner->isMinimized()) return nullptr;
    return m_owner;
}

MbAnswer CQtMessageBox::Show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons)
{
    QMessageBox box(ToQt(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    QMessageBox::NoButton, OwnerOnScreen());
    switch (buttons) {
    case MbButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        break;
    case MbButtons::RetryCancel:
        box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Retry);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    case MbButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    }
    // A box that comes up while the program waits takes the arrow for its buttons.
    const bool waiting = QGuiApplication::overrideCursor() != nullptr;
    if (waiting) QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (waiting) QGuiApplication::restoreOverrideCursor();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok: return MbAnswer::Ok;
    case QMessageBox::Retry: return MbAnswer::Retry;
    case QMessageBox::Cancel: return MbAnswer::Cancel;
    case QMessageBox::Yes: return MbAnswer::Yes;
    case QMessageBox::No: return MbAnswer::No;
    default: break;
    }
    return EscapeAnswer(buttons);
}

}  // namespace corvane
