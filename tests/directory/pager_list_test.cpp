#include "directory/pager_list.h"

#include <gtest/gtest.h>

#include "directory/service_list.h"

namespace corvane {
namespace {

std::vector<std::int16_t> Codes(const CPagerList& list)
{
    std::vector<std::int16_t> codes;
    for (const auto& r : list.records()) codes.push_back(r->Code);
    return codes;
}

TEST(PagerRecord, NewRecordHasTheDefaults)
{
    PagerRecord r;
    EXPECT_EQ(r.Code, 0);
    EXPECT_EQ(r.AutoPageFlags, 0);
    EXPECT_EQ(r.MaximumPageLength, 80);
    EXPECT_EQ(r.WaitForConnection, "60");
    EXPECT_EQ(r.DelayTime, "8");
    EXPECT_EQ(r.PinDelayTime, "2");
    EXPECT_EQ(r.PagerType, "0");
    EXPECT_EQ(r.DefaultPageContent, "1");
    EXPECT_EQ(r.Separator, "*");
    EXPECT_EQ(r.ServiceName, "<None>");
    EXPECT_EQ(r.BaudRate, "<default>");
    EXPECT_EQ(r.PagesPerCall, 9999);
    EXPECT_TRUE(r.Groups.empty());
}

TEST(PagerList, AllocateCodeTakesTheFirstFreeCodeFromTheHint)
{
    CPagerList list;
    for (std::int16_t code : {1, 2, 4}) list.AddBlank().Code = code;
    EXPECT_EQ(list.AllocateCode(), 3);
    EXPECT_EQ(list.NextCodeHint(), 4);
    EXPECT_EQ(list.AllocateCode(), 5);
}

TEST(PagerList, AllocateCodeWrapsFrom32000ToOne)
{
    CPagerList list;
    list.AddBlank().Code = 32000;
    list.SetNextCodeHint(32000);
    EXPECT_EQ(list.AllocateCode(), 1);
}

TEST(PagerList, AllocateCodeNeverLeavesTheLocalRange)
{
    CPagerList list;
    list.SetNextCodeHint(32000);
    EXPECT_EQ(list.AllocateCode(), 32000);
    list.AddBlank().Code = 32000;
    // The hint is now beyond 32000: the next code starts again at 1.
    EXPECT_EQ(list.AllocateCode(), 1);
}

TEST(PagerList, AllocateCodeReportsAFullDirectory)
{
    CPagerList list;
    for (int code = 1; code <= 32000; ++code) list.AddBlank().Code = static_cast<std::int16_t>(code);
    EXPECT_EQ(list.AllocateCode(), 0);
    EXPECT_EQ(list.NewPager(), nullptr);
    EXPECT_EQ(list.size(), 32000u);
}

TEST(PagerList, RemoveLowersTheHintToTheFreedCode)
{
    CPagerList list;
    for (std::int16_t code : {1, 2, 3}) list.AddBlank().Code = code;
    list.SetNextCodeHint(7);
    list.Remove(*list.FindByCode(2));
    EXPECT_EQ(list.NextCodeHint(), 2);
    EXPECT_EQ(Codes(list), (std::vector<std::int16_t>{1, 3}));
    list.Remove(*list.FindByCode(3));  // above the hint: hint unchanged
    EXPECT_EQ(list.NextCodeHint(), 2);
}

TEST(PagerList, RemovingASharedPagerLeavesTheHint)
{
    CPagerList list;
    list.AddBlank().Code = -5;
    list.SetNextCodeHint(7);
    list.Remove(list.at(0));
    EXPECT_EQ(list.NextCodeHint(), 7);
}

TEST(PagerList, FindByNameIsExactAndCaseSensitive)
{
    CPagerList list;
    list.NewPager()->UserName = "Bob";
    list.NewPager()->UserName = "bob ";
    EXPECT_EQ(list.FindByName("bob"), nullptr);
    ASSERT_NE(list.FindByName("Bob"), nullptr);
    EXPECT_EQ(list.FindByName("Bob")->Code, 1);
    EXPECT_EQ(list.FindByName("bob ")->Code, 2);
}

TEST(PagerList, DuplicateIsADeepCopyKeepingTheCode)
{
    CPagerList list;
    PagerRecord& a = *list.NewPager();
    a.Groups = {"Sales"};
    PagerRecord& b = list.Duplicate(a);
    b.Groups.push_back("North");
    EXPECT_EQ(b.Code, a.Code);
    EXPECT_EQ(a.Groups, std::vector<std::string>{"Sales"});
}

TEST(PagerList, GroupNamesInFirstSeenOrderCaseKept)
{
    CPagerList list;
    list.NewPager()->Groups = {"Sales", "North"};
    list.NewPager()->Groups = {"North", "East", "sales"};
    list.RebuildGroupNames();
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"Sales", "North", "East", "sales"}));
    list.Remove(list.at(1));
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"Sales", "North"}));
}

TEST(PagerList, SortsByNameOrData)
{
    CPagerList list;
    for (auto [name, data] : {std::pair{"b", "2"}, {"c", "1"}, {"a", "3"}}) {
        PagerRecord& r = *list.NewPager();
        r.UserName = name;
        r.CustomData = data;
    }
    list.SortByName();
    EXPECT_EQ(Codes(list), (std::vector<std::int16_t>{3, 1, 2}));
    list.SortByData();
    EXPECT_EQ(Codes(list), (std::vector<std::int16_t>{2, 1, 3}));
}

TEST(PagerList, ServiceLinksTouchOnlyLocalPagers)
{
    CPagerList list;
    PagerRecord& local = *list.NewPager();
    local.ServiceName = "A";
    local.PagerType = "1";
    PagerRecord& shared = list.AddBlank();
    shared.Code = -3;
    shared.ServiceName = "A";

    list.RenameService("A", "B");
    EXPECT_EQ(local.ServiceName, "B");
    EXPECT_EQ(shared.ServiceName, "A");

    ServiceRecord b;
    b.Name = "B";
    b.PhoneNumber = "5551212";
    b.WaitForConnection = "45";
    b.DelayTime = "3";
    b.PinDelayTime = "4";
    b.SystemPassword = "pw";
    b.Separator = "#";
    b.BaudRate = "1200";
    b.MaximumPageLength = 120;
    b.PagesPerCall = 7;
    b.ServiceType = "0";
    list.ApplyService(b);
    EXPECT_EQ(local.PhoneNumber, "5551212");
    EXPECT_EQ(local.WaitForConnection, "45");
    EXPECT_EQ(local.DelayTime, "3");
    EXPECT_EQ(local.PinDelayTime, "4");
    EXPECT_EQ(local.SystemPassword, "pw");
    EXPECT_EQ(local.Separator, "#");
    EXPECT_EQ(local.BaudRate, "1200");
    EXPECT_EQ(local.MaximumPageLength, 120);
    EXPECT_EQ(local.PagesPerCall, 7);
    EXPECT_EQ(local.PagerType, "1");  // the type is not the service's to change here
    EXPECT_EQ(shared.PhoneNumber, "");

    CServiceList services;
    list.DropMissingServices(services);
    EXPECT_EQ(local.ServiceName, "<None>");
    EXPECT_EQ(local.PhoneNumber, "5551212");
    EXPECT_EQ(shared.ServiceName, "A");
}

}  // namespace
}  // namespace corvane
