// Configure > Pagers and Configure > Service Providers, and the pager edit from the
// main list, as a user drives them.

#include <QInputDialog>

#include "app/core/password.h"
#include "app/gui/dialogs/call_progress_dialog.h"
#include "directory/pager_file.h"
#include "directory/service_list.h"
#include "tests/dialogs/dialog_checks.h"

namespace corvane::test {

class PagerConfigTest : public QObject {
    Q_OBJECT

    std::unique_ptr<CProgramFixture> f;

    // Configure > Pagers with the user's actions in the dialog; true when it closed with OK.
    bool ConfigurePagers(std::function<void(QWidget*)> actions)
    {
        OnNextModal(actions);
        return f->commands->ConfigurePagers();
    }
    bool ConfigureServices(std::function<void(QWidget*)> actions)
    {
        OnNextModal(actions);
        return f->commands->ConfigureServices();
    }
    // Edit on the given rows of the list, the actions in the individual dialog, then OK
    // (or Cancel) in the list's dialog.
    static std::function<void(QWidget*)> Edit(const char* list, std::vector<int> rows,
                                              std::function<void(QWidget*)> actions, bool ok = true)
    {
        return [=](QWidget* config) {
            Select(config, list, rows);
            OnNextModal(actions);
            Click(config, "edit");
            ok ? ClickOk(config) : ClickCancel(config);
        };
    }
    ServiceRecord StoredService(const std::string& name)
    {
        CServiceList services;
        services.LoadLocal(f->state->Files());
        if (!services.FindByName(name)) qFatal("no service %s", name.c_str());
        return *services.FindByName(name);
    }
    PagerRecord& Pager(const char* name) { return *f->state->Pagers().FindByName(name); }

private slots:
    // The service Metro with its own values, and Beta.
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        CServiceList services;
        ServiceRecord& metro = *services.NewService();
        metro.Name = "Metro";
        metro.PhoneNumber = "5551000";
        metro.DelayTime = "4";
        metro.BaudRate = "2400";
        metro.MaximumPageLength = 120;
        metro.PagesPerCall = 7;
        metro.ServiceType = "1";
        ServiceRecord& beta = *services.NewService();
        beta.Name = "Beta";
        beta.PhoneNumber = "555-Beta";
        beta.PagesPerCall = 20;
        services.Save(f->state->Files());
        f->Create();
    }
    void cleanup() { f.reset(); }

    void addingAPagerWithAServiceAndAGroup()
    {
        f->settings.Write(key::DefaultDelay, "9");
        QVERIFY(ConfigurePagers([&](QWidget* config) {
            QCOMPARE(Missing(config, {"Pager Configuration", "Add", "Edit", "Remove", "Test"}), QString());
            OnNextModal([&](QWidget* edit) {
                QCOMPARE(Missing(edit, {"Individual Pager Configuration", "Name", "Numeric", "Alphanumeric",
                                        "Pager Phone Number", "Pager ID", "Service", "Baud", "Send Page Counter",
                                        "Default Page Message", "Prompt for Message", "Custom Page Message",
                                        "Highlight groups to which the pager belongs", "Work", "Home", "Other",
                                        "Test"}),
                         QString());
                QCOMPARE(Items(edit, "service"), (QStringList{"<None>", "Metro", "Beta"}));
                QCOMPARE(Items(edit, "baudRate"),
                         (QStringList{"<default>", "300", "1200", "2400", "9600", "14400", "24000", "28800"}));
                QVERIFY(Checked(edit, "content1"));  // a new pager prompts
                QCOMPARE(Text(edit, "delayTime"), QString("9"));
                QVERIFY(!OkEnabled(edit));
                Type(edit, "name", "Dana");
                QVERIFY(OkEnabled(edit));
                Choose(edit, "service", "Metro");
                QCOMPARE(Join(Text(edit, "phoneNumber"), Text(edit, "baudRate"), Text(edit, "phoneLabel")),
                         QString("5551000|2400|System Phone Number"));
                Choose(edit, "baudRate", "9600");  // the baud may differ from the service's
                QCOMPARE(Text(edit, "service"), QString("Metro"));
                Type(edit, "phoneNumber", "5552000");  // the number may not
                QCOMPARE(Text(edit, "service"), QString("<None>"));
                Choose(edit, "service", "Metro");  // its values again
                OnNextModal([](QWidget* ask) {
                    QCOMPARE(ask->windowTitle(), QString("Add Group"));
                    qobject_cast<QInputDialog*>(ask)->setTextValue("Night");
                    qobject_cast<QInputDialog*>(ask)->accept();
                });
                Click(edit, "addGroup");
                QCOMPARE(Items(edit, "groups"), QStringList{"Night"});
                QVERIFY(Child<QListWidget>(edit, "groups")->item(0)->isSelected());
                Click(edit, "content2");
                ClickOk(edit);
            });
            Click(config, "add");
            QCOMPARE(Items(config, "pagers"), QStringList{"Dana"});
            ClickOk(config);
        }));
        PagerRecord dana = f->Stored("Dana");
        QCOMPARE(Join(dana.ServiceName, dana.PhoneNumber, dana.BaudRate, dana.PagesPerCall, dana.MaximumPageLength,
                      dana.PagerType, dana.DefaultPageContent, dana.Groups),
                 QString("Metro|5551000|2400|7|120|1|2|Night"));
        QCOMPARE(f->settings.Get(key::DefaultDelay), std::string("4"));  // the pause of the added pager
        QVERIFY(f->state->Pagers().FindByName("Dana") && f->frame.refreshes > 0);
    }

    void threePagersEditedTogetherKeepTheirOwnPhoneNumbersAndCancelKeepsAll()
    {
        CPagerList list;
        for (const char* name : {"Ann", "Bob", "Cy"}) {
            PagerRecord& p = f->AddPager(list, name, "1");
            p.PhoneNumber = std::string("555000") + name[0];
            p.DelayTime = "5";
        }
        f->SavePagers(list);
        QVERIFY(ConfigurePagers(Edit("pagers", {0, 1, 2}, [](QWidget* edit) {
            // What all share, and empty where they differ.
            QCOMPARE(Join(Text(edit, "phoneNumber"), Text(edit, "delayTime"), Text(edit, "name")), QString("|5|"));
            QCOMPARE(EnabledOf(edit, {"name", "pagerId", "numeric", "alphanumeric", "baudRate", "groups", "addGroup",
                                      "sendPageCounter", "test", "service"}),
                     QString("service"));
            Type(edit, "delayTime", "0");  // the clamps hold for all
            Type(edit, "customMessage", "Back soon");
            ClickOk(edit);
        })));
        QCOMPARE(Join(f->Stored("Ann").PhoneNumber, f->Stored("Bob").PhoneNumber, f->Stored("Cy").PhoneNumber),
                 QString("555000A|555000B|555000C"));
        PagerRecord cy = f->Stored("Cy");
        QCOMPARE(Join(cy.UserName, cy.DelayTime, cy.CustomMessage), QString("Cy|1|Back soon"));
        QCOMPARE(Pager("Bob").DelayTime, std::string("1"));  // the main list re-read, no scratch record
        QCOMPARE(f->state->Pagers().size(), std::size_t{3});

        // Cancel in the list's dialog discards what its pager dialogs confirmed.
        int refreshes = f->frame.refreshes;
        QVERIFY(!ConfigurePagers([&](QWidget* config) {
            OnNextModal([](QWidget* edit) {
                Type(edit, "name", "Zed");
                ClickOk(edit);
            });
            Click(config, "add");
            Edit("pagers", {0}, [](QWidget* edit) {
                Type(edit, "name", "Anna");
                ClickOk(edit);
            }, false)(config);
        }));
        CPagerList after;
        after.LoadLocal(f->state->Files());
        QCOMPARE(Join(after.size(), after.at(0).UserName, f->frame.refreshes - refreshes), QString("3|Ann|0"));
    }

    void removeAsksFirstAndForgetsTheAutomaticDestination()
    {
        CPagerList list;
        f->AddPager(list, "Ann", "1").AutoPageFlags = kAutoCallMonitor;
        f->AddPager(list, "Bob", "1");
        f->SavePagers(list);
        f->boxes.answers = {MbAnswer::No, MbAnswer::Yes};
        QVERIFY(ConfigurePagers([&](QWidget* config) {
            Select(config, "pagers", {0});
            Click(config, "remove");
            QCOMPARE(Items(config, "pagers").size(), 2);
            Click(config, "remove");
            QCOMPARE(Items(config, "pagers"), QStringList{"Bob"});
            ClickOk(config);
        }));
        QCOMPARE(f->boxes.shown.size(), std::size_t{2});
        QCOMPARE(f->LastBox(), QString("Delete Pager: That pager is assigned as an automatic page destination.  "
                                       "Are you sure you want to delete \"Ann\" from the list?"));
        QCOMPARE(f->settings.Get(key::AutoPagerCode), std::string("-1"));
        QVERIFY(!f->state->Pagers().FindByName("Ann"));
    }

    // Pager Configuration holds the local pagers only: an OK there keeps what MONITOR.DAT
    // says of shared pagers.
    void okKeepsTheAutomaticDestinationsOfSharedPagers()
    {
        CTempDir shared;
        CPagerList sharedList;
        f->AddPager(sharedList, "Remote", "1");
        shared.Write("PAGERS.DAT", WritePagerRecords(sharedList));
        shared.Write("SERVICES.DAT", "");
        f->settings.Write(key::PagerFilePath, shared.path());
        CPagerList list;
        f->AddPager(list, "Ann", "1").AutoPageFlags = kAutoCallMonitor;
        f->SavePagers(list);
        Pager("Remote").AutoPageFlags = kAutoMail | kAutoPim;
        f->state->Pagers().Save(f->state->Files());

        QVERIFY(ConfigurePagers(Edit("pagers", {0}, [](QWidget* edit) {
            Type(edit, "customData", "Room 4");
            ClickOk(edit);
        })));
        f->state->RereadPagers();
        QCOMPARE(Join(Pager("Ann").CustomData, Pager("Ann").AutoPageFlags, Pager("Remote").AutoPageFlags),
                 QString("Room 4|1|6"));
    }

    void testSendsWhatTheDialogShowsAndItsDialogCancelsTheCall()
    {
        CPagerList list;
        f->AddPager(list, "Ann", "1").PhoneNumber = "5551234";
        f->AddPager(list, "Bob", "1").PhoneNumber = "5554321";
        f->SavePagers(list);
        ConfigurePagers([&](QWidget* config) {
            Select(config, "pagers", {1});
            Click(config, "test");  // the list's Test: the stored values
            Edit("pagers", {0}, [](QWidget* edit) {
                Type(edit, "phoneNumber", "5559999");
                Click(edit, "test");  // the pager dialog's: what it shows
                ClickCancel(edit);
            }, false)(config);
        });
        auto& calls = f->transports.calls;
        QCOMPARE(calls.size(), std::size_t{2});
        QCOMPARE(Join(calls[0].phone, calls[1].phone, calls[1].pages.at(0).message),
                 QString("5554321|5559999|Test Message"));
        QCOMPARE(f->frame.statusLine.front(), std::string("Initializing the Paging Modem"));
        QVERIFY(!f->state->Queue().pageInProgress);
        QCOMPARE(f->Stored("Ann").PhoneNumber, std::string("5551234"));

        const PagerRecord ann = f->Stored("Ann");
        CCallProgressDialog dialog(*f->state, "Test Page", kTestPageText, [&] {
            f->state->SendTestPage(ann);
            return 0;
        }, &f->window);
        QCOMPARE(Missing(&dialog, {"Sending test page to paging central..."}), QString());
        f->transports.sendScripts.push_back([&](std::vector<AddedPage>&) {
            ClickCancel(&dialog);  // the user presses Cancel while the call is under way
            return 2;
        });
        dialog.exec();
        QVERIFY(dialog.Finished());
        QCOMPARE(f->frame.cancels, 1);
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
        QVERIFY(Pager("Remote").IsShared());

        FormView view;
        view.rows = {{true, -32000, "Desk", true}, {false, Pager("Ann").Code, "Ann", false},
                     {false, Pager("Remote").Code, "Remote", false}};
        f->commands->DoubleClick(view, 0);
        QCOMPARE(f->LastBox(), QString("Edit Pager: This is a pager group.  To edit the group, choose Groups from "
                                       "the Configure menu."));
        OnNextModal([](QWidget* edit) {
            QVERIFY(!OkEnabled(edit));
            ClickCancel(edit);
        });
        f->commands->DoubleClick(view, 2);
        QCOMPARE(f->LastBox(), QString("Share Warning: This is a shared pager.  You will be unable to save any "
                                       "changes made to this pager."));
        OnNextModal([](QWidget* edit) {
            Type(edit, "customData", "Room 4");
            ClickOk(edit);
        });
        f->commands->DoubleClick(view, 1);
        QCOMPARE(Join(f->Stored("Ann").CustomData, Pager("Ann").CustomData), QString("Room 4|Room 4"));
    }

    void thePasswordGuardAsksUntilTheRightPasswordOrCancel()
    {
        StorePassword(f->settings, "open");
        OnNextModal([&](QWidget* ask) {
            QCOMPARE(Missing(ask, {"Password Validation",
                                   "In order to enter the area you have selected, you must enter the password below."}),
                     QString());
            QCOMPARE(Child<QLineEdit>(ask, "password")->echoMode(), QLineEdit::Password);
            Type(ask, "password", "shut");
            ClickOk(ask);
            QVERIFY(ask->isVisible());  // a wrong password: the dialog stays
            QCOMPARE(f->LastBox(), QString("Password Validation Error: The password specified is invalid."));
            OnNextModal([](QWidget* config) {
                QCOMPARE(config->windowTitle(), QString("Pager Configuration"));
                ClickCancel(config);
            });
            Type(ask, "password", "open");
            ClickOk(ask);
        });
        QVERIFY(!f->commands->ConfigurePagers());  // opened, then cancelled
        OnNextModal([](QWidget* ask) { ClickCancel(ask); });
        QVERIFY(!f->commands->ConfigurePagers());
    }

    void aRenamedServiceTakesItsPagersAlongAndARemovedOneLeavesThem()
    {
        CPagerList list;
        f->AddPager(list, "Ann", "1").ServiceName = "Metro";
        PagerRecord& bob = f->AddPager(list, "Bob", "1");
        bob.ServiceName = "Beta";
        bob.PhoneNumber = "old";
        f->SavePagers(list);
        f->boxes.answers = {MbAnswer::Yes};
        QVERIFY(ConfigureServices([&](QWidget* config) {
            QCOMPARE(config->windowTitle(), QString("Service Configuration"));
            Select(config, "services", {1});
            Click(config, "remove");
            Edit("services", {0}, [](QWidget* edit) {
                QCOMPARE(Missing(edit, {"Individual Service Configuration", "Name", "Phone Number", "Wait",
                                        "seconds for connection", "Pause", "seconds after dialing",
                                        "seconds after PIN", "Password", "Separator", "Baud", "Max Page Length",
                                        "Pages Per Call", "Numeric", "Alphanumeric"}),
                         QString());
                Type(edit, "name", "Gamma");
                Type(edit, "phoneNumber", "5557777");
                Type(edit, "pagesPerCall", "3");
                Type(edit, "delayTime", "300");
                ClickOk(edit);
            })(config);
        }));
        QCOMPARE(f->LastBox(), QString("Delete Service: Are you sure you want to delete \"Beta\" from the list?"));
        PagerRecord& ann = Pager("Ann");
        QCOMPARE(Join(ann.ServiceName, ann.PhoneNumber, ann.PagesPerCall, ann.DelayTime),
                 QString("Gamma|5557777|5|255"));
        QCOMPARE(Join(f->Stored("Ann").ServiceName, StoredService("Gamma").PagesPerCall), QString("Gamma|5"));
        QCOMPARE(Join(Pager("Bob").ServiceName, Pager("Bob").PhoneNumber), QString("<None>|old"));
    }

    void anAddedServiceTakesTheDefaultPauseAndCancelKeepsTheServices()
    {
        f->settings.Write(key::DefaultDelay, "6");
        QVERIFY(!ConfigureServices([&](QWidget* config) {
            OnNextModal([](QWidget* edit) {
                QVERIFY(!OkEnabled(edit));
                QCOMPARE(Text(edit, "delayTime"), QString("6"));
                Type(edit, "name", "Delta");
                ClickOk(edit);
            });
            Click(config, "add");
            Edit("services", {0}, [](QWidget* edit) {
                Type(edit, "name", "Zeta");
                ClickOk(edit);
            }, false)(config);
        }));
        CServiceList services;
        services.LoadLocal(f->state->Files());
        QCOMPARE(Join(services.size(), services.at(0).Name), QString("2|Metro"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::PagerConfigTest)
#include "pager_config_test.moc"
