#include "directory/service_config.h"

#include <gtest/gtest.h>

#include "directory/pager_file.h"
#include "directory/service_file.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using test::CFakeMainView;
using test::CRecordingMessageBox;
using test::CTempDir;

ServiceRecord Service(const char* name, std::int16_t code, const char* phone)
{
    ServiceRecord s;
    s.Name = name;
    s.Code = code;
    s.PhoneNumber = phone;
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
        ServiceRecord record = Service("A", 1, "");
        ServiceFields fields = ShowServiceFields(record);
        fields.waitForConnection = fields.delayTime = fields.pinDelayTime = c.typed;
        fields.maximumPageLength = fields.pagesPerCall = c.typed;
        ApplyServiceFields(fields, record);
        EXPECT_EQ(record.WaitForConnection, c.delay);
        EXPECT_EQ(record.DelayTime, c.delay);
        EXPECT_EQ(record.PinDelayTime, c.delay);
        EXPECT_EQ(record.MaximumPageLength, c.length);
        EXPECT_EQ(record.PagesPerCall, c.perCall);
    }
}

TEST(ServiceFields, TypeNameAndBaudOfASingleService)
{
    ServiceRecord record = Service("A", 1, "");
    record.BaudRate = "19200";  // not in the list
    ServiceFields fields = ShowServiceFields(record);
    EXPECT_EQ(fields.baudRate, "<default>");
    EXPECT_FALSE(fields.alphanumeric);
    fields.alphanumeric = true;
    fields.name = "B";
    fields.baudRate = "9600";
    ApplyServiceFields(fields, record);
    EXPECT_EQ(record.ServiceType, "1");
    EXPECT_EQ(record.Name, "B");
    EXPECT_EQ(record.BaudRate, "9600");

    record.ServiceType = "7";  // any value but "0" is alphanumeric
    EXPECT_TRUE(ShowServiceFields(record).alphanumeric);
}

TEST(ServiceFields, OkNeedsANameAndIsNeverAllowedForASharedService)
{
    ServiceRecord local = Service("A", 1, "");
    ServiceFields fields = ShowServiceFields(local);
    EXPECT_TRUE(ServiceOkEnabled(local, fields));
    fields.name.clear();
    EXPECT_FALSE(ServiceOkEnabled(local, fields));
    ServiceRecord shared = Service("S", -3, "");
    EXPECT_FALSE(ServiceOkEnabled(shared, ShowServiceFields(shared)));
}

TEST(ServiceFields, RemoveQuestions)
{
    ServiceRecord a = Service("Metro", 1, ""), b = Service("Air", 2, "");
    EXPECT_EQ(RemoveServicesQuestion({&a}), "Are you sure you want to delete \"Metro\" from the list?");
    EXPECT_EQ(RemoveServicesQuestion({&a, &b}), "Are you sure you want to delete the selected services from the list?");
}

TEST(ServiceFields, ChoosingAServiceCopiesItsAttributesAndTypeIntoThePager)
{
    CServiceList services;
    ServiceRecord& s = services.Duplicate(Service("Metro", 1, "SNPP:pager.example:444"));
    s.WaitForConnection = "30";
    s.DelayTime = "4";
    s.PinDelayTime = "6";
    s.SystemPassword = "pw";
    s.Separator = "#";
    s.BaudRate = "1200";
    s.MaximumPageLength = 160;
    s.PagesPerCall = 12;
    s.ServiceType = "1";

    PagerRecord pager;
    pager.UserName = "Bob";
    pager.PagerID = "555";
    EXPECT_FALSE(FollowService(services, "<None>", pager));
    const PagerRecord before = pager;
    EXPECT_FALSE(FollowService(services, "Nobody", pager));
    EXPECT_EQ(pager, before);
    EXPECT_FALSE(FollowService(services, "metro", pager));  // names are case-sensitive

    ASSERT_TRUE(FollowService(services, "Metro", pager));
    EXPECT_EQ(pager.PhoneNumber, "SNPP:pager.example:444");
    EXPECT_EQ(pager.WaitForConnection, "30");
    EXPECT_EQ(pager.DelayTime, "4");
    EXPECT_EQ(pager.PinDelayTime, "6");
    EXPECT_EQ(pager.SystemPassword, "pw");
    EXPECT_EQ(pager.Separator, "#");
    EXPECT_EQ(pager.BaudRate, "1200");
    EXPECT_EQ(pager.MaximumPageLength, 160);
    EXPECT_EQ(pager.PagesPerCall, 12);
    EXPECT_EQ(pager.PagerType, "1");
    EXPECT_EQ(pager.UserName, "Bob");
    EXPECT_EQ(pager.PagerID, "555");
}

class ServiceConfig : public ::testing::Test {
protected:
    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    DataFiles files{dir.path(), settings, boxes};
    CFakeMainView view;

    void SetUp() override
    {
        CServiceList services;
        services.Duplicate(Service("A", 1, "111"));
        services.Duplicate(Service("B", 2, "222"));
        services.Duplicate(Service("C", 3, "333"));
        ASSERT_TRUE(services.Save(files));
    }

    static PagerRecord& AddPager(CPagerList& list, const char* name, const char* service, std::int16_t code)
    {
        PagerRecord& p = list.AddBlank();
        p.Code = code;
        p.UserName = name;
        p.ServiceName = service;
        p.PhoneNumber = "own number";
        return p;
    }
    std::vector<PagerRecord> SavedPagers()
    {
        CPagerList list;
        list.LoadLocal(files);
        std::vector<PagerRecord> out;
        for (const auto& r : list.records()) out.push_back(*r);
        return out;
    }
};

TEST_F(ServiceConfig, AddTakesDefaultDelayAndOkWritesItBack)
{
    settings.Write(key::DefaultDelay, "12");
    CServiceConfig config(files);
    ServiceRecord* added = config.Add();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->Code, 4);
    EXPECT_EQ(added->DelayTime, "12");
    EXPECT_EQ(added->WaitForConnection, "60");
    EXPECT_EQ(added->PagesPerCall, 9999);
    added->DelayTime = "20";
    config.ConfirmAdd(*added);
    EXPECT_EQ(settings.Get(key::DefaultDelay), "20");

    ServiceRecord* cancelled = config.Add();
    config.CancelAdd(*cancelled);
    EXPECT_EQ(config.services().size(), 4u);
    EXPECT_EQ(settings.Get(key::DefaultDelay), "20");
}

TEST_F(ServiceConfig, RemoveAsksAndOnlyYesRemoves)
{
    CServiceConfig config(files);
    std::vector<ServiceRecord*> selected{&config.services().at(1)};
    EXPECT_FALSE(config.Remove(selected, boxes));  // the default answer is No
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Are you sure you want to delete \"B\" from the list?");
    EXPECT_EQ(boxes.shown[0].caption, "Delete Service");
    EXPECT_EQ(boxes.shown[0].buttons, MbButtons::YesNo);
    EXPECT_EQ(config.services().size(), 3u);
    boxes.answers = {MbAnswer::Yes};
    EXPECT_TRUE(config.Remove(selected, boxes));
    EXPECT_EQ(config.services().size(), 2u);
    EXPECT_EQ(config.services().NextCodeHint(), 1);  // LoadLocal left it at 1
}

TEST_F(ServiceConfig, SeveralServicesShowWhatTheyShareAndKeepWhatIsLeftEmpty)
{
    CServiceConfig config(files);
    CServiceList& list = config.services();
    list.at(0).WaitForConnection = "30";
    list.at(0).PinDelayTime = "9";
    list.at(1).MaximumPageLength = 120;
    std::vector<ServiceRecord*> selected{&list.at(0), &list.at(1), &list.at(2)};

    ServiceRecord& scratch = config.BeginEditSeveral(selected);
    EXPECT_EQ(scratch.Code, 0);
    EXPECT_EQ(scratch.PhoneNumber, "");        // they differ
    EXPECT_EQ(scratch.WaitForConnection, "");  // they differ
    EXPECT_EQ(scratch.PinDelayTime, "");       // they differ
    EXPECT_EQ(scratch.DelayTime, "8");         // common
    EXPECT_EQ(scratch.MaximumPageLength, -1);
    EXPECT_EQ(scratch.PagesPerCall, 9999);

    ServiceFields fields = ShowServiceFields(scratch);
    EXPECT_EQ(fields.maximumPageLength, "");
    EXPECT_EQ(fields.pagesPerCall, "9999");
    EXPECT_TRUE(ServiceOkEnabled(scratch, fields));
    fields.delayTime = "300";  // clamped to 255
    fields.pagesPerCall = "3";  // clamped to 5
    fields.separator = "";      // left empty: each keeps its own
    fields.name = "ignored";
    fields.alphanumeric = true;
    ApplyServiceFields(fields, scratch);
    EXPECT_EQ(scratch.WaitForConnection, "");
    EXPECT_EQ(scratch.MaximumPageLength, -1);
    config.ConfirmEditSeveral(scratch, selected);

    ASSERT_EQ(list.size(), 3u);  // the scratch record is gone
    const char* phones[] = {"111", "222", "333"};
    const char* waits[] = {"30", "60", "60"};
    const char* pins[] = {"9", "2", "2"};
    const std::int16_t lengths[] = {80, 120, 80};
    const char* names[] = {"A", "B", "C"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list.at(i).Name, names[i]);
        EXPECT_EQ(list.at(i).ServiceType, "0");
        EXPECT_EQ(list.at(i).PhoneNumber, phones[i]);
        EXPECT_EQ(list.at(i).WaitForConnection, waits[i]);
        EXPECT_EQ(list.at(i).PinDelayTime, pins[i]);
        EXPECT_EQ(list.at(i).DelayTime, "255");
        EXPECT_EQ(list.at(i).Separator, "*");
        EXPECT_EQ(list.at(i).MaximumPageLength, lengths[i]);
        EXPECT_EQ(list.at(i).PagesPerCall, 5);
    }
}

TEST_F(ServiceConfig, ConfirmRenamesAppliesDropsAndSavesInOrder)
{
    CPagerList main;
    AddPager(main, "follows A", "A", 1);
    AddPager(main, "follows B", "B", 2);
    AddPager(main, "follows C", "C", 3).MaximumPageLength = 33;
    AddPager(main, "no service", "<None>", 4);
    PagerRecord& shared = AddPager(main, "shared on A", "A", -9);

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

    // In memory and on disk, alike.
    std::vector<PagerRecord> saved = SavedPagers();
    ASSERT_EQ(saved.size(), 4u);
    for (const std::vector<const PagerRecord*>& pagers :
         {std::vector<const PagerRecord*>{&main.at(0), &main.at(1), &main.at(2), &main.at(3)},
          std::vector<const PagerRecord*>{&saved[0], &saved[1], &saved[2], &saved[3]}}) {
        EXPECT_EQ(pagers[0]->ServiceName, "Alpha");  // followed the rename, not the new "A"
        EXPECT_EQ(pagers[0]->PhoneNumber, "SNPP:10.0.0.5");
        EXPECT_EQ(pagers[1]->ServiceName, "B");
        EXPECT_EQ(pagers[1]->PhoneNumber, "222");
        EXPECT_EQ(pagers[2]->ServiceName, "<None>");  // its service is gone
        EXPECT_EQ(pagers[2]->PhoneNumber, "own number");  // the rest stays as it was
        EXPECT_EQ(pagers[2]->MaximumPageLength, 33);
        EXPECT_EQ(pagers[3]->ServiceName, "<None>");
        EXPECT_EQ(pagers[3]->PhoneNumber, "own number");
    }
    EXPECT_EQ(shared.ServiceName, "A");  // shared pagers are never touched
    EXPECT_EQ(shared.PhoneNumber, "own number");

    CServiceList services;
    services.LoadLocal(files);
    ASSERT_EQ(services.size(), 3u);
    EXPECT_EQ(services.at(0).Name, "Alpha");
    EXPECT_EQ(services.at(1).Name, "B");
    EXPECT_EQ(services.at(2).Name, "A");
    EXPECT_EQ(services.at(2).Code, 3);  // the freed code was given again
}

TEST_F(ServiceConfig, SwappedNamesMoveEachPagerOnce)
{
    CPagerList main;
    AddPager(main, "on A", "A", 1);
    AddPager(main, "on B", "B", 2);
    CServiceConfig config(files);
    CServiceList& list = config.services();
    config.BeginEdit(list.at(0));
    config.BeginEdit(list.at(1));
    list.at(0).Name = "B";
    list.at(1).Name = "A";
    ASSERT_TRUE(config.Confirm(main, nullptr));
    // The pager of the service once called A still follows that service (now "B").
    EXPECT_EQ(main.at(0).ServiceName, "B");
    EXPECT_EQ(main.at(0).PhoneNumber, "111");
    EXPECT_EQ(main.at(1).ServiceName, "A");
    EXPECT_EQ(main.at(1).PhoneNumber, "222");
}

TEST_F(ServiceConfig, TheFirstNameSeenIsTheOneRenamedFrom)
{
    CPagerList main;
    AddPager(main, "on A", "A", 1);
    CServiceConfig config(files);
    ServiceRecord& a = config.services().at(0);
    config.BeginEdit(a);
    a.Name = "A2";
    config.BeginEdit(a);  // a second edit keeps the name first seen
    a.Name = "A3";
    ASSERT_TRUE(config.Confirm(main, nullptr));
    EXPECT_EQ(main.at(0).ServiceName, "A3");
    EXPECT_EQ(main.at(0).PhoneNumber, "111");
}

}  // namespace
}  // namespace corvane
