// A new user sets up mail paging through the windows only: the program on an empty data
// directory and empty settings, a pager added in Configure > Pagers, then Configure >
// Preferences: the mail servers, the name and password, and the pager that receives
// e-mail pages. What the windows stored is in the settings file and MONITOR.DAT, and the
// mail system logs on to the real IMAP server with it.
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
#include "mail/mail_system.h"
#include "settings/mail_password.h"
#include "tests/dialogs/dialog_fixture.h"
#include "tests/gui/gui_test_registry.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_servers.h"

namespace corvane::test {
namespace {

// The program's folders and settings of this test, and the caller's put back afterwards.
class CFreshUser {
public:
    explicit CFreshUser(const CTempDir& root)
    {
        char cwd[4096];
        m_cwd = ::getcwd(cwd, sizeof cwd) ? cwd : "/";
        for (const char* sub : {"data", "config", "sysconf", "run"}) ::mkdir(root.File(sub).c_str(), 0700);
        Set("XDG_CONFIG_HOME", root.File("config"));
        Set("CORVANE_SYSCONFDIR", root.File("sysconf"));
        Set("XDG_RUNTIME_DIR", root.File("run"));
        // Started in an empty folder without -W: that folder is the data directory.
        m_entered = ::chdir(root.File("data").c_str()) == 0;
    }
    ~CFreshUser()
    {
        for (auto& [name, value] : m_saved) {
            if (value.empty()) ::unsetenv(name.c_str());
            else ::setenv(name.c_str(), value.c_str(), 1);
        }
        (void)!::chdir(m_cwd.c_str());
    }
    bool Entered() const { return m_entered; }

private:
    void Set(const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? old : "");
        ::setenv(name, value.c_str(), 1);
    }
    std::string m_cwd;
    std::vector<std::pair<std::string, std::string>> m_saved;
    bool m_entered = false;
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
        AddImapUser(user, "Pa55 word");

        CTempDir root;
        CFreshUser fresh(root);
        QVERIFY(fresh.Entered());
        const std::string dataDir = root.File("data/");

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
        frame.StartTick();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        OnNextModal([&](QWidget* pagers) {
            OnNextModal([&](QWidget* pager) {
                Type(pager, "name", "Ann");
                Type(pager, "pagerId", "1001");
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

        ISettings& settings = program.Settings();
        std::string iniBytes;
        QVERIFY(ReadWholeFile(root.File("config/Tarnwick/Corvane.ini"), iniBytes));
        const QString ini = QString::fromStdString(iniBytes);
        for (const std::string& line : {"MailImapServer=" + imap, std::string("MailSmtpServer=smtp://127.0.0.1:2525"),
                                        "MailName=" + user, std::string("MailFromAddress=ann@example.org"),
                                        std::string("MailScanMinutes=1"), std::string("TaskbarButton=0")})
            QVERIFY2(ini.contains(QString::fromStdString(line + "\n")), qPrintable(ini));
        QVERIFY(!ini.contains("Pa55 word"));
        QCOMPARE(ReadMailPassword(settings), std::string("Pa55 word"));
        // The highlight reached MONITOR.DAT with the list; the tray took the task bar button's place.
        CPagerList stored;
        stored.LoadLocal(DataFiles{dataDir, settings, messageBox});
        QCOMPARE(stored.FindByName("Ann")->AutoPageFlags, std::uint16_t(4));
        QVERIFY(frame.TrayIcon());
        Shot("configured");

        // What the windows stored is what the mail system logs on with.
        CMailSystem mail({settings, pump, clock, messageBox});
        mail.Initialize();
        QCOMPARE(mail.Logon(), int(kMailOk));
        mail.Logoff();
        mail.Terminate();

        frame.RequestExit();
        QTRY_VERIFY(frame.Closed());
    }
};

CORVANE_GUI_TEST(NewUserMailTest)

}  // namespace corvane::test

#include "new_user_mail_test.moc"
