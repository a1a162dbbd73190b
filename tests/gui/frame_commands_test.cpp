// Every command of the main window's table, in the real window: the menus and the
// toolbar in their order, each command's guard (the refusal while monitoring by hand,
// the password) and the dialog or action it leads to; the Dashnote menu and the Help menu.

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "app/core/password.h"
#include "app/core/program_info.h"
#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/frame_commands.h"
#include "app/gui/pager_list_form.h"
#include "tests/gui/gui_harness.h"
#include "tests/gui/gui_test_registry.h"

namespace corvane::test {

// Where the Help commands would send the browser.
class CUrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void Open(const QUrl& url) { urls << url; }
};

class FrameCommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CGuiHarness> h;

    CCorvaneFrame& Frame() { return *h->frame; }
    QAction* Action(int id) { return Frame().CommandAction(id); }

    // The visible entries of a menu as "id" or "-" for a separator.
    static QList<int> Shown(const QList<QAction*>& actions)
    {
        QList<int> shown;
        for (QAction* action : actions)
            if (action->isSeparator()) shown << 0;
            else if (action->isVisible()) shown << action->data().toInt();
        return shown;
    }

    // Triggers the command and closes, unanswered, each modal dialog it opens; gives their
    // titles in order.
    QStringList DialogsFrom(QAction* action)
    {
        QStringList titles;
        QTimer closer;
        closer.setInterval(5);
        connect(&closer, &QTimer::timeout, [&titles] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) return;
            titles << modal->windowTitle();
            if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->done(QDialog::Rejected);
            else modal->close();
        });
        closer.start();
        action->trigger();
        return titles;
    }

private slots:
    void init()
    {
        h = std::make_unique<CGuiHarness>();
        h->SavePagers({{"Ann", {"Desk"}, "SNPP:one:444", "", "", kAutoCallMonitor | kAutoPim}, {"Bob", {"Desk"}}});
    }
    void cleanup() { h.reset(); }

    void TheMenusAndTheToolbarHoldEveryCommandInTheirOrder()
    {
        h->Start();
        using namespace cmd;
        QList<int> configure{ConfigureModems, ServiceProviders, ConfigurePagers, Preferences};
        configure << 0 << PredefinedMessages << MailFilters << Groups << 0 << Password;
        const QList<QPair<QString, QList<int>>> menus = {
            {"&File", {ExportPagerData, ImportPagerData, 0, LogPagesTo, 0, PrintSetup, PrintPagerList, 0, Exit}},
            {"&Action", {ActivateScreenSaver, ManualMonitoring, 0, CallerIdPopup, 0, PauseQueue}},
            {"&Configure", configure},
            {"&Dashnote", {DashnoteConfigure}},
            {"&View", {ScheduledPages, PageLog}},
            {"&Help", {HelpContents, HelpSearch, HelpUsing, 0, HelpSupport, 0, About}},
        };
        const QList<QAction*> bar = Frame().menuBar()->actions();
        QCOMPARE(bar.size(), menus.size());
        for (int i = 0; i < menus.size(); ++i) {
            QCOMPARE(bar[i]->text(), menus[i].first);
            QCOMPARE(Shown(bar[i]->menu()->actions()), menus[i].second);
        }
        QVERIFY(Action(Preferences)->isVisible());
        QVERIFY(Action(MailFilters)->isVisible());

        QList<int> tools{ExportPagerData, 0, MonitorPhone, MonitorPim, MonitorMail};
        tools << 0 << ManualMonitoring << ActivateScreenSaver << 0 << PauseQueue << 0 << HelpContents;
        auto* toolbar = Frame().findChild<QToolBar*>("toolbar");
        QCOMPARE(Shown(toolbar->actions()), tools);
        QCOMPARE(toolbar->iconSize(), QSize(24, 22));
        for (QAction* action : toolbar->actions()) QVERIFY(action->isSeparator() || !action->icon().isNull());
        // The switches carry check marks; the others do not.
        for (int id : {MonitorPhone, MonitorPim, MonitorMail, CallerIdPopup, PauseQueue, ManualMonitoring})
            QVERIFY(Action(id)->isCheckable() && !Action(id)->isIconVisibleInMenu());
        QVERIFY(!Action(ExportPagerData)->isCheckable());
    }

    void EveryDialogCommandKeepsItsGuardAndOpensItsDialog()
    {
        h->Start();
        enum Guard { kNone, kPasswordOnly, kMonitoringAndPassword };
        struct Row {
            int id;
            Guard guard;
            const char* opens;  // the title of the dialog it opens; null: whatever its part calls it
        };
        const Row rows[] = {
            {cmd::ExportPagerData, kNone, "Export Pager Data As"},
            {cmd::ImportPagerData, kPasswordOnly, "Import Pager Data As"},
            {cmd::LogPagesTo, kPasswordOnly, "Log Pages To"},
            {cmd::PrintSetup, kNone, "Page Setup"},
            {cmd::PrintPagerList, kNone, "Print"},
            {cmd::ConfigureModems, kMonitoringAndPassword, "Modem Configuration"},
            {cmd::ServiceProviders, kMonitoringAndPassword, "Service Configuration"},
            {cmd::ConfigurePagers, kMonitoringAndPassword, "Pager Configuration"},
            {cmd::Preferences, kMonitoringAndPassword, "Preferences"},
            {cmd::PredefinedMessages, kPasswordOnly, "Edit Pre-Defined Messages"},
            {cmd::MailFilters, kPasswordOnly, "Mail Filters"},
            {cmd::Groups, kPasswordOnly, "Configure Groups"},
            {cmd::Password, kNone, "Password"},  // the dialog asks for the current one itself
            {cmd::DashnoteConfigure, kPasswordOnly, "Edit Dashnote Messages"},
            {cmd::ScheduledPages, kNone, "Scheduled Pages"},
            {cmd::PageLog, kPasswordOnly, "View Log File"},
            {cmd::About, kNone, "About Corvane"},
        };
        auto opened = [](const Row& row, const QStringList& titles) {
            return titles.size() == 1 && (!row.opens || titles[0] == row.opens);
        };
        for (const Row& row : rows) {
            QAction* action = Action(row.id);
            QVERIFY(action->isVisible());
            const QByteArray name = action->objectName().toUtf8();
            // No password, not monitoring: straight to the dialog, nothing refused.
            StorePassword(h->settings, "");
            h->boxes.shown.clear();
            QVERIFY2(opened(row, DialogsFrom(action)), name);
            QVERIFY2(h->boxes.shown.empty(), name);

            // A password: the guarded commands ask for it first, and Cancel ends them there.
            StorePassword(h->settings, "secret");
            QStringList titles = DialogsFrom(action);
            if (row.guard == kNone)
                QVERIFY2(opened(row, titles), name);
            else
                QVERIFY2(titles == QStringList{kPasswordValidationTitle}, name);

            // Monitoring by hand: four commands are refused before the password is asked (the
            // texts of the refusals are the monitoring control's).
            Frame().ManualMonitoringAction()->trigger();
            QVERIFY(h->state->Monitoring().ManualMonitoring());
            h->boxes.shown.clear();
            titles = DialogsFrom(action);
            if (row.guard == kMonitoringAndPassword) {
                QVERIFY2(titles.isEmpty(), name);
                QCOMPARE(h->boxes.shown.size(), std::size_t(1));
                if (row.id == cmd::ConfigureModems)
                    QCOMPARE(h->boxes.shown[0].text, std::string("You cannot configure modems while Corvane is "
                                                                 "monitoring."));
            } else {
                QVERIFY2(titles.size() == 1, name);
                QVERIFY2(h->boxes.shown.empty(), name);
            }
            Frame().ManualMonitoringAction()->trigger();
        }
        // Monitoring because of the screen saver refuses nothing: the user who reaches a
        // menu has ended it already, and a command that comes meanwhile is let through.
        StorePassword(h->settings, "");
        h->boxes.shown.clear();
        h->state->Monitoring().OnScreenSaverStarted();
        QCOMPARE(DialogsFrom(Action(cmd::ConfigureModems)), QStringList{"Modem Configuration"});
        QVERIFY(h->boxes.shown.empty());
    }

    void TheSwitchesAndTheirCheckMarksPanesAndTitle()
    {
        h->Start();
        struct Toggle {
            int id;
            StatusPane pane;
            const char* shown;
        } toggles[] = {{cmd::MonitorPhone, StatusPane::Call, "CALL"},
                       {cmd::MonitorPim, StatusPane::Pim, "PIM"},
                       {cmd::ManualMonitoring, StatusPane::Monitoring, "MONITORING"}};
        for (const Toggle& t : toggles) {
            Action(t.id)->trigger();
            QVERIFY(Action(t.id)->isChecked());
            QCOMPARE(Frame().PaneText(t.pane), QString(t.shown));
            if (t.id == cmd::ManualMonitoring) QCOMPARE(Frame().windowTitle(), QString("Corvane - Monitoring"));
            Action(t.id)->trigger();
            QVERIFY(!Action(t.id)->isChecked());
            QCOMPARE(Frame().PaneText(t.pane), QString());
        }
        QCOMPARE(Frame().windowTitle(), QString("Corvane"));
        Action(cmd::PauseQueue)->trigger();
        QVERIFY(h->state->Switches().paused && Action(cmd::PauseQueue)->isChecked());
        Frame().ShowSwitches(SwitchState{false, false, true, false, false});
        QVERIFY(Action(cmd::MonitorMail)->isChecked());
        QCOMPARE(Frame().PaneText(StatusPane::Mail), QString("MAIL"));

        Action(cmd::Exit)->trigger();
        QVERIFY(Frame().Closed());
    }

    void TheHelpCommandsOpenTheInstalledPageAtTheirSection()
    {
        h->Start();
        CUrlRecorder recorder;
        QDesktopServices::setUrlHandler("file", &recorder, "Open");
        const QString page = QString::fromUtf8(std::getenv("CORVANE_SOURCE_DIR")) + "/packaging/help/index.html";
        Frame().SetHelpPage(page);
        for (int id : {cmd::HelpContents, cmd::HelpSearch, cmd::HelpUsing, cmd::HelpSupport}) Action(id)->trigger();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(recorder.urls.size(), 4);
        const QStringList fragments{"contents", "index", "using-help", "support"};
        const QString html = FileText(page.toStdString());
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(recorder.urls[i].toLocalFile(), page);
            QCOMPARE(recorder.urls[i].fragment(), fragments[i]);
            QVERIFY(html.contains("id=\"" + fragments[i] + "\""));
        }

        // A program whose page is missing says so instead of doing nothing.
        Frame().SetHelpPage(QString::fromStdString(h->dir.File("missing.html")));
        Action(cmd::HelpContents)->trigger();
        QCOMPARE(h->boxes.shown.back().caption, std::string("Help"));
        QVERIFY(h->boxes.shown.back().text.starts_with("The help page is not installed."));
    }

    void TheAboutBoxShowsTheVersion()
    {
        h->Start();
        QString text;
        QTimer::singleShot(0, [&text] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            text = box->text();
            box->done(QDialog::Accepted);
        });
        Action(cmd::About)->trigger();
        QVERIFY2(text.contains(QStringLiteral("Version %1").arg(CorvaneVersion())), qPrintable(text));
    }

    void TheDashnoteMenuListsTheNewestFirstAndIsDisabledDuringAPage()
    {
        CDashnoteList dashnotes;
        for (const char* name : {"One", "Two", "Three", "A name of thirty characters..", "R&D \xFF"}) {
            DashnoteMessage* m = dashnotes.NewEntry();
            m->Name = name;
            m->AlphaText = std::string("text of ") + name;
            m->Recipients = {1};
        }
        dashnotes.Save(h->dir.File("DASHNOTE.DAT"));
        h->Start();
        QMenu* menu = Frame().Commands().Menu("dashnoteMenu");
        QStringList entries;
        for (QAction* action : menu->actions()) entries << (action->isSeparator() ? "-" : action->text());
        QCOMPARE(entries, (QStringList{QString::fromUtf8("R&&D \uFFFD"), "A name of thirty characte", "Three", "Two",
                                       "One", "-", "&Configure..."}));
        QCOMPARE(menu->actions()[2]->data().toInt(), 61209);

        bool enabledDuring = true;
        h->transports.sendScripts.push_back([&](std::vector<AddedPage>&) {
            for (QAction* action : Frame().Commands().DashnoteActions()) enabledDuring = enabledDuring && action->isEnabled();
            return 0;
        });
        menu->actions()[2]->trigger();  // Three, to Ann
        Frame().TickNow();
        QVERIFY(!enabledDuring);
        for (QAction* action : Frame().Commands().DashnoteActions()) QVERIFY(action->isEnabled());
        QVERIFY(FileText(h->dir.File("log.txt")).contains("Ann: text of Three"));
    }
};

CORVANE_GUI_TEST(FrameCommandsTest)

}  // namespace corvane::test

#include "frame_commands_test.moc"
