// View > Page Log from the main window: a page that failed is resubmitted from the error
// log and goes out at the next tick.

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include "app/gui/dialogs/dialog_commands.h"
#include "engine/page_log.h"
#include "tests/dialogs/dialog_fixture.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/gui_test_registry.h"

namespace corvane::test {

class PageLogMenuTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CGuiHarness> h;

    QAction* Action(const char* name)
    {
        auto* action = h->frame->findChild<QAction*>(name);
        if (!action) qFatal("no action %s", name);
        return action;
    }

private slots:
    void init() { h = std::make_unique<CGuiHarness>(); }
    void cleanup() { h.reset(); }

    void aFailedPageIsResubmittedFromTheErrorLogAndSentAtTheNextTick()
    {
        h->SavePagers({{"John"}});
        h->Start();
        PagerRecord john;
        john.UserName = "John";
        CPageLog(h->settings, h->clock, h->dir.path()).LogError(john, 5, "Call the desk");

        const QString errorLog = QString::fromStdString(h->dir.File("errorlog.txt"));
        OnNextModal([errorLog](QWidget* files) {
            OnNextModal([](QWidget* log) {
                auto* entries = Child<QListView>(log, "entries");
                entries->setCurrentIndex(entries->model()->index(0, 0));
                Click(log, "resubmit");
                Click(log, "ok");
            });
            QApplication::setActiveWindow(files);
            auto* name = Child<QLineEdit>(files, "fileNameEdit");
            name->setFocus();
            name->setText(errorLog);
            QTest::keyClick(name, Qt::Key_Return);
        });
        Action("pageLogAction")->trigger();
        QCOMPARE(h->state->Queue().sendRequest, int(kSendInteractive));
        QCOMPARE(h->frame->PaneText(StatusPane::Queue), QString("1"));

        std::vector<std::string> sent;
        h->transports.sendScripts.push_back([&](std::vector<AddedPage>& pages) {
            for (const AddedPage& page : pages) sent.push_back(page.copy.UserName + ": " + page.message);
            return 0;
        });
        h->frame->TickNow();
        QCOMPARE(sent, std::vector<std::string>{"John: Call the desk"});
        QVERIFY(FileText(h->dir.File("log.txt")).endsWith("John: Call the desk\n"));
    }
};

CORVANE_GUI_TEST(PageLogMenuTest)

}  // namespace corvane::test

#include "page_log_menu_test.moc"
