// The main window's File > Print Setup and Print Pager List and View > Page Log: a page
// that failed is resubmitted from the error log and goes out at the next tick.

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTest>

#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/dialogs/print_commands.h"
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

    static QStringList Entries(QMenu* menu)
    {
        QStringList texts;
        for (QAction* action : menu->actions()) texts << (action->isSeparator() ? "-" : action->text());
        return texts;
    }

    static QMenu* Menu(QMenuBar* bar, const QString& title)
    {
        for (QAction* action : bar->actions())
            if (action->text() == title) return action->menu();
        qFatal("no menu %s", qPrintable(title));
    }

private slots:
    void init() { h = std::make_unique<CGuiHarness>(); }
    void cleanup() { h.reset(); }

    void theFileAndViewMenus()
    {
        h->Start(false);
        QCOMPARE(Entries(Menu(h->frame->menuBar(), "&File")),
                 QStringList({"&Log Pages To...", "Print Set&up...", "&Print Pager List...", "-", "E&xit"}));
        QCOMPARE(Entries(Menu(h->frame->menuBar(), "&View")), QStringList({"Page &Log..."}));
    }

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

    void printPagerListFromTheMenu()
    {
        h->SavePagers({{"John", {"Desk"}}, {"Mary"}});
        h->Start();
        const std::string pdf = h->dir.File("pagers.pdf");
        h->frame->Dialogs()->Printing().Printer().setOutputFileName(QString::fromStdString(pdf));
        OnNextModal([](QWidget* setup) { qobject_cast<QDialog*>(setup)->accept(); });
        Action("printSetupAction")->trigger();
        OnNextModal([](QWidget* print) { qobject_cast<QDialog*>(print)->accept(); });
        Action("printPagerListAction")->trigger();
        QProcess text;
        text.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
        QVERIFY(text.waitForFinished(30000));
        QString printed = QString::fromUtf8(text.readAllStandardOutput()).simplified();
        QVERIFY2(printed.contains("John SNPP:") && printed.contains("Desk") && printed.contains("Mary SNPP:") &&
                     printed.contains("Page 1"),
                 qPrintable(printed));
    }
};

CORVANE_GUI_TEST(PageLogMenuTest)

}  // namespace corvane::test

#include "page_log_menu_test.moc"
