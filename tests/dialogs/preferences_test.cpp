// Configure > Preferences: every field of the nine pages into the settings file (INI files
// in a temporary folder, as a user's ~/.config holds them) and MESSAGES.DAT, the ranges,
// the refusals, values written by hand, and the pager highlights saved on OK and dropped
// on Cancel.

#include <QCheckBox>
#include <QRadioButton>
#include <QTabWidget>

#include <sys/stat.h>

#include <cstdlib>

#include "app/gui/dialogs/preferences_dialog.h"
#include "common/file_io.h"
#include "settings/ini_settings.h"
#include "settings/mail_password.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

// The settings of one test in INI files under its own folder.
inline std::string ConfigFolders(const CTempDir& dir)
{
    ::setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
    ::setenv("CORVANE_SYSCONFDIR", dir.File("etc").c_str(), 1);
    return dir.path();
}

struct CPrefsFixture {
    CPrefsFixture() { settings.Write(key::LogFileName, dir.File("log.txt")); }
    void Start()
    {
        state->Create(false, 5, "");
        commands = std::make_unique<CDialogCommands>(*state, static_cast<IFrameShell&>(frame), clock, &window);
    }
    void SavePagers(std::vector<std::pair<std::string, std::uint16_t>> pagers)
    {
        CPagerList list;
        for (const auto& [name, flags] : pagers) {
            PagerRecord& pager = *list.NewPager();
            pager.UserName = name;
            pager.AutoPageFlags = flags;
        }
        list.Save(DataFiles{dir.path(), settings, boxes});
    }
    std::uint16_t StoredFlags(const std::string& name)
    {
        CPagerList list;
        list.LoadLocal(DataFiles{dir.path(), settings, boxes});
        return list.FindByName(name)->AutoPageFlags;
    }
    // The dialog alone, storing into the files and into the pagers given.
    std::unique_ptr<CPreferencesDialog> Open(CPagerList& pagers)
    {
        auto dialog = std::make_unique<CPreferencesDialog>(PreferencesSetup{
            settings, boxes, pagers, dir.File("MESSAGES.DAT"), {"Corvane Pager List", "Other Source"},
            [this](const std::string& url, const std::string& user, const std::string& password) {
                tested = url + "|" + user + "|" + password;
                return CalendarCheck{true, "fine"};
            },
            [this] { ++stores; }});
        dialog->show();
        return dialog;
    }
    QString UserIni() const { return QString::fromStdString(dir.Read("config/Tarnwick/Corvane.ini")); }
    QString LastBox() const
    {
        if (boxes.shown.empty()) return "no box";
        return QString::fromStdString(boxes.shown.back().caption + ": " + boxes.shown.back().text);
    }

    CTempDir dir;
    std::string folders = ConfigFolders(dir);
    CIniSettings settings{"Corvane"};
    CRecordingMessageBox boxes;
    CFakeFrame frame;
    CFakeClock clock;
    CFakePump pump{clock};
    CFakePorts ports;
    CScriptedTransports transports;
    CNoHooks hooks;
    std::unique_ptr<CRunState> state = std::make_unique<CRunState>(
        RunStateDeps{settings, boxes, frame, pump, clock, ports, transports, hooks, "Corvane", dir.path()});
    QWidget window;
    std::unique_ptr<CDialogCommands> commands;
    std::string tested;
    int stores = 0;
};

// The user turns to the page that holds the field.
QWidget* ShowPageOf(QWidget* dialog, const char* name)
{
    auto* pages = Child<QTabWidget>(dialog, "pages");
    QWidget* field = Child(dialog, name);
    for (int i = 0; i < pages->count(); ++i)
        if (pages->widget(i)->isAncestorOf(field)) pages->setCurrentIndex(i);
    return field;
}

// On the page that holds the field, the user types into it ('\n' is Return) or, with no
// text, clicks it.
void Edit(QWidget* dialog, const char* name, const QString& text = {})
{
    QWidget* field = ShowPageOf(dialog, name);
    if (auto* combo = qobject_cast<QComboBox*>(field)) field = combo->lineEdit();
    if (auto* button = qobject_cast<QAbstractButton*>(field)) {
        // A check box or radio button takes the click on its mark or its text, which
        // may be narrower than the box the page gives it.
        const bool marked = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
        QTest::mouseClick(button, Qt::LeftButton, {}, marked ? QPoint(6, button->height() / 2) : QPoint());
        return;
    }
    QWidget* box = field;
    box->setFocus();
    if (auto* line = qobject_cast<QLineEdit*>(box)) line->selectAll();
    if (auto* edit = qobject_cast<QPlainTextEdit*>(box)) edit->selectAll();
    if (text.isEmpty()) QTest::keyClick(box, Qt::Key_Delete);
    for (QChar c : text) {
        if (c == '\n') QTest::keyClick(box, Qt::Key_Return);
        else QTest::keyClicks(box, QString(c));
    }
}

void ClickApply(QWidget* dialog)
{
    Child<QDialogButtonBox>(dialog, "buttons")->button(QDialogButtonBox::Apply)->click();
}

class PreferencesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CPrefsFixture> f;
    CPagerList pagers;

    std::string Stored(const SettingKey& key) { return f->settings.Get(key); }

    CTempDir odbc;

private slots:
    // The machine's data sources, set before the first dialog asks for them: the ODBC
    // library reads its files once.
    void initTestCase()
    {
        odbc.Write("odbc.ini", "[Shared Pagers]\nDriver=SQLite3\nDatabase=/srv/pagers.db\n");
        ::setenv("ODBCSYSINI", odbc.path().c_str(), 1);
        ::setenv("ODBCINI", odbc.File("user.ini").c_str(), 1);
    }
    void init()
    {
        f = std::make_unique<CPrefsFixture>();
        pagers.Clear();
    }
    void cleanup() { f.reset(); }

    void everyFieldOfEveryPageIsStoredOnOk()
    {
        auto dialog = f->Open(pagers);
        QWidget* d = dialog.get();
        QTabWidget* pages = dialog->Pages();
        QStringList tabs;
        for (int i = 0; i < pages->count(); ++i) tabs << pages->tabText(i);
        QCOMPARE(tabs, (QStringList{"Manual", "Dialing", "Logging", "Content", "Call Monitoring", "EMail Monitoring",
                                    "Pager Data", "Display", "PIM Monitoring"}));
        QCOMPARE(Items(d, "dataSource"), (QStringList{"Corvane Pager List", "Other Source"}));

        struct Change {
            const char* field;
            QString typed;  // none: clicked
            const SettingKey* key;
            const char* stored;
        };
        const std::string folder = f->dir.path();
        const Change changes[] = {
            {"promptUseReturn", {}, &key::PromptUseReturn, "0"},
            {"confirmPages", {}, &key::ConfirmPages, "0"},
            {"autoMinimize", {}, &key::AutoMinimize, "1"},
            {"autoExit", {}, &key::AutoExit, "1"},
            {"pulse", {}, &key::DialingMethod, "1"},
            {"speakerOff", {}, &key::DialingSpeaker, "2"},
            {"dialPrefix", "9,", &key::DialPrefix, "9,"},
            {"retries", "7", &key::DialAttempts, "7"},
            {"countryCode", "44", &key::DialCountryCode, "44"},
            {"areaCode", "20", &key::DialAreaCode, "20"},
            {"longDistancePrefix", "0", &key::DialLongDistancePrefix, "0"},
            {"internationalPrefix", "00", &key::DialInternationalPrefix, "00"},
            {"logManual", {}, &key::LogManual, "0"},
            {"logDde", {}, &key::LogDDE, "0"},
            {"logCallMonitor", {}, &key::LogCallMonitor, "0"},
            {"logMail", {}, &key::LogMail, "0"},
            {"logPim", {}, &key::LogSchedulePlus, "0"},
            {"logVoice", {}, &key::LogVoice, "0"},
            {"logCid", {}, &key::LogCID, "0"},
            {"contentTime", {}, &key::ContentTime, "1"},
            {"contentDate", {}, &key::ContentDate, "1"},
            {"contentCase", {}, &key::ContentCase, "1"},
            {"contentReverse", {}, &key::ContentReverse, "1"},
            {"hour24", {}, &key::ContentTimeFormat, "1"},
            {"monitorPhone", {}, &key::MonitorPhone, "1"},
            {"numberRings", "4", &key::NumberRings, "4"},
            {"delaySeconds", "30", &key::DelaySeconds, "30"},
            {"mailMonitor", {}, &key::MailMonitor, "1"},
            {"mailScanMinutes", "5", &key::MailScanMinutes, "5"},
            {"mailName", "ann", &key::MailName, "ann"},
            {"mailImapServer", "imaps://mail.example.org/INBOX", &key::MailImapServer, "imaps://mail.example.org/INBOX"},
            {"mailSmtpServer", "smtp://mail.example.org:587", &key::MailSmtpServer, "smtp://mail.example.org:587"},
            {"mailFromAddress", "ann@example.org", &key::MailFromAddress, "ann@example.org"},
            {"pagerFilePath", "/srv/pagers", &key::PagerFilePath, "/srv/pagers/"},
            {"odbc", {}, &key::SharedType, "1"},
            {"dataSource", "Pagers DSN", &key::ODBCDataSetName, "Pagers DSN"},
            {"voice1Label", "Office", &key::Voice1Label, "Office"},
            {"voice2Label", "Mobile", &key::Voice2Label, "Mobile"},
            {"dataLabel", "Room", &key::DataLabel, "Room"},
            {"rescanMinutes", "15", &key::PageListScanMinutes, "15"},
            {"column1_4", {}, &key::DisplayColumn1, "4"},
            {"column2_2", {}, &key::DisplayColumn2, "2"},
            {"column3_5", {}, &key::DisplayColumn3, "5"},
            {"clickSend", {}, &key::DisplayClickAction, "1"},
            {"taskbarButton", {}, &key::TaskbarButton, "0"},
            {"scheduleReminders", {}, &key::ScheduleReminders, "1"},
            {"splusMonitor", {}, &key::SPlusMonitor, "1"},
            {"calendarFiles", QString::fromStdString(folder), &key::CalendarFiles, folder.c_str()},
            {"outlookMonitor", {}, &key::OutlookMonitor, "1"},
            {"calendarUrl", "https://cal.example.org/ann/", &key::CalendarUrl, "https://cal.example.org/ann/"},
            {"scheduleName", "ann", &key::ScheduleName, "ann"},
            {"scanMinutes", "30", &key::ScanMinutes, "30"},
        };
        for (const Change& c : changes) Edit(d, c.field, c.typed);
        Edit(d, "mailPassword", "s3cret");
        Edit(d, "defaultAlpha", "Call me\nat once");
        Edit(d, "defaultNumeric", "5551234");
        Edit(d, "signature", "-- Ann");
        Edit(d, "callPrefix", "Call from");
        Edit(d, "pimPrefix", "Reminder:");
        // The Display page's label rows read as typed on the Pager Data page.
        auto label = [d](const char* name) { return Child<QAbstractButton>(d, name)->text(); };
        QCOMPARE(Join(label("column1_3"), label("column2_4"), label("column3_5")), QString("Office|Mobile|Room"));
        ClickOk(d);

        QVERIFY2(f->boxes.shown.empty(), f->boxes.Texts().c_str());
        QCOMPARE(f->stores, 1);
        for (const Change& c : changes)
            QCOMPARE(QString(c.field) + "=" + QString::fromStdString(Stored(*c.key)), QString(c.field) + "=" + c.stored);
        QCOMPARE(Stored(key::MailPassword), ScrambleMailPassword("s3cret"));
        QCOMPARE(ReadMailPassword(f->settings), std::string("s3cret"));
        const QString ini = f->UserIni();
        for (const char* line : {"[Preferences]\n", "DialPrefix=9,\n", "LogSchedule+=0\n", "PagerFilePath=/srv/pagers/\n",
                                 "[Pager]\n", "DialAttempts=7\n"})
            QVERIFY2(ini.contains(line), qPrintable(ini));
        const MessageTexts texts = LoadMessages(f->dir.File("MESSAGES.DAT"));
        QCOMPARE(texts, (MessageTexts{"Call me\nat once", "5551234", "Call from", "Reminder:", "-- Ann"}));
    }

    // Each range, and what is not a number, as stored and shown again after Apply.
    void numbersAreHeldToTheirRanges()
    {
        auto dialog = f->Open(pagers);
        QWidget* d = dialog.get();
        struct Case {
            const char* field;
            QString typed;
            const SettingKey* key;
            const char* stored;
        };
        const Case cases[] = {
            {"retries", "1500", &key::DialAttempts, "999"},
            {"numberRings", "abc", &key::NumberRings, "0"},
            {"delaySeconds", "0", &key::DelaySeconds, "1"},
            {"scanMinutes", "2", &key::ScanMinutes, "5"},
            {"rescanMinutes", "1000", &key::PageListScanMinutes, "999"},
            {"mailScanMinutes", "-4", &key::MailScanMinutes, "1"},
        };
        for (const Case& c : cases) Edit(d, c.field, c.typed);
        // Pasted, as nobody types ten thousand digits.
        Edit(d, "retries", "");
        Child<QLineEdit>(d, "retries")->insert(QString(10000, '9'));
        ClickApply(d);
        for (const Case& c : cases) {
            QCOMPARE(QString::fromStdString(Stored(*c.key)), QString(c.stored));
            QCOMPARE(Text(d, c.field), QString(c.stored));
        }
        Edit(d, "retries", "0");
        Edit(d, "pagerFilePath", "");
        ClickOk(d);
        QCOMPARE(Join(Stored(key::DialAttempts), Stored(key::PagerFilePath)), QString("0|"));
        QVERIFY(f->boxes.shown.empty());
    }

    void aMailServerTheMailSystemCannotUseIsRefusedAndNothingIsStored()
    {
        auto dialog = f->Open(pagers);
        QWidget* d = dialog.get();
        Edit(d, "dialPrefix", "9,");
        Edit(d, "mailImapServer", "mail.example.org");
        Edit(d, "signature", "-- Ann");
        ClickOk(d);
        QCOMPARE(f->LastBox(), QString("Preferences: The IMAP server must be given as an address such as "
                                       "imaps://mail.example.org/INBOX or imap://mail.example.org:143/INBOX."));
        QVERIFY(d->isVisible());
        QCOMPARE(dialog->Pages()->currentIndex(), 5);
        QCOMPARE(Join(Stored(key::DialPrefix), Stored(key::MailImapServer), f->stores), QString("||0"));
        QVERIFY(!FileExists(f->dir.File("MESSAGES.DAT")));

        Edit(d, "mailImapServer", "imap://127.0.0.1:143/INBOX");
        Edit(d, "mailSmtpServer", "smtp:// mail.example.org");
        ClickOk(d);
        QCOMPARE(f->LastBox(), QString("Preferences: The SMTP server must be given as an address such as "
                                       "smtps://mail.example.org or smtp://mail.example.org:587."));
        Edit(d, "mailSmtpServer", "SMTPS://mail.example.org");
        ClickOk(d);
        QCOMPARE(Join(Stored(key::DialPrefix), Stored(key::MailSmtpServer)), QString("9,|SMTPS://mail.example.org"));
    }

    void textsThatCannotBeSavedAreReported()
    {
        auto dialog = std::make_unique<CPreferencesDialog>(PreferencesSetup{
            f->settings, f->boxes, pagers, f->dir.File("gone/MESSAGES.DAT"), {}, {}, {}});
        ClickOk(dialog.get());
        QCOMPARE(f->LastBox(),
                 "Preferences: The page texts could not be saved in " + QString::fromStdString(f->dir.path()) +
                     "gone/MESSAGES.DAT.");
    }

    // A settings file edited by hand: what it holds is shown, and what the dialog cannot
    // show as a choice or a line is kept as it was.
    void valuesWrittenByHandShowAndSurviveOk()
    {
        const std::string longName(10000, 'n');
        ::mkdir(f->dir.File("config/Tarnwick").c_str(), 0700);
        f->dir.Write("config/Tarnwick/Corvane.ini",
                     "garbage without a section\n[Preferences]\nthis line is no key\nNumberRings = 12\n"
                     "DelaySeconds=soon\nDialPrefix=\xff" "9,\nDialingSpeaker=7\nDisplayColumn1=9\nMailName=" +
                         longName + "\nLogManual=0\nSignatureless=1\nVoice1Label=Desk\n[Pager]\nDialAttempts=3\n");
        MessageTexts texts{"Alpha", "123", "Call", "PIM", ""};
        f->dir.Write("MESSAGES.DAT", SerializeMessages(texts).substr(0, SerializeMessages(texts).size() - 3));
        auto dialog = f->Open(pagers);
        QWidget* d = dialog.get();
        QCOMPARE(Join(Text(d, "numberRings"), Text(d, "delaySeconds"), Text(d, "retries"),
                      Child<QAbstractButton>(d, "column1_3")->text()),
                 QString("12|soon|3|Desk"));
        QCOMPARE(Text(d, "mailName").size(), 10000);
        QCOMPARE(Join(Text(d, "defaultAlpha"), Text(d, "callPrefix"), Text(d, "signature")), QString("Alpha|Call|"));
        // Absent keys show the switch in force; a value that is no choice chooses none.
        QCOMPARE(Join(Checked(d, "logManual"), Checked(d, "logCallMonitor"), Checked(d, "logPim"), Checked(d, "logCid"),
                      Checked(d, "speakerOn"), Checked(d, "speakerUntilConnect"), Checked(d, "speakerOff")),
                 QString("0|1|1|1|0|0|0"));
        ClickOk(d);
        QCOMPARE(Join(Stored(key::NumberRings), Stored(key::DelaySeconds), Stored(key::DialingSpeaker),
                      Stored(key::DisplayColumn1), Stored(key::LogManual), Stored(key::LogCID)),
                 QString("12|1|7|9|0|1"));
        QCOMPARE(Stored(key::DialPrefix), std::string("\xff" "9,"));
        QCOMPARE(Stored(key::MailName), longName);
        QVERIFY(f->UserIni().contains("this line is no key"));
        QCOMPARE(LoadMessages(f->dir.File("MESSAGES.DAT")), texts);
    }

    void theCalendarServerIsTestedWithWhatIsTyped()
    {
        auto dialog = f->Open(pagers);
        QWidget* d = dialog.get();
        Edit(d, "calendarUrl", "https://cal.example.org/ann/");
        Edit(d, "scheduleName", "ann");
        Edit(d, "mailPassword", "pw");
        Edit(d, "testCalendar");
        QCOMPARE(f->tested, std::string("https://cal.example.org/ann/|ann|pw"));
        QCOMPARE(f->LastBox(), QString("Calendar: fine"));
        QCOMPARE(Stored(key::CalendarUrl), std::string());
    }

    // Through the menu command: the highlights saved with the list on OK and dropped on
    // Cancel, and what the run state reads again.
    void theCommandSavesTheListAndTheTickFollows()
    {
        f->SavePagers({{"Ann", kAutoPim}, {"Bob", 0}});
        f->Start();
        OnNextModal([](QWidget* d) {
            ShowPageOf(d, "callPagers");
            Select(d, "callPagers", {0, 1});
            Edit(d, "mailName", "ann");  // leaves the page: the bits are set in the main list
            ClickCancel(d);
        });
        QVERIFY(!f->commands->ConfigurePreferences());
        QCOMPARE(Join(f->state->Pagers().FindByName("Ann")->AutoPageFlags, f->StoredFlags("Ann"),
                      f->StoredFlags("Bob")),
                 QString("2|2|0"));

        const int refreshes = f->frame.refreshes;
        OnNextModal([](QWidget* d) {
            // The data sources are the machine's, read when the dialog opens.
            QVERIFY(Items(d, "dataSource").contains("Shared Pagers"));
            QCOMPARE(Items(d, "mailPagers"), (QStringList{"Ann", "Bob"}));
            ShowPageOf(d, "callPagers");
            Select(d, "callPagers", {1});
            ShowPageOf(d, "mailPagers");
            Select(d, "mailPagers", {0});
            Edit(d, "monitorPhone");
            Edit(d, "rescanMinutes", "1");
            Edit(d, "signature", "-- Ann");
            ClickOk(d);
        });
        QVERIFY(f->commands->ConfigurePreferences());
        QCOMPARE(Join(f->StoredFlags("Ann"), f->StoredFlags("Bob")), QString("6|1"));
        QVERIFY(f->frame.refreshes > refreshes);
        QVERIFY(f->frame.switches.callMonitor);
        QCOMPARE(f->state->Messages().signature, std::string("-- Ann"));

        // The shared pagers are read again after a minute now, not an hour.
        f->SavePagers({{"Ann", 6}, {"Bob", 1}, {"Cy", 0}});
        f->clock.Advance(61000);
        f->state->OnTick();
        QVERIFY(f->state->Pagers().FindByName("Cy"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::PreferencesTest)
#include "preferences_test.moc"
