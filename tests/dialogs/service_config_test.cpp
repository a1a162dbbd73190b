// Configure > Service Providers: the services and what their confirmation does to the pagers.

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "app/gui/dialogs/dialog_commands.h"
#include "directory/service_list.h"
#include "tests/dialogs/dialog_fixture.h"

namespace corvane::test {

class ServiceConfigTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<CProgramFixture> f;
    std::unique_ptr<QWidget> window;
    std::unique_ptr<CDialogCommands> commands;

    void Select(QWidget* config, std::vector<int> rows)
    {
        auto* list = Child<QListWidget>(config, "services");
        list->clearSelection();
        for (int row : rows) list->item(row)->setSelected(true);
    }
    ServiceRecord Stored(const std::string& name)
    {
        CServiceList services;
        services.LoadLocal(f->state->Files());
        const ServiceRecord* found = services.FindByName(name);
        if (!found) qFatal("no service %s", name.c_str());
        return *found;
    }

private slots:
    void init()
    {
        f = std::make_unique<CProgramFixture>();
        CServiceList services;
        for (const char* name : {"Alpha", "Beta"}) {
            ServiceRecord& s = *services.NewService();
            s.Name = name;
            s.PhoneNumber = std::string("555-") + name;
            s.PagesPerCall = name[0] == 'A' ? 10 : 20;
        }
        services.Save(f->state->Files());
        CPagerList list;
        for (const char* name : {"Ann", "Bob"}) {
            PagerRecord& p = f->AddPager(list, name, "1");
            p.ServiceName = name[0] == 'A' ? "Alpha" : "Beta";
            p.PhoneNumber = "old";
        }
        list.Save(f->state->Files());
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

    void aRenamedServiceTakesItsPagersAlong()
    {
        OnNextModal([&](QWidget* config) {
            QCOMPARE(config->windowTitle(), QString("Service Configuration"));
            Select(config, {0});
            OnNextModal([](QWidget* edit) {
                QCOMPARE(edit->windowTitle(), QString("Individual Service Configuration"));
                QStringList texts = Texts(edit);
                for (const char* text : {"Name", "Phone Number", "Wait", "seconds for connection", "Pause",
                                         "seconds after dialing", "seconds after PIN", "Password", "Separator",
                                         "Baud", "Max Page Length", "Pages Per Call", "Numeric", "Alphanumeric"})
                    QVERIFY2(texts.contains(text), text);
                Type(edit, "name", "Gamma");
                Type(edit, "phoneNumber", "5557777");
                Type(edit, "pagesPerCall", "3");
                Type(edit, "delayTime", "300");
                ClickOk(edit);
            });
            Click(config, "edit");
            QCOMPARE(Child<QListWidget>(config, "services")->item(0)->text(), QString("Gamma"));
            ClickOk(config);
        });
        QVERIFY(commands->ConfigureServices());
        PagerRecord* ann = f->state->Pagers().FindByName("Ann");
        QCOMPARE(ann->ServiceName, std::string("Gamma"));
        QCOMPARE(ann->PhoneNumber, std::string("5557777"));
        QCOMPARE(ann->PagesPerCall, std::int16_t{5});
        QCOMPARE(ann->DelayTime, std::string("255"));
        QCOMPARE(f->state->Pagers().FindByName("Bob")->PhoneNumber, std::string("555-Beta"));
        QCOMPARE(Stored("Gamma").PagesPerCall, std::int16_t{5});
        CPagerList saved;
        f->LoadLocal(saved);
        QCOMPARE(saved.FindByName("Ann")->ServiceName, std::string("Gamma"));
        QVERIFY(f->frame.refreshes > 0);
    }

    void aRemovedServiceLeavesItsPagersWithTheirValues()
    {
        f->boxes.answers = {MbAnswer::Yes};
        OnNextModal([&](QWidget* config) {
            Select(config, {1});
            Click(config, "remove");
            QCOMPARE(Child<QListWidget>(config, "services")->count(), 1);
            ClickOk(config);
        });
        QVERIFY(commands->ConfigureServices());
        QCOMPARE(f->boxes.shown[0].text, std::string("Are you sure you want to delete \"Beta\" from the list?"));
        QCOMPARE(f->boxes.shown[0].caption, std::string("Delete Service"));
        PagerRecord* bob = f->state->Pagers().FindByName("Bob");
        QCOMPARE(bob->ServiceName, std::string("<None>"));
        QCOMPARE(bob->PhoneNumber, std::string("old"));
    }

    void anAddedServiceAndSeveralEditedTogether()
    {
        f->settings.Write(key::DefaultDelay, "6");
        OnNextModal([&](QWidget* config) {
            OnNextModal([](QWidget* edit) {
                QVERIFY(!Child<QDialogButtonBox>(edit, "buttons")->button(QDialogButtonBox::Ok)->isEnabled());
                QCOMPARE(Child<QLineEdit>(edit, "delayTime")->text(), QString("6"));
                Type(edit, "name", "Delta");
                Type(edit, "delayTime", "14");
                QTest::mouseClick(Child<QRadioButton>(edit, "alphanumeric"), Qt::LeftButton);
                Choose(edit, "baudRate", "1200");
                ClickOk(edit);
            });
            Click(config, "add");
            Select(config, {0, 1});
            OnNextModal([](QWidget* edit) {
                for (const char* disabled : {"name", "numeric", "alphanumeric", "baudRate"})
                    QVERIFY2(!Child<QWidget>(edit, disabled)->isEnabled(), disabled);
                QCOMPARE(Child<QLineEdit>(edit, "phoneNumber")->text(), QString());
                QCOMPARE(Child<QLineEdit>(edit, "pagesPerCall")->text(), QString());
                Type(edit, "separator", "+");
                ClickOk(edit);
            });
            Click(config, "edit");
            QCOMPARE(Child<QListWidget>(config, "services")->count(), 3);
            ClickOk(config);
        });
        QVERIFY(commands->ConfigureServices());
        ServiceRecord delta = Stored("Delta");
        QCOMPARE(delta.DelayTime, std::string("14"));
        QCOMPARE(delta.ServiceType, std::string("1"));
        QCOMPARE(delta.BaudRate, std::string("1200"));
        QCOMPARE(f->settings.Get(key::DefaultDelay), std::string("14"));
        QCOMPARE(Stored("Alpha").Separator, std::string("+"));
        QCOMPARE(Stored("Beta").Separator, std::string("+"));
        QCOMPARE(Stored("Alpha").PagesPerCall, std::int16_t{10});
        QCOMPARE(Stored("Beta").PhoneNumber, std::string("555-Beta"));
    }

    void cancelLeavesServicesAndPagersAlone()
    {
        OnNextModal([&](QWidget* config) {
            Select(config, {0});
            OnNextModal([](QWidget* edit) {
                Type(edit, "name", "Zeta");
                ClickOk(edit);
            });
            Click(config, "edit");
            ClickCancel(config);
        });
        QVERIFY(!commands->ConfigureServices());
        Stored("Alpha");
        QCOMPARE(f->state->Pagers().FindByName("Ann")->ServiceName, std::string("Alpha"));
    }
};

}  // namespace corvane::test

QTEST_MAIN(corvane::test::ServiceConfigTest)
#include "service_config_test.moc"
