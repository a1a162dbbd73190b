#include "tests/dialogs/dialog_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace corvane::test {

void OnNextModal(std::function<void(QWidget*)> action)
{
    QWidget* before = QApplication::activeModalWidget();
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, before, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == before || !modal->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        action(modal);
        // A check that failed inside the action returned early: close what it left open,
        // so that the test reports the failure instead of waiting in the dialog forever.
        while (QTest::currentTestFailed() && QApplication::activeModalWidget()) {
            QWidget* open = QApplication::activeModalWidget();
            if (auto* dialog = qobject_cast<QDialog*>(open)) dialog->reject();
            else open->close();
            if (QApplication::activeModalWidget() == open) break;
        }
    });
    timer->start();
}

void Type(QWidget* parent, const char* name, const QString& text)
{
    QWidget* box = Child(parent, name);
    box->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(box)) line->selectAll();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(box)) edit->selectAll();
    if (text.isEmpty()) QTest::keyClick(box, Qt::Key_Delete);
    for (QChar c : text) {
        if (c == '\n') QTest::keyClick(box, Qt::Key_Return);
        else QTest::keyClicks(box, QString(c));
    }
}

void Click(QWidget* parent, const char* name)
{
    auto* button = Child<QAbstractButton>(parent, name);
    if (!button->isEnabled()) qFatal("%s is disabled", name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void Choose(QWidget* parent, const char* name, const QString& item)
{
    auto* combo = Child<QComboBox>(parent, name);
    int target = combo->findText(item, Qt::MatchExactly);
    if (target < 0 || !combo->isEnabled()) qFatal("%s offers no %s", name, qPrintable(item));
    combo->setFocus();
    if (combo->currentIndex() == target) emit combo->activated(target);  // taken again from the list
    while (combo->currentIndex() != target)
        QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
}

static QAbstractButton* OkButton(QWidget* dialog, QDialogButtonBox::StandardButton which = QDialogButtonBox::Ok)
{
    for (auto* box : dialog->findChildren<QDialogButtonBox*>())
        if (QAbstractButton* button = box->button(which); button && box->window() == dialog->window())
            return button;
    qFatal("no standard button");
}

void ClickOk(QWidget* dialog)
{
    if (!OkButton(dialog)->isEnabled()) qFatal("OK is disabled");
    QTest::mouseClick(OkButton(dialog), Qt::LeftButton);
}

void ClickCancel(QWidget* dialog)
{
    QTest::mouseClick(OkButton(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
}

}  // namespace corvane::test
