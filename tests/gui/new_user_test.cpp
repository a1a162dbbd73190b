// A new user's first page, start to end, with the program's own pieces: the program on
// an empty data directory and empty settings, the paging central's own process on a
// pseudo-terminal, and every step through the windows: Configure > Modems, Service
// Providers and Pagers, then Page, the message, OK, and the confirmation box.
//
// With CORVANE_SHOT_DIR set (and an X server: QT_QPA_PLATFORM=xcb), each step leaves a
// screenshot of the whole screen there.

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeView>

#include <cstdlib>
#include <optional>

#include "app/core/program.h"
#include "app/gui/corvane_frame.h"
#include "app/gui/dialogs/pager_message_dialog.h"
#include "app/gui/pager_list_form.h"
#include "app/gui/pager_table_model.h"
#include "app/gui/qt_event_pump.h"
#include "app/gui/qt_message_box.h"
#include "app/gui/qt_reactor.h"
#include "common/clock.h"
#include "tests/dialogs/dialog_fixture.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/scoped_environment.h"
#include "tests/gui/gui_test_registry.h"
#include "tests/sim/sim_process.h"

namespace corvane::test {

class NewUserTest : public QObject {
    Q_OBJECT

    int m_shot = 0;

    void Shot(const char* step)
    {
        const char* dir = std::getenv("CORVANE_SHOT_DIR");
        if (!dir || !*dir) return;
        QTest::qWait(300);  // painted
        QString file = QString("%1/%2-%3.png").arg(dir).arg(++m_shot, 2, 10, QChar('0')).arg(step);
        QProcess::execute("import", {"-window", "root", file});
    }

    static void TypeInto(QLineEdit* line, const QString& text)
    {
        line->setFocus();
        line->selectAll();
        QTest::keyClicks(line, text);
    }

private slots:
    void ANewUserConfiguresEverythingInTheWindowsAndPagesThePagingCentral()
    {
        CTempDir root;
        const std::string dataDir = root.File("data/");
        CScopedEnvironment environment;
        // Started in an empty folder without -W: that folder is the data directory, and
        // the page log "log.txt" is written there.
        QVERIFY(environment.EnterFreshUser(root.path()));

        sim::CSimProcess central;
        QVERIFY(central.Start(root.File("sim/"), "dial-reply-ms 500\nreply-delay-ms 50\ngo-ahead-delay-ms 100\n"));
        const QString line = QString::fromStdString(central.Line());

        // The desktop program as its main() puts it together.
        CProgram program("");
        CSystemClock clock;
        CQtEventPump pump;
        CQtReactor reactor;
        CQtMessageBox messageBox;
        CInputHookLibrary hooks;
        CCorvaneFrame frame(pump, program.Title());
        messageBox.SetOwner(&frame);
        QVERIFY(program.Create(ShellParts{frame, messageBox, pump, reactor, clock, hooks}));
        frame.Attach(FrameContext{program.Settings(), program.RunState(), [&program] { program.OnTick(); },
                                  [&program] { program.Shutdown(); }, clock});
        frame.ShowAtStoredRectangle();
        program.StartMonitoringServices();
        frame.StartTick();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.Form().Model().Rows().size(), std::size_t(0));
        QVERIFY(!frame.Form().PageButton()->isEnabled());
        Shot("empty");

        // Configure > Modems: the simulator's line is typed into the line device box.
        OnNextModal([&](QWidget* dialog) {
            auto* device = Child<QComboBox>(dialog, "pagingLine");
            TypeInto(device->lineEdit(), line);
            Shot("modems");
            ClickOk(dialog);
        });
        frame.findChild<QAction*>("configureModemsAction")->trigger();
        QCOMPARE(QString::fromStdString(program.Settings().Get(key::PagePort)), line);
        QVERIFY(FileText(root.File("sysconf/Tarnwick/Corvane.ini")).contains("PagePort=" + line));

        // Configure > Service Providers: an alphanumeric service at the central's number.
        OnNextModal([&](QWidget* services) {
            OnNextModal([&](QWidget* service) {
                Type(service, "name", "Metro Paging");
                Click(service, "alphanumeric");
                Type(service, "phoneNumber", "555-1212");
                Shot("service");
                ClickOk(service);
            });
            Click(services, "add");
            Shot("services");
            ClickOk(services);
        });
        frame.findChild<QAction*>("configureServicesAction")->trigger();

        // Configure > Pagers: a pager on that service.
        OnNextModal([&](QWidget* pagers) {
            OnNextModal([&](QWidget* pager) {
                Type(pager, "name", "Ann");
                Choose(pager, "service", "Metro Paging");
                Type(pager, "pagerId", "1001");
                Shot("pager");
                ClickOk(pager);
            });
            Click(pagers, "add");
            Shot("pagers");
            ClickOk(pagers);
        });
        frame.findChild<QAction*>("configurePagersAction")->trigger();
        QCOMPARE(frame.Form().Model().Rows().size(), std::size_t(1));
        QCOMPARE(frame.Form().Model().Rows()[0].cells[0], std::string("Ann"));
        const PagerRecord* ann = program.RunState().Pagers().FindByName("Ann");
        QVERIFY(ann);
        QCOMPARE(ann->PhoneNumber, std::string("555-1212"));
        QCOMPARE(ann->PagerType, std::string("1"));

        // Select Ann, Page, type the message, OK.
        QTreeView* list = frame.Form().List();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(frame.Form().Model().index(0, 0)).center());
        QTest::mouseClick(frame.Form().PageButton(), Qt::LeftButton);
        CPagerMessageDialog* message = frame.Dialogs()->MessageDialog();
        QVERIFY(message);
        QVERIFY(QTest::qWaitForWindowExposed(message));
        Type(message, "alpha", "Call the office");
        Shot("message");

        QString confirmation;
        OnNextModal([&](QWidget* box) {
            auto* shown = qobject_cast<QMessageBox*>(box);
            confirmation = shown ? shown->text() : box->windowTitle();
            Shot("confirmation");
            if (QAbstractButton* ok = shown ? shown->button(QMessageBox::Ok) : nullptr) ok->click();
            else if (auto* dialog = qobject_cast<QDialog*>(box)) dialog->reject();
        });
        ClickOk(message);
        // The next tick starts the run: the dial, the logon, the block, the logoff, then
        // the 4 s that follow every call.
        QTRY_VERIFY_WITH_TIMEOUT(!confirmation.isEmpty(), 60000);
        QCOMPARE(confirmation, QString("Your page(s) were delivered successfully."));
        QTRY_COMPARE_WITH_TIMEOUT(frame.Form().StatusField()->text(), QString("Idle"), 5000);
        Shot("delivered");

        QString log = FileText(dataDir + "log.txt");
        QVERIFY2(QRegularExpression(R"(^\d\d/\d\d/\d\d \d\d:\d\d[AP]M Ann: Call the office\n$)").match(log).hasMatch(),
                 qPrintable(log));
        QCOMPARE(FileText(dataDir + "errorlog.txt"), QString());
        frame.RequestExit();
        QTRY_VERIFY(frame.Closed());
        central.Stop();
        QCOMPARE(central.Records("PAGE"), (std::vector<std::string>{"1001\tCall the office"}));
        QVERIFY2(central.Records("ERROR").empty(), central.Transcript().c_str());
    }
};

CORVANE_GUI_TEST(NewUserTest)

}  // namespace corvane::test

#include "new_user_test.moc"
