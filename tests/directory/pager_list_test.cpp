// The pager list and the rules of the pager configuration dialogs.

#include "directory/pager_config.h"
#include "directory/pager_list.h"

#include <gtest/gtest.h>

#include "directory/service_list.h"
#include "settings/memory_settings.h"

namespace corvane {
namespace {

std::vector<std::int16_t> Codes(const CPagerList& list)
{
    std::vector<std::int16_t> codes;
    for (const auto& r : list.records()) codes.push_back(r->Code);
    return codes;
}

PagerRecord& Add(CPagerList& list, const std::string& name)
{
    PagerRecord& p = *list.NewPager();
    p.UserName = name;
    return p;
}

TEST(PagerList, AllocateCodeTakesTheFirstFreeCodeFromTheHintAndWrapsAt32000)
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
    EXPECT_EQ(Codes(list), (std::vector<std::int16_t>{1, 32000}));
}

TEST(PagerList, AFullDirectoryHasNoCodeAndNoNewPager)
{
    CPagerList list;
    for (int code = 1; code <= 32000; ++code) list.AddBlank().Code = static_cast<std::int16_t>(code);
    EXPECT_EQ(list.AllocateCode(), 0);
    EXPECT_EQ(list.NewPager(), nullptr);
    EXPECT_EQ(list.size(), 32000u);
}

TEST(PagerList, FindDuplicateSortAndGroupNames)
{
    CPagerList list;
    for (auto [name, data] : {std::pair{"b", "2"}, {"c", "1"}, {"a", "3"}, {"b ", "0"}}) {
        PagerRecord& r = Add(list, name);
        r.CustomData = data;
    }
    EXPECT_EQ(list.FindByName("B"), nullptr);  // exact and case-sensitive
    EXPECT_EQ(list.FindByName("b ")->Code, 4);
    list.SortByName();
    EXPECT_EQ(Codes(list), (std::vector<std::int16_t>{3, 1, 4, 2}));
    list.SortByData();
    EXPECT_EQ(Codes(list), (std::vector<std::int16_t>{4, 2, 1, 3}));

    list.at(0).Groups = {"Sales", "North"};
    PagerRecord& copy = list.Duplicate(list.at(0));
    copy.Groups = {"North", "East", "sales"};
    EXPECT_EQ(copy.Code, 4);
    EXPECT_EQ(list.at(0).Groups, (std::vector<std::string>{"Sales", "North"}));  // a deep copy
    list.RebuildGroupNames();
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"Sales", "North", "East", "sales"}));
    list.Remove(copy);
    EXPECT_EQ(list.GroupNames(), (std::vector<std::string>{"Sales", "North"}));
}

TEST(PagerList, ServiceLinksTouchOnlyLocalPagersAndNotTheirType)
{
    CPagerList list;
    PagerRecord& local = Add(list, "L");
    local.ServiceName = "A";
    local.PagerType = "1";
    PagerRecord& shared = list.AddBlank();
    shared.Code = -3;
    shared.ServiceName = "A";
    const PagerRecord sharedBefore = shared;

    list.RenameService("A", "B");
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
    PagerRecord expected = local;
    expected.ServiceName = "B";
    expected.PhoneNumber = "5551212";
    expected.WaitForConnection = "45";
    expected.DelayTime = "3";
    expected.PinDelayTime = "4";
    expected.SystemPassword = "pw";
    expected.Separator = "#";
    expected.BaudRate = "1200";
    expected.MaximumPageLength = 120;
    expected.PagesPerCall = 7;
    list.ApplyService(b);
    EXPECT_EQ(local, expected);

    list.DropMissingServices(CServiceList());
    expected.ServiceName = "<None>";  // the rest stays
    EXPECT_EQ(local, expected);
    EXPECT_EQ(shared, sharedBefore);
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
    a.PhoneNumber = "111";
    b.PhoneNumber = "222";
    for (PagerRecord* p : {&a, &b, &c}) p->DelayTime = "5";
    a.PinDelayTime = "9";
    b.MaximumPageLength = 120;
    c.DefaultPageContent = "2";
    b.PageCounter = 7;
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

}  // namespace
}  // namespace corvane
