#include "directory/pager_config.h"

#include <gtest/gtest.h>

#include "settings/memory_settings.h"

namespace corvane {
namespace {

PagerRecord& Add(CPagerList& list, const std::string& name)
{
    PagerRecord& p = *list.NewPager();
    p.UserName = name;
    return p;
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

TEST(PagerConfig, SeveralPagersKeepWhatTheyDoNotShare)
{
    CPagerList list;
    PagerRecord& a = Add(list, "A");
    PagerRecord& b = Add(list, "B");
    PagerRecord& c = Add(list, "C");
    a.PhoneNumber = "111";
    b.PhoneNumber = "222";
    c.PhoneNumber = "333";
    for (PagerRecord* p : {&a, &b, &c}) p->DelayTime = "5";
    a.PinDelayTime = "9";
    b.MaximumPageLength = 120;
    c.DefaultPageContent = "2";
    b.PageCounter = 7;

    PagerRecord& scratch = MakeScratchRecord(list, {&a, &b, &c});
    EXPECT_EQ(scratch.Code, 0);
    EXPECT_EQ(scratch.PhoneNumber, "");
    EXPECT_EQ(scratch.DelayTime, "5");
    EXPECT_EQ(scratch.MaximumPageLength, -1);
    EXPECT_EQ(scratch.DefaultPageContent, "-1");
    EXPECT_EQ(scratch.PageCounter, -1);

    // The user leaves the phone empty and types a new pause and a custom message.
    scratch.DelayTime = "7";
    scratch.CustomMessage = "Call the desk";
    ApplyScratchRecord(list, scratch, {&a, &b, &c});
    EXPECT_EQ(list.size(), 3u);
    EXPECT_EQ(a.PhoneNumber, "111");
    EXPECT_EQ(b.PhoneNumber, "222");
    EXPECT_EQ(c.PhoneNumber, "333");
    for (PagerRecord* p : {&a, &b, &c}) {
        EXPECT_EQ(p->DelayTime, "7");
        EXPECT_EQ(p->CustomMessage, "Call the desk");
    }
    EXPECT_EQ(b.MaximumPageLength, 120);
    EXPECT_EQ(a.MaximumPageLength, 80);
    EXPECT_EQ(c.DefaultPageContent, "2");
    EXPECT_EQ(a.DefaultPageContent, "1");
    EXPECT_EQ(b.PageCounter, 7);
    EXPECT_EQ(b.PinDelayTime, "2");  // the first pager's pause after the PIN does not travel
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
}

TEST(PagerConfig, OnlySomeEditsLeaveTheService)
{
    for (PagerField f : {PagerField::PhoneNumber, PagerField::DelayTime, PagerField::WaitForConnection,
                         PagerField::SystemPassword, PagerField::Separator, PagerField::MaximumPageLength,
                         PagerField::PagerType})
        EXPECT_TRUE(EditLeavesService(f));
    for (PagerField f : {PagerField::PinDelayTime, PagerField::BaudRate, PagerField::Other})
        EXPECT_FALSE(EditLeavesService(f));
}

}  // namespace
}  // namespace corvane
