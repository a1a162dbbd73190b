// A Dashnote, start to end, with the program's own pieces: the program as its main() puts
// it together, the paging central's own process on a pseudo-terminal as the page modem,
// the Dashnote made in Dashnote > Configure with two of three pagers highlighted, then
// chosen from the Dashnote menu: both pages reach the paging central in one call.

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>

#include "app/core/program.h"
#include "app/gui/corvane_frame.h"
#include "app/gui/frame_commands.h"
#include "app/gui/pager_list_form.h"
#include "app/gui/qt_event_pump.h"
#include "app/gui/qt_message_box.h"
#include "app/gui/qt_reactor.h"
#include "common/clock.h"
#include "tests/dialogs/dialog_checks.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/gui_test_registry.h"
#include "tests/gui/scoped_environment.h"
#include "tests/sim/sim_process.h"

namespace corvane::test {

class DashnoteEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void ADashnoteWithTwoPagersChosenFromTheMenuReachesThePagingCentral()
    {
        CTempDir root;
        const std::string dataDir = root.File("data/");
        CScopedEnvironment environment;
        QVERIFY(environment.EnterFreshUser(root.path()));
        {
            // Three alphanumeric pagers of one paging company.
            CMemorySettings settings;
            CRecordingMessageBox boxes;
            CPagerList pagers;
            for (auto [name, id] : {std::pair{"Ann", "1001"}, {"Bob", "1002"}, {"Cy", "1003"}}) {
                PagerRecord& p = *pagers.NewPager();
                p.UserName = name;
                p.PagerID = id;
                p.PagerType = "1";
                p.PhoneNumber = "555-1212";
            }
            pagers.Save(DataFiles{dataDir, settings, boxes});
        }

        sim::CSimProcess central;
        QVERIFY(central.Start(root.File("sim/"), "dial-reply-ms 500\nreply-delay-ms 50\ngo-ahead-delay-ms 100\n"));
        CProgram program("");
        CSystemClock clock;
        CQtEventPump pump;
        CQtReactor reactor;
        CQtMessageBox messageBox;
        CInputHookLibrary hooks;
        CCorvaneFrame frame(pump, program.Title());
        messageBox.SetOwner(&frame);
        QVERIFY(program.Create(ShellParts{frame, messageBox, pump, reactor, clock, hooks}));
        program.Settings().Write(key::PagePort, central.Line());
        frame.Attach(FrameContext{program.Settings(), program.RunState(), [&program] { program.OnTick(); },
                                  [&program] { program.Shutdown(); }, clock});
        frame.ShowAtStoredRectangle();
        program.StartMonitoringServices();
        frame.StartTick();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        // Dashnote > Configure: the name, the text, Ann and Bob highlighted.
        OnNextModal([](QWidget* editor) {
            Type(editor, "name", "Server room");
            Type(editor, "alpha", "Server room too hot");
            QCOMPARE(Items(editor, "recipients"), (QStringList{"Ann", "Bob", "Cy"}));
            Select(editor, "recipients", {0, 1});
            ClickOk(editor);
        });
        frame.CommandAction(cmd::DashnoteConfigure)->trigger();
        QCOMPARE(frame.Commands().DashnoteActions().size(), std::size_t(1));
        QAction* serverRoom = frame.Commands().DashnoteActions().front();
        QCOMPARE(serverRoom->text(), QString("Server room"));

        QString confirmation;
        OnNextModal([&](QWidget* box) {
            auto* shown = qobject_cast<QMessageBox*>(box);
            confirmation = shown ? shown->text() : box->windowTitle();
            if (auto* dialog = qobject_cast<QDialog*>(box)) dialog->done(QDialog::Accepted);
        });
        serverRoom->trigger();
        QCOMPARE(frame.PaneText(StatusPane::Queue), QString("2"));
        QTRY_VERIFY_WITH_TIMEOUT(!confirmation.isEmpty(), 60000);
        QCOMPARE(confirmation, QString("Your page(s) were delivered successfully."));
        QTRY_COMPARE_WITH_TIMEOUT(frame.Form().StatusField()->text(), QString("Idle"), 5000);

        const QString log = FileText(dataDir + "log.txt");
        QVERIFY2(QRegularExpression(R"(^.* Ann: Server room too hot\n.* Bob: Server room too hot\n$)").match(log).hasMatch(),
                 qPrintable(log));
        frame.RequestExit();
        QTRY_VERIFY(frame.Closed());
        central.Stop();
        QCOMPARE(central.Records("PAGE"),
                 (std::vector<std::string>{"1001\tServer room too hot", "1002\tServer room too hot"}));
        // One call for both: a single logon.
        QCOMPARE(central.Records("LOGON").size(), std::size_t(1));
        QVERIFY2(central.Records("ERROR").empty(), central.Transcript().c_str());
    }
};

CORVANE_GUI_TEST(DashnoteEndToEndTest)

}  // namespace corvane::test

#include "dashnote_end_to_end_test.moc"
