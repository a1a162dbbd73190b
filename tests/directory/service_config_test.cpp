// The rules of the service configuration dialogs and what their confirmation does to the
// pagers.

#include "directory/service_config.h"

#include <gtest/gtest.h>

#include "directory/pager_file.h"
#include "directory/service_file.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

ServiceRecord Service(std::int16_t code, const char* name, const char* phone = "")
{
    ServiceRecord s;
    s.Code = code, s.Name = name, s.PhoneNumber = phone;
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
    fields.alphanumeric = true;
    fields.name = "B";
    fields.baudRate = "9600";
    ApplyServiceFields(fields, record);
    EXPECT_EQ(record.ServiceType, "1");
    EXPECT_EQ(record.Name, "B");
    EXPECT_EQ(record.BaudRate, "9600");
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
    ServiceRecord& s = services.Duplicate(Service(1, "Metro", "SNPP:pager.example:444"));
    s.WaitForConnection = "30", s.DelayTime = "4", s.PinDelayTime = "6", s.SystemPassword = "pw";
    s.Separator = "#", s.BaudRate = "1200", s.MaximumPageLength = 160, s.PagesPerCall = 12, s.ServiceType = "1";
    PagerRecord pager;
    pager.UserName = "Bob", pager.PagerID = "555";
    const PagerRecord before = pager;
    for (const char* choice : {"<None>", "Nobody", "metro"}) {  // names are case-sensitive
        EXPECT_FALSE(FollowService(services, choice, pager)) << choice;
        EXPECT_EQ(pager, before);
    }
    ASSERT_TRUE(FollowService(services, "Metro", pager));
    PagerRecord expected = before;
    expected.PhoneNumber = "SNPP:pager.example:444";
    expected.WaitForConnection = "30", expected.DelayTime = "4", expected.PinDelayTime = "6";
    expected.SystemPassword = "pw", expected.Separator = "#", expected.BaudRate = "1200";
    expected.MaximumPageLength = 160, expected.PagesPerCall = 12, expected.PagerType = "1";
    EXPECT_EQ(pager, expected);
}

class ServiceConfig : public ::testing::Test {
protected:
    test::CTempDir dir;
    CMemorySettings settings;
    test::CRecordingMessageBox boxes;
    DataFiles files{dir.path(), settings, boxes};
    test::CFakeMainView view;

    void SetUp() override
    {
        CServiceList services;
        services.Duplicate(Service(1, "A", "111"));
        services.Duplicate(Service(2, "B", "222"));
        services.Duplicate(Service(3, "C", "333"));
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
    list.at(0).WaitForConnection = "30";
    list.at(0).PinDelayTime = "9";
    list.at(1).MaximumPageLength = 120;
    std::vector<ServiceRecord> expected{list.at(0), list.at(1), list.at(2)};
    std::vector<ServiceRecord*> selected{&list.at(0), &list.at(1), &list.at(2)};

    ServiceRecord& scratch = config.BeginEditSeveral(selected);
    // What they differ on is empty (or -1); what they share is shown.
    ServiceRecord shown = Service(0, "A");
    shown.MaximumPageLength = -1, shown.WaitForConnection = "", shown.PinDelayTime = "";
    EXPECT_EQ(scratch, shown);
    ServiceFields fields = ShowServiceFields(scratch);
    EXPECT_EQ(fields.maximumPageLength, "");
    EXPECT_EQ(fields.pagesPerCall, "9999");
    EXPECT_TRUE(ServiceOkEnabled(scratch, fields));
    fields.delayTime = "300";   // clamped to 255
    fields.pagesPerCall = "3";  // clamped to 5
    fields.separator = "";      // left empty: each keeps its own
    fields.name = "ignored";
    fields.alphanumeric = true;
    ApplyServiceFields(fields, scratch);
    EXPECT_EQ(scratch.WaitForConnection, "");
    EXPECT_EQ(scratch.MaximumPageLength, -1);
    config.ConfirmEditSeveral(scratch, selected);

    ASSERT_EQ(list.size(), 3u);  // the scratch record is gone
    for (int i = 0; i < 3; ++i) {
        expected[i].DelayTime = "255";
        expected[i].PagesPerCall = 5;
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
    const PagerRecord sharedBefore = shared;

    CServiceConfig config(files);
    CServiceList& list = config.services();
    config.BeginEdit(list.at(0));
    list.at(0).Name = "Alpha";  // renamed A -> Alpha
    list.at(0).PhoneNumber = "SNPP:10.0.0.5";
    boxes.answers = {MbAnswer::Yes};
    ASSERT_TRUE(config.Remove({&list.at(2)}, boxes));  // C deleted
    ServiceRecord* added = config.Add();
    added->Name = "A";  // a new service takes the old name
    added->PhoneNumber = "999";
    config.ConfirmAdd(*added);

    ASSERT_TRUE(config.Confirm(main, &view));
    EXPECT_EQ(view.refreshes, 1);
    CPagerList saved;
    saved.LoadLocal(files);
    ASSERT_EQ(saved.size(), 4u);
    for (CPagerList* pagers : {&main, &saved}) {
        EXPECT_EQ(pagers->at(0).ServiceName, "Alpha");  // followed the rename, not the new "A"
        EXPECT_EQ(pagers->at(0).PhoneNumber, "SNPP:10.0.0.5");
        EXPECT_EQ(pagers->at(1).ServiceName, "B");
        EXPECT_EQ(pagers->at(1).PhoneNumber, "222");
        EXPECT_EQ(pagers->at(2).ServiceName, "<None>");      // its service is gone;
        EXPECT_EQ(pagers->at(2).PhoneNumber, "own number");  // the rest stays as it was
        EXPECT_EQ(pagers->at(2).MaximumPageLength, 33);
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
    EXPECT_EQ(main.at(0).ServiceName, "B");
    EXPECT_EQ(main.at(0).PhoneNumber, "111");
    EXPECT_EQ(main.at(1).ServiceName, "A");
    EXPECT_EQ(main.at(1).PhoneNumber, "222");
    EXPECT_EQ(main.at(2).ServiceName, "C3");
    EXPECT_EQ(main.at(2).PhoneNumber, "333");
}

}  // namespace
}  // namespace corvane
