// The pager list, and the rules of the pager and service configuration dialogs that are not
// about drawing, down to what confirming the services does to the pagers.

#include <gtest/gtest.h>

#include "directory/pager_config.h"
#include "directory/pager_list.h"
#include "directory/service_config.h"
#include "settings/memory_settings.h"
#include "tests/directory/directory_helpers.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using test::Codes;
using test::CodesOf;
using test::ServiceAttributes;

PagerRecord& Add(CPagerList& list, const std::string& name)
{
    PagerRecord& p = *list.NewPager();
    p.UserName = name;
    return p;
}

TEST(PagerList, CodesComeFromTheHintUpwardWrapAt32000AndRunOut)
{
    CPagerList list;
    for (std::int16_t code : {1, 2, 4}) list.AddBlank().Code = code;
    EXPECT_EQ(list.AllocateCode(), 3);
    EXPECT_EQ(list.NextCodeHint(), 4);
    EXPECT_EQ(list.AllocateCode(), 5);
    list.SetNextCodeHint(32000);
    EXPECT_EQ(list.AllocateCode(), 32000);
    EXPECT_EQ(list.AllocateCode(), 3);  // past 32000 the search starts again at 1
    list.AddBlank().Code = 32000;
    list.SetNextCodeHint(32000);
    EXPECT_EQ(list.AllocateCode(), 3);

    // Removing a local pager lowers the hint to its code; a shared one leaves it.
    list.SetNextCodeHint(7);
    list.Remove(*list.FindByCode(2));
    EXPECT_EQ(list.NextCodeHint(), 2);
    list.Remove(*list.FindByCode(4));
    list.AddBlank().Code = -5;
    list.Remove(*list.FindByCode(-5));
    EXPECT_EQ(list.NextCodeHint(), 2);
    EXPECT_EQ(CodesOf(list), (Codes{1, 32000}));

    CPagerList full;
    for (int code = 1; code <= 32000; ++code) full.AddBlank().Code = static_cast<std::int16_t>(code);
    EXPECT_EQ(full.AllocateCode(), 0);
    EXPECT_EQ(full.NewPager(), nullptr);
    EXPECT_EQ(full.size(), 32000u);
}

TEST(PagerList, GroupNamesInFirstSeenOrderCaseKept)
{
    CPagerList list;
    Add(list, "A").Groups = {"Sales", "North"};
    Add(list, "B").Groups = {"North", "East", "sales"};
    list.RebuildGroupNames();
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"Sales", "North", "East", "sales"}));
    list.Remove(list.at(1));
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"Sales", "North"}));
}

TEST(PagerConfig, AddTakesTheLastConfirmedPauseAndCancelRemovesThePager)
{
    CMemorySettings settings;
    CPagerList list;
    PagerRecord* first = AddPagerForEdit(list, settings);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->DelayTime, "8");
    first->DelayTime = "12";
    ConfirmAddedPager(*first, settings);
    PagerRecord* second = AddPagerForEdit(list, settings);
    EXPECT_EQ(second->DelayTime, "12");
    CancelAddedPager(list, *second);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(list.NextCodeHint(), 2);
}

TEST(PagerConfig, RemoveAsksWithTheAutomaticDestinationWording)
{
    CMemorySettings settings;
    CPagerList list;
    PagerRecord& bob = Add(list, "Bob");
    PagerRecord& ann = Add(list, "Ann");
    EXPECT_EQ(RemoveQuestion({&bob}), "Are you sure you want to delete \"Bob\" from the list?");
    EXPECT_EQ(RemoveQuestion({&bob, &ann}), "Are you sure you want to delete the selected pagers from the list?");
    ann.AutoPageFlags = kAutoMail;
    EXPECT_EQ(RemoveQuestion({&ann}),
              "That pager is assigned as an automatic page destination.  "
              "Are you sure you want to delete \"Ann\" from the list?");
    EXPECT_EQ(RemoveQuestion({&bob, &ann}),
              "One or more of the selected pagers are assigned as an automatic page destination.  "
              "Are you sure you want to delete the selected pagers from the list?");

    RemovePagers(list, {&bob}, settings);
    EXPECT_FALSE(settings.Has(SettingScope::User, "Preferences", "AutoPagerCode"));
    RemovePagers(list, {list.FindByName("Ann")}, settings);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(settings.Get(key::AutoPagerCode), "-1");
}

TEST(PagerConfig, SeveralPagersTakeTheFilledFieldsAndKeepWhatTheyDoNotShare)
{
    CPagerList list;
    PagerRecord& a = Add(list, "A");
    PagerRecord& b = Add(list, "B");
    PagerRecord& c = Add(list, "C");
    a.PhoneNumber = "111", b.PhoneNumber = "222";
    a.DelayTime = b.DelayTime = c.DelayTime = "5";
    a.PinDelayTime = "9", b.MaximumPageLength = 120, c.DefaultPageContent = "2", b.PageCounter = 7;
    PagerRecord ea = a, eb = b, ec = c;

    PagerRecord& scratch = MakeScratchRecord(list, {&a, &b, &c});
    EXPECT_EQ(scratch.Code, 0);
    EXPECT_EQ(scratch.PhoneNumber, "");
    EXPECT_EQ(scratch.DelayTime, "5");
    EXPECT_EQ(scratch.MaximumPageLength, -1);
    EXPECT_EQ(scratch.DefaultPageContent, "-1");
    EXPECT_EQ(scratch.PageCounter, -1);
    scratch.DelayTime = "7";
    scratch.CustomMessage = "Call the desk";
    ApplyScratchRecord(list, scratch, {&a, &b, &c});
    EXPECT_EQ(list.size(), 3u);
    for (PagerRecord* p : {&ea, &eb, &ec}) p->DelayTime = "7", p->CustomMessage = "Call the desk";
    EXPECT_EQ(a, ea);
    EXPECT_EQ(b, eb);  // the first pager's pause after the PIN does not travel
    EXPECT_EQ(c, ec);
}

TEST(PagerConfig, FieldsAreClampedOnOkAndBlankMeansUnchangedForSeveral)
{
    struct Case {
        std::string text;
        bool scratch;
        std::string delay;
        int counter, length;
    };
    for (const Case& c : {Case{"0", false, "1", 0, 1}, Case{"61", false, "60", 61, 61}, Case{"1500", false, "60", 999, 1500},
                          Case{"40000", false, "60", 999, 32767}, Case{"", false, "1", 0, 1}, Case{"abc", false, "1", 0, 1},
                          Case{"", true, "", -1, -1}, Case{"-5", true, "1", 0, 1}}) {
        EXPECT_EQ(ClampDelayField(c.text, c.scratch), c.delay) << c.text;
        EXPECT_EQ(ClampCounterField(c.text, c.scratch), c.counter) << c.text;
        EXPECT_EQ(ClampPageLengthField(c.text, c.scratch), c.length) << c.text;
    }
    for (PagerField f : {PagerField::PhoneNumber, PagerField::DelayTime, PagerField::WaitForConnection,
                         PagerField::SystemPassword, PagerField::Separator, PagerField::MaximumPageLength,
                         PagerField::PagerType})
        EXPECT_TRUE(EditLeavesService(f));
    for (PagerField f : {PagerField::PinDelayTime, PagerField::BaudRate, PagerField::Other})
        EXPECT_FALSE(EditLeavesService(f));
}


ServiceRecord Service(std::int16_t code, const char* name, const char* phone = "")
{
    ServiceRecord s;
    s.Code = code, s.Name = name, s.PhoneNumber = phone;
    return s;
}

// A service whose every attribute differs from the defaults.
ServiceRecord FullService(std::int16_t code, const char* name, const char* phone)
{
    ServiceRecord s = Service(code, name, phone);
    s.WaitForConnection = "30", s.DelayTime = "4", s.PinDelayTime = "6", s.SystemPassword = "pw";
    s.Separator = "#", s.BaudRate = "1200", s.MaximumPageLength = 160, s.PagesPerCall = 12, s.ServiceType = "1";
    return s;
}

TEST(ServiceFields, OkClampsTheNumbersOfASingleService)
{
    struct Case {
        const char* typed;
        const char* delay;     // wait, pause after dialing, pause after PIN
        std::int16_t length;   // "Max Page Length"
        std::int16_t perCall;  // "Pages Per Call"
    };
    for (const Case& c : {Case{"3", "3", 3, 5}, Case{"20000", "255", 20000, 9999}, Case{"", "1", 1, 5},
                          Case{"0", "1", 1, 5}, Case{"-7", "1", 1, 5}, Case{"40000", "255", 32767, 9999},
                          Case{"12abc", "12", 12, 12}, Case{"256", "255", 256, 256}}) {
        SCOPED_TRACE(c.typed);
        ServiceRecord record = Service(1, "A");
        ServiceFields fields = ShowServiceFields(record);
        fields.waitForConnection = fields.delayTime = fields.pinDelayTime = c.typed;
        fields.maximumPageLength = fields.pagesPerCall = c.typed;
        ApplyServiceFields(fields, record);
        ServiceRecord expected = Service(1, "A");
        expected.WaitForConnection = expected.DelayTime = expected.PinDelayTime = c.delay;
        expected.MaximumPageLength = c.length, expected.PagesPerCall = c.perCall;
        EXPECT_EQ(record, expected);
    }
}

TEST(ServiceFields, TypeBaudNameOkAndTheRemoveQuestion)
{
    ServiceRecord record = Service(1, "A");
    record.BaudRate = "19200";  // a rate not in the list
    ServiceFields fields = ShowServiceFields(record);
    EXPECT_EQ(fields.baudRate, "<default>");
    EXPECT_FALSE(fields.alphanumeric);
    EXPECT_TRUE(ServiceOkEnabled(record, fields));
    fields.alphanumeric = true, fields.name = "B", fields.baudRate = "9600";
    ApplyServiceFields(fields, record);
    EXPECT_EQ(std::tuple(record.ServiceType, record.Name, record.BaudRate), std::tuple("1", "B", "9600"));
    record.ServiceType = "7";  // any value but "0" is alphanumeric
    EXPECT_TRUE(ShowServiceFields(record).alphanumeric);
    fields.name.clear();
    EXPECT_FALSE(ServiceOkEnabled(record, fields));
    ServiceRecord shared = Service(-3, "S");
    EXPECT_FALSE(ServiceOkEnabled(shared, ShowServiceFields(shared)));

    ServiceRecord a = Service(1, "Metro"), b = Service(2, "Air");
    EXPECT_EQ(RemoveServicesQuestion({&a}), "Are you sure you want to delete \"Metro\" from the list?");
    EXPECT_EQ(RemoveServicesQuestion({&a, &b}), "Are you sure you want to delete the selected services from the list?");
}

TEST(ServiceFields, ChoosingAServiceCopiesItsAttributesAndTypeIntoThePager)
{
    CServiceList services;
    const ServiceRecord& metro = services.Duplicate(FullService(1, "Metro", "SNPP:pager.example:444"));
    PagerRecord pager;
    pager.UserName = "Bob", pager.PagerID = "555";
    const PagerRecord before = pager;
    for (const char* choice : {"<None>", "Nobody", "metro"}) {  // names are case-sensitive
        EXPECT_FALSE(FollowService(services, choice, pager)) << choice;
        EXPECT_EQ(pager, before);
    }
    ASSERT_TRUE(FollowService(services, "Metro", pager));
    EXPECT_EQ(ServiceAttributes(pager), ServiceAttributes(metro));
    EXPECT_EQ(pager.PagerType, "1");
    EXPECT_EQ(std::tuple(pager.UserName, pager.PagerID, pager.ServiceName), std::tuple("Bob", "555", "<None>"));
}

class ServiceConfig : public ::testing::Test {
protected:
    test::CTempDir dir;
    CMemorySettings settings;
    test::CRecordingMessageBox boxes;
    DataFiles files{dir.path(), settings, boxes};

    void SetUp() override
    {
        CServiceList services;
        for (ServiceRecord s : {Service(1, "A", "111"), Service(2, "B", "222"), Service(3, "C", "333")})
            services.Duplicate(s);
        ASSERT_TRUE(services.Save(files));
    }
    static PagerRecord& AddPager(CPagerList& list, const char* service, std::int16_t code)
    {
        PagerRecord& p = list.AddBlank();
        p.Code = code, p.PhoneNumber = "own number", p.ServiceName = service;
        return p;
    }
};

TEST_F(ServiceConfig, AddTakesDefaultDelayAndRemoveAsksFirst)
{
    settings.Write(key::DefaultDelay, "12");
    CServiceConfig config(files);
    ServiceRecord* added = config.Add();
    ASSERT_NE(added, nullptr);
    ServiceRecord expected = Service(4, "");
    expected.DelayTime = "12";
    EXPECT_EQ(*added, expected);
    added->DelayTime = "20";
    config.ConfirmAdd(*added);
    EXPECT_EQ(settings.Get(key::DefaultDelay), "20");
    config.CancelAdd(*config.Add());
    EXPECT_EQ(config.services().size(), 4u);
    EXPECT_EQ(settings.Get(key::DefaultDelay), "20");

    std::vector<ServiceRecord*> selected{&config.services().at(1)};
    EXPECT_FALSE(config.Remove(selected, boxes));  // the default answer is No
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Are you sure you want to delete \"B\" from the list?");
    EXPECT_EQ(boxes.shown[0].caption, "Delete Service");
    EXPECT_EQ(boxes.shown[0].buttons, MbButtons::YesNo);
    boxes.answers = {MbAnswer::Yes};
    EXPECT_TRUE(config.Remove(selected, boxes));
    EXPECT_EQ(config.services().size(), 3u);
    EXPECT_EQ(config.services().NextCodeHint(), 2);  // the freed code is the next one given
}

TEST_F(ServiceConfig, SeveralServicesShowWhatTheyShareAndKeepWhatIsLeftEmpty)
{
    CServiceConfig config(files);
    CServiceList& list = config.services();
    list.at(0).WaitForConnection = "30", list.at(0).PinDelayTime = "9", list.at(1).MaximumPageLength = 120;
    std::vector<ServiceRecord> expected{list.at(0), list.at(1), list.at(2)};
    std::vector<ServiceRecord*> selected{&list.at(0), &list.at(1), &list.at(2)};

    ServiceRecord& scratch = config.BeginEditSeveral(selected);
    ServiceRecord shown = Service(0, "A");  // what they differ on empty (or -1), what they share kept
    shown.MaximumPageLength = -1, shown.WaitForConnection = "", shown.PinDelayTime = "";
    EXPECT_EQ(scratch, shown);
    ServiceFields fields = ShowServiceFields(scratch);
    EXPECT_EQ(fields.maximumPageLength, "");
    EXPECT_EQ(fields.pagesPerCall, "9999");
    EXPECT_TRUE(ServiceOkEnabled(scratch, fields));
    fields.delayTime = "300";   // clamped to 255
    fields.pagesPerCall = "3";  // clamped to 5
    fields.separator = "";      // left empty: each keeps its own
    fields.name = "ignored", fields.alphanumeric = true;
    ApplyServiceFields(fields, scratch);
    EXPECT_EQ(scratch.WaitForConnection, "");
    EXPECT_EQ(scratch.MaximumPageLength, -1);
    config.ConfirmEditSeveral(scratch, selected);

    ASSERT_EQ(list.size(), 3u);  // the scratch record is gone
    for (int i = 0; i < 3; ++i) {
        expected[i].DelayTime = "255", expected[i].PagesPerCall = 5;
        EXPECT_EQ(list.at(i), expected[i]) << i;
    }
}

TEST_F(ServiceConfig, ConfirmRenamesAppliesDropsAndSavesInOrder)
{
    CPagerList main;
    AddPager(main, "A", 1);
    AddPager(main, "B", 2);
    AddPager(main, "C", 3).MaximumPageLength = 33;
    AddPager(main, "<None>", 4);
    PagerRecord& shared = AddPager(main, "A", -9);
    const PagerRecord sharedBefore = shared, ownC = main.at(2);

    CServiceConfig config(files);
    CServiceList& list = config.services();
    config.BeginEdit(list.at(0));
    list.at(0) = FullService(1, "Alpha", "SNPP:10.0.0.5");  // A renamed to Alpha
    boxes.answers = {MbAnswer::Yes};
    ASSERT_TRUE(config.Remove({&list.at(2)}, boxes));  // C deleted
    ServiceRecord* added = config.Add();
    added->Name = "A";  // a new service takes the old name
    added->PhoneNumber = "999";
    config.ConfirmAdd(*added);
    test::CFakeMainView view;
    ASSERT_TRUE(config.Confirm(main, &view));
    EXPECT_EQ(view.refreshes, 1);

    CPagerList saved;
    saved.LoadLocal(files);
    ASSERT_EQ(saved.size(), 4u);
    for (CPagerList* pagers : {&main, &saved}) {
        // Followed the rename, not the new "A"; the type is not the service's to change.
        EXPECT_EQ(pagers->at(0).ServiceName, "Alpha");
        EXPECT_EQ(ServiceAttributes(pagers->at(0)), ServiceAttributes(list.at(0)));
        EXPECT_EQ(pagers->at(0).PagerType, "0");
        EXPECT_EQ(pagers->at(1).ServiceName, "B");
        EXPECT_EQ(pagers->at(1).PhoneNumber, "222");
        EXPECT_EQ(pagers->at(2).ServiceName, "<None>");  // its service is gone; the rest stays
        EXPECT_EQ(ServiceAttributes(pagers->at(2)), ServiceAttributes(ownC));
        EXPECT_EQ(pagers->at(3).ServiceName, "<None>");
        EXPECT_EQ(pagers->at(3).PhoneNumber, "own number");
    }
    EXPECT_EQ(shared, sharedBefore);  // shared pagers are never touched

    CServiceList services;
    services.LoadLocal(files);
    ASSERT_EQ(services.size(), 3u);
    EXPECT_EQ(services.at(0).Name, "Alpha");
    EXPECT_EQ(services.at(1).Name, "B");
    EXPECT_EQ(services.at(2).Name, "A");
    EXPECT_EQ(services.at(2).Code, 3);  // the freed code was given again
}

TEST_F(ServiceConfig, RenamesFollowTheServiceByTheNameItHadWhenFirstEdited)
{
    CPagerList main;
    AddPager(main, "A", 1);
    AddPager(main, "B", 2);
    AddPager(main, "C", 3);
    CServiceConfig config(files);
    CServiceList& list = config.services();
    config.BeginEdit(list.at(0));  // A and B swap names: each pager moves once
    config.BeginEdit(list.at(1));
    list.at(0).Name = "B";
    list.at(1).Name = "A";
    config.BeginEdit(list.at(2));
    list.at(2).Name = "C2";
    config.BeginEdit(list.at(2));  // a second edit keeps the name first seen
    list.at(2).Name = "C3";
    ASSERT_TRUE(config.Confirm(main, nullptr));
    for (auto [i, name, phone] : {std::tuple(0, "B", "111"), std::tuple(1, "A", "222"), std::tuple(2, "C3", "333")}) {
        EXPECT_EQ(main.at(i).ServiceName, name);
        EXPECT_EQ(main.at(i).PhoneNumber, phone);
    }
}

}  // namespace
}  // namespace corvane
