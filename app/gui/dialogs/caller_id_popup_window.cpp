#include "app/gui/dialogs/caller_id_popup_window.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace corvane {

CCallerIdPopupWindow::CCallerIdPopupWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("callerIdPopup");
    setWindowTitle("Incoming Call");
    m_number = new QLabel;
    m_number->setObjectName("callingNumber");
    m_name = new QLabel;
    m_name->setObjectName("callingName");
    for (QLabel* field : {m_number, m_name}) {
        field->setTextFormat(Qt::PlainText);
        // Sized for a number and a name before they arrive: the window stays where it opened.
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("(555) 555-5555 (Line 2)")));
        field->setMinimumHeight(field->fontMetrics().height());
    }
    m_ok = new QPushButton(tr("OK"));
    m_ok->setObjectName("okButton");
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &CCallerIdPopupWindow::okClicked);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Calling Number:"), m_number);
    fields->addRow(tr("Calling Name:"), m_name);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(m_ok, 0, Qt::AlignHCenter);
}

void CCallerIdPopupWindow::ShowCentred()
{
    adjustSize();
    show();
    // Centred with its frame, which exists once the window is shown.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    raise();
}

void CCallerIdPopupWindow::SetNumber(const QString& shown)
{
    m_number->setText(shown);
}

void CCallerIdPopupWindow::SetName(const QString& name)
{
    m_name->setText(name);
}

QString CCallerIdPopupWindow::Number() const
{
    return m_number->text();
}

QString CCallerIdPopupWindow::Name() const
{
    return m_name->text();
}

void CCallerIdPopupWindow::closeEvent(QCloseEvent* event)
{
    // Hidden by the call monitor, or closed by the user: either way the monitor decides.
    if (!isVisible()) {
        event->accept();
        return;
    }
    event->ignore();
    emit okClicked();
}

}  // namespace corvane
