// A new user sets up mail paging through the windows only: the program on an empty data
// directory and empty settings, a pager on an SNPP server added in Configure > Pagers,
// then Configure > Preferences: the mail servers, the name and password, the switch and
// the pager that receives e-mail pages; then a filter in Configure > Mail Filters. With
// Monitor Without Screen Saver on, a matching mail in the real IMAP server's inbox
// reaches the pager.
//
// With CORVANE_SHOT_DIR set (and an X server: QT_QPA_PLATFORM=xcb), each step leaves a
// screenshot of the whole screen there.

#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAction>
#include <QListWidget>
#include <QProcess>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>

#include <cstdlib>

#include "app/core/hook_library.h"
#include "app/core/program.h"
#include "app/gui/corvane_frame.h"
#include "app/gui/qt_event_pump.h"
#include "app/gui/qt_message_box.h"
#include "app/gui/qt_reactor.h"
#include "common/clock.h"
#include "common/file_io.h"
#include "directory/pager_list.h"
#include "settings/mail_password.h"
#include "mail/mail_monitor.h"
#include "tests/dialogs/dialog_fixture.h"
#include "tests/gui/gui_test_registry.h"
#include "tests/gui/scoped_environment.h"
#include "tests/net/perl_snpp_server.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_servers.h"

namespace corvane::test {
namespace {

// The wall clock, moved on by the test so that the minute between inbox scans passes at
// once; the millisecond tick is the real one.
class CSteppedClock : public IClock {
public:
    std::time_t Now() const override { return m_real.Now() + m_ahead; }
    std::uint64_t TickMs() const override { return m_real.TickMs(); }
    void Advance(int seconds) { m_ahead += seconds; }

private:
    CSystemClock m_real;
    std::time_t m_ahead = 0;
};

}  // namespace

class NewUserMailTest : public QObject {
    Q_OBJECT

    int m_shot = 0;

    void Shot(const char* step)
    {
        const char* dir = std::getenv("CORVANE_SHOT_DIR");
        if (!dir || !*dir) return;
        QTest::qWait(300);  // painted
        QString file = QString("%1/mail-%2-%3.png").arg(dir).arg(++m_shot, 2, 10, QChar('0')).arg(step);
        QProcess::execute("import", {"-window", "root", file});
    }

    static void Page(QWidget* dialog, const QString& title)
    {
        auto* pages = Child<QTabWidget>(dialog, "pages");
        for (int i = 0; i < pages->count(); ++i)
            if (pages->tabText(i) == title) pages->setCurrentIndex(i);
    }

private slots:
    void ANewUserSetsUpMailPagingInTheWindows()
    {
        const int imapPort = ServerPort("imap");
        if (imapPort == 0) QSKIP("needs the imap test server (ctest)");
        const std::string user = "newuser" + std::to_string(::getpid());
        const std::string maildir = AddImapUser(user, "Pa55 word");
        CPerlSnppServer snpp;
        QVERIFY(snpp.running());

        CTempDir root;
        CScopedEnvironment environment;
        QVERIFY(environment.EnterFreshUser(root.path()));
        const std::string dataDir = root.File("data/");

        // The program is declared after what it is given, so that it ends before them.
        CSteppedClock clock;
        CQtEventPump pump;
        CQtReactor reactor;
        CQtMessageBox messageBox;
        CInputHookLibrary hooks;
        CProgram program("");
        CCorvaneFrame frame(pump, program.Title());
        messageBox.SetOwner(&frame);
        QVERIFY(program.Create(ShellParts{frame, messageBox, pump, reactor, clock, hooks}));
        frame.Attach(FrameContext{program.Settings(), program.RunState(), [&program] { program.OnTick(); },
                                  [&program] { program.Shutdown(); }, clock});
        frame.ShowAtStoredRectangle();
        frame.StartTick();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        OnNextModal([&](QWidget* pagers) {
            OnNextModal([&](QWidget* pager) {
                Type(pager, "name", "Ann");
                Type(pager, "pagerId", "5551001");
                Type(pager, "phoneNumber", QString::fromStdString(snpp.Dial()));
                Click(pager, "alphanumeric");
                ClickOk(pager);
            });
            Click(pagers, "add");
            ClickOk(pagers);
        });
        frame.findChild<QAction*>("configurePagersAction")->trigger();

        const std::string imap = "imap://127.0.0.1:" + std::to_string(imapPort) + "/INBOX";
        OnNextModal([&](QWidget* preferences) {
            Page(preferences, "EMail Monitoring");
            Type(preferences, "mailImapServer", QString::fromStdString(imap));
            Type(preferences, "mailSmtpServer", "smtp://127.0.0.1:2525");
            Type(preferences, "mailName", QString::fromStdString(user));
            Type(preferences, "mailPassword", "Pa55 word");
            Type(preferences, "mailFromAddress", "ann@example.org");
            Type(preferences, "mailScanMinutes", "0");
            auto* enable = Child<QAbstractButton>(preferences, "mailMonitor");
            QTest::mouseClick(enable, Qt::LeftButton, {}, QPoint(6, enable->height() / 2));
            auto* receivers = Child<QListWidget>(preferences, "mailPagers");
            QCOMPARE(receivers->count(), 1);
            receivers->item(0)->setSelected(true);
            Shot("mail-page");
            Page(preferences, "Display");
            auto* taskbar = Child<QAbstractButton>(preferences, "taskbarButton");
            QTest::mouseClick(taskbar, Qt::LeftButton, {}, QPoint(6, taskbar->height() / 2));
            ClickOk(preferences);
        });
        frame.findChild<QAction*>("configurePreferencesAction")->trigger();

        // The password is the one the IMAP logon below needs.
        ISettings& settings = program.Settings();
        QCOMPARE(ReadMailPassword(settings), std::string("Pa55 word"));
        // The highlight reached MONITOR.DAT with the list; the tray took the task bar button's place.
        CPagerList stored;
        stored.LoadLocal(DataFiles{dataDir, settings, messageBox});
        QCOMPARE(stored.FindByName("Ann")->AutoPageFlags, std::uint16_t(4));
        QVERIFY(frame.TrayIcon());
        Shot("configured");

        QVERIFY(frame.findChild<QAction*>("monitorMailAction")->isChecked());

        OnNextModal([&](QWidget* filters) {
            OnNextModal([&](QWidget* filter) {
                Choose(filter, "field1", "Subject");
                Type(filter, "keyword1", "down");
                Click(filter, "includeFrom");
                Click(filter, "includeSubject");
                ClickOk(filter);
            });
            Click(filters, "new");
            ClickOk(filters);
        });
        frame.findChild<QAction*>("mailFiltersAction")->trigger();
        QVERIFY(FileExists(dataDir + "FILTERS.DAT"));

        // Monitoring by hand: the first scan only takes note of what is in the inbox.
        frame.findChild<QAction*>("manualMonitoringAction")->trigger();
        CMailMonitor& monitor = program.RunState().MailMonitor();
        QTRY_VERIFY_WITH_TIMEOUT(monitor.HasSeenList(), 15000);
        DeliverMail(maildir, "From: Ops <ops@example.org>\r\nTo: " + user +
                                 "@example.org\r\nSubject: web down\r\n\r\nSince 9:05.\r\n");
        DeliverMail(maildir, "From: Lee <lee@example.org>\r\nSubject: lunch?\r\n\r\nAt noon.\r\n");
        clock.Advance(61);
        for (int i = 0; i < 150 && snpp.Pages().empty(); ++i) QTest::qWait(100);
        std::string errors;
        ReadWholeFile(dataDir + "errorlog.txt", errors);
        QVERIFY2(snpp.Pages().size() == 1, errors.c_str());
        const auto page = std::make_pair(std::string("5551001"), std::string("Mail From: Ops Sub: web down"));
        QCOMPARE(snpp.Pages().front(), page);
        std::string log;
        QVERIFY(ReadWholeFile(dataDir + "log.txt", log));
        QVERIFY2(log.ends_with(" Ann: Mail From: Ops Sub: web down\n"), log.c_str());
        frame.findChild<QAction*>("manualMonitoringAction")->trigger();

        frame.RequestExit();
        QTRY_VERIFY(frame.Closed());
    }
};

CORVANE_GUI_TEST(NewUserMailTest)

}  // namespace corvane::test

#include "new_user_mail_test.moc"
