// Configure > Pagers and the pager edit from the main list, as a user drives them.

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/dialogs/individual_pager_dialog.h"
#include "app/gui/dialogs/pager_config_dialog.h"
#include "app/gui/dialogs/test_page_dialog.h"
#include "app/core/password.h"
#include "directory/pager_file.h"
#include "directory/service_list.h"
#include "engine/send_run.h"
#include "tests/dialogs/dialog_fixture.h"

namespace corvane::test {

class PagerConfigTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CProgramFixture> f;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<CDialogCommands> commands;

    void SelectRows(QWidget* config, std::vector<int> rows)
    {
        auto* list = Child<QListWidget>(config, "pagers");
        list->clearSelection();
        for (int row : rows) list->item(row)->setSelected(true);
    }
    // Configure > Pagers with the user's actions in the dialog; true when it closed with OK.
    bool ConfigurePagers(std::function<void(QWidget*)> actions)
    {
        OnNextModal(actions);
        return commands->ConfigurePagers();
    }
    PagerRecord Local(const std::string& name)
    {
        CPagerList list;
        f->LoadLocal(list);
        PagerRecord* pager = list.FindByName(name);
        if (!pager) qFatal("no pager %s", name.c_str());
        return *pager;
    }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        CServiceList services;
        ServiceRecord& metro = *services.NewService();
        metro.Name = "Metro";
        metro.PhoneNumber = "5551000";
        metro.WaitForConnection = "40";
        metro.DelayTime = "4";
        metro.PinDelayTime = "3";
        metro.Separator = "#";
        metro.BaudRate = "2400";
        metro.MaximumPageLength = 120;
        metro.PagesPerCall = 7;
        metro.ServiceType = "1";
        services.Save(f->state->Files());
        f->Create();
        window = std::make_unique<QWidget>();
        commands = std::make_unique<CDialogCommands>(*f->state, f->MainView(), f->clock, window.get());
    }
    void cleanup()
    {
        commands.reset();
        window.reset();
        f.reset();
    }

    void theDialogsTexts()
    {
        ConfigurePagers([&](QWidget* config) {
            QCOMPARE(config->windowTitle(), QString("Pager Configuration"));
            QStringList texts = Texts(config);
            for (const char* text : {"Add", "Edit", "Remove", "Test"}) QVERIFY2(texts.contains(text), text);
            OnNextModal([](QWidget* edit) {
                QStringList texts = Texts(edit);
                for (const char* text :
                     {"Name", "Numeric", "Alphanumeric", "Pager Phone Number", "Pager ID", "Service", "Baud",
                      "Send Page Counter", "Default Page Message", "Prompt for Message", "Custom Page Message",
                      "Highlight groups to which the pager belongs", "Work", "Home", "Other", "Test"})
                    QVERIFY2(texts.contains(text), text);
                QCOMPARE(Child<QComboBox>(edit, "service")->itemText(0), QString("<None>"));
                QCOMPARE(Child<QComboBox>(edit, "service")->itemText(1), QString("Metro"));
                QVERIFY(Child<QRadioButton>(edit, "content1")->isChecked());  // a new pager prompts
                ClickCancel(edit);
            });
            Click(config, "add");
            QCOMPARE(Child<QListWidget>(config, "pagers")->count(), 0);
            ClickCancel(config);
        });
    }

    void threePagersEditedTogetherKeepTheirOwnPhoneNumbers()
    {
        CPagerList list;
        for (const char* name : {"Ann", "Bob", "Cy"}) {
            PagerRecord& p = f->AddPager(list, name, "1");
            p.PhoneNumber = std::string("555000") + name[0];
            p.DelayTime = "5";
        }
        f->SavePagers(list);
        bool ok = ConfigurePagers([&](QWidget* config) {
            SelectRows(config, {0, 1, 2});
            OnNextModal([](QWidget* edit) {
                QCOMPARE(Child<QLineEdit>(edit, "phoneNumber")->text(), QString());
                QCOMPARE(Child<QLineEdit>(edit, "delayTime")->text(), QString("5"));
                QCOMPARE(Child<QLineEdit>(edit, "name")->text(), QString());
                QCOMPARE(Child<QLineEdit>(edit, "maximumPageLength")->text(), QString("80"));
                for (const char* disabled : {"name", "pagerId", "numeric", "alphanumeric", "baudRate", "groups",
                                             "addGroup", "sendPageCounter", "test"})
                    QVERIFY2(!Child<QWidget>(edit, disabled)->isEnabled(), disabled);
                QVERIFY(!Child<QRadioButton>(edit, "alphanumeric")->isChecked());
                QVERIFY(Child<QComboBox>(edit, "service")->isEnabled());
                Type(edit, "delayTime", "7");
                Type(edit, "customMessage", "Back soon");
                ClickOk(edit);
            });
            Click(config, "edit");
            QCOMPARE(Child<QListWidget>(config, "pagers")->count(), 3);  // the scratch record is gone
            ClickOk(config);
        });
        QVERIFY(ok);
        QCOMPARE(Local("Ann").PhoneNumber, std::string("555000A"));
        QCOMPARE(Local("Bob").PhoneNumber, std::string("555000B"));
        QCOMPARE(Local("Cy").PhoneNumber, std::string("555000C"));
        QCOMPARE(Local("Cy").DelayTime, std::string("7"));
        QCOMPARE(Local("Ann").CustomMessage, std::string("Back soon"));
        QCOMPARE(Local("Bob").UserName, std::string("Bob"));
        QVERIFY(f->state->Pagers().FindByName("Cy")->DelayTime == "7");  // the main list was re-read
    }

    void addingAPagerWithAServiceAGroupAndItsOwnPause()
    {
        f->settings.Write(key::DefaultDelay, "9");
        bool ok = ConfigurePagers([&](QWidget* config) {
            OnNextModal([&](QWidget* edit) {
                QCOMPARE(edit->windowTitle(), QString("Individual Pager Configuration"));
                QVERIFY(!Child<QDialogButtonBox>(edit, "buttons")->button(QDialogButtonBox::Ok)->isEnabled());
                QCOMPARE(Child<QLineEdit>(edit, "delayTime")->text(), QString("9"));
                QCOMPARE(Child<QComboBox>(edit, "service")->currentText(), QString("<None>"));
                QStringList baud;
                for (int i = 0; i < Child<QComboBox>(edit, "baudRate")->count(); ++i)
                    baud << Child<QComboBox>(edit, "baudRate")->itemText(i);
                QCOMPARE(baud, (QStringList{"<default>", "300", "1200", "2400", "9600", "14400", "24000", "28800"}));
                Type(edit, "name", "Dana");
                QVERIFY(Child<QDialogButtonBox>(edit, "buttons")->button(QDialogButtonBox::Ok)->isEnabled());

                Choose(edit, "service", "Metro");
                QCOMPARE(Child<QLineEdit>(edit, "phoneNumber")->text(), QString("5551000"));
                QCOMPARE(Child<QLineEdit>(edit, "separator")->text(), QString("#"));
                QCOMPARE(Child<QComboBox>(edit, "baudRate")->currentText(), QString("2400"));
                QVERIFY(Child<QRadioButton>(edit, "alphanumeric")->isChecked());
                QCOMPARE(Child<QLabel>(edit, "phoneLabel")->text(), QString("System Phone Number"));
                QCOMPARE(Child<QComboBox>(edit, "service")->currentText(), QString("Metro"));

                Choose(edit, "baudRate", "9600");  // the baud and the pause after the PIN keep the service
                Type(edit, "pinDelayTime", "6");
                QCOMPARE(Child<QComboBox>(edit, "service")->currentText(), QString("Metro"));
                Type(edit, "phoneNumber", "5552000");  // the number does not
                QCOMPARE(Child<QComboBox>(edit, "service")->currentText(), QString("<None>"));
                Choose(edit, "service", "Metro");
                QCOMPARE(Child<QLineEdit>(edit, "phoneNumber")->text(), QString("5551000"));
                Type(edit, "delayTime", "12");
                QCOMPARE(Child<QComboBox>(edit, "service")->currentText(), QString("<None>"));
                Choose(edit, "service", "Metro");
                QTest::mouseClick(Child<QRadioButton>(edit, "numeric"), Qt::LeftButton);
                QCOMPARE(Child<QComboBox>(edit, "service")->currentText(), QString("<None>"));
                QCOMPARE(Child<QLabel>(edit, "phoneLabel")->text(), QString("Pager Phone Number"));
                Choose(edit, "service", "Metro");
                Choose(edit, "baudRate", "9600");

                OnNextModal([](QWidget* ask) {
                    QCOMPARE(ask->windowTitle(), QString("Add Group"));
                    qobject_cast<QInputDialog*>(ask)->setTextValue("Night");
                    qobject_cast<QInputDialog*>(ask)->accept();
                });
                Click(edit, "addGroup");
                auto* groups = Child<QListWidget>(edit, "groups");
                QCOMPARE(groups->count(), 1);
                QVERIFY(groups->item(0)->isSelected());
                QCOMPARE(Child<QLabel>(edit, "groupLabel")->text(),
                         QString("Highlight groups to which the pager belongs"));
                Type(edit, "delayTime", "9");
                Choose(edit, "service", "Metro");  // the service's pause again
                QTest::mouseClick(Child<QRadioButton>(edit, "content2"), Qt::LeftButton);
                ClickOk(edit);
            });
            Click(config, "add");
            QCOMPARE(Child<QListWidget>(config, "pagers")->item(0)->text(), QString("Dana"));
            ClickOk(config);
        });
        QVERIFY(ok);
        PagerRecord dana = Local("Dana");
        QCOMPARE(dana.ServiceName, std::string("Metro"));
        QCOMPARE(dana.PhoneNumber, std::string("5551000"));
        QCOMPARE(dana.BaudRate, std::string("2400"));
        QCOMPARE(dana.PagesPerCall, std::int16_t{7});
        QCOMPARE(dana.MaximumPageLength, std::int16_t{120});
        QCOMPARE(dana.PagerType, std::string("1"));
        QCOMPARE(dana.DefaultPageContent, std::string("2"));
        QCOMPARE(dana.Groups, std::vector<std::string>{"Night"});
        QCOMPARE(f->settings.Get(key::DefaultDelay), std::string("4"));  // the pause of the added pager
        QVERIFY(f->state->Pagers().FindByName("Dana"));
        QVERIFY(f->frame.refreshes > 0);
    }

    void theClampsOnOkAndCancelDiscardingEverything()
    {
        CPagerList list;
        f->AddPager(list, "Ann", "0");
        f->SavePagers(list);
        bool ok = ConfigurePagers([&](QWidget* config) {
            SelectRows(config, {0});
            OnNextModal([](QWidget* edit) {
                Type(edit, "waitForConnection", "75");
                Type(edit, "delayTime", "0");
                Type(edit, "pinDelayTime", "");
                Type(edit, "pageCounter", "1234");
                Type(edit, "maximumPageLength", "40000");
                ClickOk(edit);
            });
            Click(config, "edit");
            ClickOk(config);
        });
        QVERIFY(ok);
        PagerRecord ann = Local("Ann");
        QCOMPARE(ann.WaitForConnection, std::string("60"));
        QCOMPARE(ann.DelayTime, std::string("1"));
        QCOMPARE(ann.PinDelayTime, std::string("1"));
        QCOMPARE(ann.PageCounter, std::int16_t{999});
        QCOMPARE(ann.MaximumPageLength, std::int16_t{32767});

        int refreshes = f->frame.refreshes;
        ok = ConfigurePagers([&](QWidget* config) {
            OnNextModal([](QWidget* edit) {
                Type(edit, "name", "Zed");
                ClickOk(edit);
            });
            Click(config, "add");
            SelectRows(config, {0});
            OnNextModal([](QWidget* edit) {
                Type(edit, "name", "Anna");
                ClickOk(edit);
            });
            Click(config, "edit");
            ClickCancel(config);
        });
        QVERIFY(!ok);
        CPagerList after;
        f->LoadLocal(after);
        QCOMPARE(after.size(), std::size_t{1});
        QCOMPARE(after.at(0).UserName, std::string("Ann"));
        QCOMPARE(f->frame.refreshes, refreshes);
    }

    void removeAsksFirstAndForgetsTheAutomaticDestination()
    {
        CPagerList list;
        f->AddPager(list, "Ann", "1").AutoPageFlags = kAutoCallMonitor;
        f->AddPager(list, "Bob", "1");
        f->SavePagers(list);
        f->boxes.answers = {MbAnswer::No, MbAnswer::Yes};
        ConfigurePagers([&](QWidget* config) {
            SelectRows(config, {0});
            Click(config, "remove");
            QCOMPARE(Child<QListWidget>(config, "pagers")->count(), 2);
            Click(config, "remove");
            QCOMPARE(Child<QListWidget>(config, "pagers")->count(), 1);
            ClickOk(config);
        });
        QCOMPARE(f->boxes.shown.size(), std::size_t{2});
        QCOMPARE(f->boxes.shown[0].text, std::string("That pager is assigned as an automatic page destination.  "
                                                     "Are you sure you want to delete \"Ann\" from the list?"));
        QCOMPARE(f->boxes.shown[0].caption, std::string("Delete Pager"));
        QVERIFY(f->boxes.shown[0].buttons == MbButtons::YesNo);
        QCOMPARE(f->settings.Get(key::AutoPagerCode), std::string("-1"));
        QVERIFY(!f->state->Pagers().FindByName("Ann"));
    }

    void testSendsWhatTheDialogShowsNotWhatIsStored()
    {
        CPagerList list;
        PagerRecord& ann = f->AddPager(list, "Ann", "1");
        ann.PhoneNumber = "5551234";
        PagerRecord& num = f->AddPager(list, "Num", "0");
        num.PhoneNumber = "5554321";
        num.PagerID = "77";
        f->SavePagers(list);
        ConfigurePagers([&](QWidget* config) {
            SelectRows(config, {1});
            Click(config, "test");  // the list's Test: the stored values
            SelectRows(config, {0});
            OnNextModal([](QWidget* edit) {
                Type(edit, "phoneNumber", "5559999");
                Click(edit, "test");
                ClickCancel(edit);
            });
            Click(config, "edit");
            ClickCancel(config);
        });
        auto& calls = f->transports.calls;
        QCOMPARE(calls.size(), std::size_t{2});
        QCOMPARE(calls[0].phone, std::string("5554321"));
        QVERIFY((calls[0].numeric == std::vector<std::pair<std::string, std::string>>{{"77", "1234567"}}));
        QCOMPARE(calls[1].phone, std::string("5559999"));
        QCOMPARE(calls[1].pages.size(), std::size_t{1});
        QCOMPARE(calls[1].pages[0].message, std::string("Test Message"));
        QVERIFY(f->frame.statusLine.front() == "Initializing the Paging Modem");
        QVERIFY(!f->state->Queue().pageInProgress);
        QCOMPARE(Local("Ann").PhoneNumber, std::string("5551234"));

        // A number that names an SNPP server goes over SNPP whatever the page port.
        f->settings.Write(key::PagePort, "/dev/ttyS0");
        ConfigurePagers([&](QWidget* config) {
            SelectRows(config, {1});
            OnNextModal([](QWidget* edit) {
                Type(edit, "phoneNumber", "SNPP:127.0.0.1:4444");
                Click(edit, "test");
                ClickCancel(edit);
            });
            Click(config, "edit");
            ClickCancel(config);
        });
        QCOMPARE(calls.size(), std::size_t{4});  // a numeric pager gets the digits, then the text
        QVERIFY(calls[2].snpp && calls[3].snpp);
        QCOMPARE(calls[3].pages.at(0).message, std::string("Test Message"));
    }

    void theTestDialogCancelsTheCallAndARunningPageRefusesTheTest()
    {
        PagerRecord values;
        values.PagerType = "1";
        values.PhoneNumber = "5551234";
        CTestPageDialog dialog(*f->state, values, window.get());
        QCOMPARE(Texts(&dialog).contains("Sending test page to paging central..."), true);
        // The user presses Cancel while the call is under way.
        f->transports.sendScripts.push_back([&](std::vector<AddedPage>&) {
            ClickCancel(&dialog);
            return 2;
        });
        dialog.exec();
        QVERIFY(dialog.Finished());
        QCOMPARE(f->frame.cancels, 1);

        f->state->Queue().pageInProgress = true;
        RunTestPage(*f->state, values, window.get());
        QCOMPARE(f->boxes.shown.back().text, std::string(kPageInProgressText));
        QCOMPARE(f->boxes.shown.back().caption, std::string("Paging Error"));
        f->state->Queue().pageInProgress = false;
    }

    void editingFromTheListWarnsForGroupsAndSharedPagers()
    {
        CTempDir shared;
        CPagerList sharedList;
        f->AddPager(sharedList, "Remote", "1");
        shared.Write("PAGERS.DAT", WritePagerRecords(sharedList));
        shared.Write("SERVICES.DAT", "");
        f->settings.Write(key::PagerFilePath, shared.path());
        CPagerList list;
        f->AddPager(list, "Ann", "1").Groups = {"Desk"};
        f->SavePagers(list);
        PagerRecord* remote = f->state->Pagers().FindByName("Remote");
        QVERIFY(remote && remote->IsShared());

        FormView view;
        view.rows.push_back({true, -32000, "Desk", true});
        view.rows.push_back({false, f->state->Pagers().FindByName("Ann")->Code, "Ann", false});
        view.rows.push_back({false, remote->Code, "Remote", false});
        commands->DoubleClick(view, 0);
        QCOMPARE(f->boxes.shown.back().text,
                 std::string("This is a pager group.  To edit the group, choose Groups from the Configure menu."));
        QCOMPARE(f->boxes.shown.back().caption, std::string("Edit Pager"));

        OnNextModal([](QWidget* edit) {
            QVERIFY(!Child<QDialogButtonBox>(edit, "buttons")->button(QDialogButtonBox::Ok)->isEnabled());
            ClickCancel(edit);
        });
        commands->DoubleClick(view, 2);
        QVERIFY2(f->boxes.shown.back().caption == "Share Warning", f->boxes.Texts().c_str());
        QCOMPARE(f->boxes.shown.back().text,
                 std::string("This is a shared pager.  You will be unable to save any changes made to this pager."));
        QCOMPARE(f->boxes.shown.back().caption, std::string("Share Warning"));

        OnNextModal([](QWidget* edit) {
            Type(edit, "customData", "Room 4");
            ClickOk(edit);
        });
        commands->DoubleClick(view, 1);
        QCOMPARE(Local("Ann").CustomData, std::string("Room 4"));
        QCOMPARE(f->state->Pagers().FindByName("Ann")->CustomData, std::string("Room 4"));
    }

    void theGuardsRefuseWhileMonitoringAndAskForThePassword()
    {
        f->state->Monitoring().ToggleManualMonitoring();
        QVERIFY(!commands->ConfigurePagers());
        QCOMPARE(f->boxes.shown.back().text, std::string("You cannot configure pagers while Corvane is monitoring."));
        QCOMPARE(f->boxes.shown.back().caption, std::string("Configure Pager Error"));
        QVERIFY(!commands->ConfigureServices());
        QCOMPARE(f->boxes.shown.back().caption, std::string("Configure Services Error"));
        QVERIFY(!commands->ConfigureModems());
        QCOMPARE(f->boxes.shown.back().text, std::string("You cannot configure modems while Corvane is monitoring."));
        QCOMPARE(f->boxes.shown.back().caption, std::string("Configure Modem Error"));
        f->state->Monitoring().ToggleManualMonitoring();

        StorePassword(f->settings, "open");
        OnNextModal([&](QWidget* ask) {
            QCOMPARE(ask->windowTitle(), QString("Password Validation"));
            QVERIFY(Texts(ask).contains(
                "In order to enter the area you have selected, you must enter the password below."));
            QCOMPARE(Child<QLineEdit>(ask, "password")->echoMode(), QLineEdit::Password);
            Type(ask, "password", "shut");
            ClickOk(ask);
            QVERIFY(ask->isVisible());  // a wrong password: the dialog stays
            QCOMPARE(f->boxes.shown.back().text, std::string("The password specified is invalid."));
            QCOMPARE(f->boxes.shown.back().caption, std::string("Password Validation Error"));
            OnNextModal([](QWidget* config) {
                QCOMPARE(config->windowTitle(), QString("Pager Configuration"));
                ClickCancel(config);
            });
            Type(ask, "password", "open");
            ClickOk(ask);
        });
        QVERIFY(!commands->ConfigurePagers());  // opened, then cancelled
        OnNextModal([](QWidget* ask) { ClickCancel(ask); });
        QVERIFY(!commands->ConfigurePagers());
    }

    void aPagerAddedThroughTheCommandServer()
    {
        OnNextModal([](QWidget* edit) {
            Type(edit, "name", "Eve");
            Type(edit, "delayTime", "11");
            ClickOk(edit);
        });
        QVERIFY(commands->AddNewPager());
        QVERIFY(f->state->Pagers().FindByName("Eve"));
        QCOMPARE(f->settings.Get(key::DefaultDelay), std::string("11"));
        OnNextModal([](QWidget* edit) { ClickCancel(edit); });
        QVERIFY(!commands->AddNewPager());
        QCOMPARE(f->state->Pagers().size(), std::size_t{1});
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::PagerConfigTest)
#include "pager_config_test.moc"
