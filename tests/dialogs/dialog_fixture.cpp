#include "tests/dialogs/dialog_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace corvane::test {

CProgramFixture::CProgramFixture()
{
    settings.Write(key::LogFileName, dir.File("log.txt"));
    state = std::make_unique<CRunState>(
        RunStateDeps{settings, boxes, frame, pump, clock, ports, transports, hooks, "Corvane", dir.path()});
}

void CProgramFixture::Create()
{
    state->Create(false, 5, "");
}

PagerRecord& CProgramFixture::AddPager(CPagerList& list, const std::string& name, const std::string& type,
                                       std::vector<std::string> groups)
{
    PagerRecord& pager = *list.NewPager();
    pager.UserName = name;
    pager.PagerType = type;
    pager.Groups = std::move(groups);
    return pager;
}

void CProgramFixture::SavePagers(CPagerList& list)
{
    list.Save(state->Files());
    state->RereadPagers();
}

void CProgramFixture::LoadLocal(CPagerList& list)
{
    list.LoadLocal(state->Files());
}

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
        if (QTest::currentTestFailed())
            while (QWidget* open = QApplication::activeModalWidget()) {
                if (auto* dialog = qobject_cast<QDialog*>(open))
                    dialog->reject();
                else
                    open->close();
                if (QApplication::activeModalWidget() == open) break;
            }
    });
    timer->start();
}

void Type(QWidget* parent, const char* name, const QString& text)
{
    QWidget* box = Child<QWidget>(parent, name);
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->setFocus();
        line->selectAll();
        if (text.isEmpty()) QTest::keyClick(line, Qt::Key_Delete);
    } else if (auto* edit = qobject_cast<QPlainTextEdit*>(box)) {
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
    }
    for (QChar c : text) {
        if (c == '\n')
            QTest::keyClick(box, Qt::Key_Return);
        else
            QTest::keyClicks(box, QString(c));
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
    if (target < 0) qFatal("%s offers no %s", name, qPrintable(item));
    if (!combo->isEnabled()) qFatal("%s is disabled", name);
    combo->setFocus();
    if (combo->currentIndex() == target) {
        // Choosing the item already shown: the user opens the list and takes it again.
        emit combo->activated(target);
        return;
    }
    while (combo->currentIndex() != target)
        QTest::keyClick(combo, combo->currentIndex() < target ? Qt::Key_Down : Qt::Key_Up);
}

static QAbstractButton* BoxButton(QWidget* dialog, QDialogButtonBox::StandardButton which)
{
    for (auto* box : dialog->findChildren<QDialogButtonBox*>())
        if (QAbstractButton* button = box->button(which); button && box->window() == dialog->window())
            return button;
    qFatal("no standard button");
}

void ClickOk(QWidget* dialog)
{
    QAbstractButton* ok = BoxButton(dialog, QDialogButtonBox::Ok);
    if (!ok->isEnabled()) qFatal("OK is disabled");
    QTest::mouseClick(ok, Qt::LeftButton);
}

void ClickCancel(QWidget* dialog)
{
    QTest::mouseClick(BoxButton(dialog, QDialogButtonBox::Cancel), Qt::LeftButton);
}

QStringList Texts(QWidget* dialog)
{
    QStringList texts{dialog->windowTitle()};
    for (auto* label : dialog->findChildren<QLabel*>()) texts << label->text();
    for (auto* button : dialog->findChildren<QAbstractButton*>()) texts << button->text();
    for (auto* group : dialog->findChildren<QGroupBox*>()) texts << group->title();
    return texts;
}

}  // namespace corvane::test
