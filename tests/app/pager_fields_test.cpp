#include "app/core/pager_fields.h"

#include <gtest/gtest.h>

namespace corvane::test {
namespace {

class PagerFieldsTest : public ::testing::Test {
protected:
    PagerFieldsTest()
    {
        ServiceRecord& s = *services.NewService();
        s.Name = "Metro";
        s.PhoneNumber = "5551000";
        s.WaitForConnection = "40";
        s.DelayTime = "4";
        s.PinDelayTime = "3";
        s.SystemPassword = "pw";
        s.Separator = "#";
        s.BaudRate = "2400";
        s.MaximumPageLength = 120;
        s.PagesPerCall = 7;
        s.ServiceType = "1";
    }
    PagerRecord& Add(const std::string& name)
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        return p;
    }
    CServiceList services;
    CPagerList pagers;
};

TEST_F(PagerFieldsTest, ARecordShowsAndComesBackUnchanged)
{
    PagerRecord& p = Add("Bob");
    p.PagerID = "77";
    p.PagerType = "1";
    p.Groups = {"Desk"};
    p.ServiceName = "Metro";
    p.BaudRate = "9600";
    p.SendPageCounter = 1;
    p.PageCounter = 12;
    p.DefaultPageContent = "2";
    p.CustomMessage = "Call in";
    PagerFields fields = ShowPagerFields(p, services);
    EXPECT_EQ(fields.pagerType, 1);
    EXPECT_EQ(fields.content, 2);
    EXPECT_EQ(fields.service, "Metro");
    EXPECT_EQ(fields.pageCounter, "12");
    PagerRecord copy = p;
    ApplyPagerFields(fields, copy);
    EXPECT_EQ(copy, p);
}

TEST_F(PagerFieldsTest, UnknownServicesAndBaudRatesShowAsNoneAndDefault)
{
    PagerRecord& p = Add("Bob");
    p.ServiceName = "Gone";
    p.BaudRate = "57600";
    PagerFields fields = ShowPagerFields(p, services);
    EXPECT_EQ(fields.service, "<None>");
    EXPECT_EQ(fields.baudRate, "<default>");
}

TEST_F(PagerFieldsTest, OkClampsTheNumbers)
{
    struct Case {
        const char* typed;
        const char* delay;
        std::int16_t counter;
        std::int16_t length;
    } cases[] = {{"0", "1", 0, 1}, {"75", "60", 75, 75}, {"", "1", 0, 1}, {"x", "1", 0, 1}, {"99999", "60", 999, 32767}};
    for (const Case& c : cases) {
        PagerRecord p;
        p.Code = 5;
        PagerFields fields = ShowPagerFields(p, services);
        fields.waitForConnection = fields.delayTime = fields.pinDelayTime = c.typed;
        fields.pageCounter = fields.maximumPageLength = c.typed;
        ApplyPagerFields(fields, p);
        EXPECT_EQ(p.WaitForConnection, c.delay) << c.typed;
        EXPECT_EQ(p.PinDelayTime, c.delay) << c.typed;
        EXPECT_EQ(p.PageCounter, c.counter) << c.typed;
        EXPECT_EQ(p.MaximumPageLength, c.length) << c.typed;
    }
}

TEST_F(PagerFieldsTest, OkNeedsANameAndIsNeverAllowedForASharedPager)
{
    PagerRecord local;
    local.Code = 3;
    PagerFields fields;
    EXPECT_FALSE(PagerOkEnabled(local, fields));
    fields.name = "Ann";
    EXPECT_TRUE(PagerOkEnabled(local, fields));
    PagerRecord shared;
    shared.Code = -3;
    EXPECT_FALSE(PagerOkEnabled(shared, fields));
    PagerRecord scratch;  // several pagers: the name is not edited
    EXPECT_TRUE(PagerOkEnabled(scratch, PagerFields{}));
    EXPECT_STREQ(PhoneLabel(0), "Pager Phone Number");
    EXPECT_STREQ(PhoneLabel(1), "System Phone Number");
}

TEST_F(PagerFieldsTest, AServiceFillsItsAttributesAndSomeEditsEndTheLink)
{
    PagerRecord& p = Add("Bob");
    PagerFields fields = ShowPagerFields(p, services);
    ASSERT_TRUE(ChooseService(fields, services, "Metro", false));
    EXPECT_EQ(fields.phoneNumber, "5551000");
    EXPECT_EQ(fields.waitForConnection, "40");
    EXPECT_EQ(fields.pinDelayTime, "3");
    EXPECT_EQ(fields.baudRate, "2400");
    EXPECT_EQ(fields.maximumPageLength, "120");
    EXPECT_EQ(fields.pagerType, 1);
    ApplyPagerFields(fields, p);
    EXPECT_EQ(p.ServiceName, "Metro");
    EXPECT_EQ(p.PagesPerCall, 7);
    EXPECT_EQ(p.PagerType, "1");

    for (PagerField kept : {PagerField::PinDelayTime, PagerField::BaudRate, PagerField::Other}) {
        EditedByUser(fields, kept);
        EXPECT_EQ(fields.service, "Metro");
    }
    EditedByUser(fields, PagerField::PhoneNumber);
    EXPECT_EQ(fields.service, "<None>");

    PagerFields none = ShowPagerFields(p, services);
    EXPECT_FALSE(ChooseService(none, services, "<None>", false));
    EXPECT_EQ(none.phoneNumber, "5551000");  // "<None>" copies nothing
}

TEST_F(PagerFieldsTest, AddGroupAddsOnceAndHighlights)
{
    Add("Ann").Groups = {"Desk", "Night"};
    PagerRecord& bob = Add("Bob");
    pagers.RebuildGroupNames();
    std::vector<std::string> choices = GroupChoices(pagers, bob);
    EXPECT_EQ(choices, (std::vector<std::string>{"Desk", "Night"}));
    PagerFields fields = ShowPagerFields(bob, services);
    AddGroup(choices, fields, "Day");
    AddGroup(choices, fields, "Day");
    AddGroup(choices, fields, "Desk");
    AddGroup(choices, fields, "");
    EXPECT_EQ(choices, (std::vector<std::string>{"Desk", "Night", "Day"}));
    EXPECT_EQ(fields.groups, (std::vector<std::string>{"Day", "Desk"}));
}

TEST_F(PagerFieldsTest, SeveralPagersKeepEachTheirOwnValuesWhereTheFieldsAreLeftEmpty)
{
    PagerRecord& a = Add("A");
    PagerRecord& b = Add("B");
    PagerRecord& c = Add("C");
    a.PhoneNumber = "1";
    b.PhoneNumber = "2";
    c.PhoneNumber = "3";
    a.DelayTime = b.DelayTime = c.DelayTime = "5";
    a.PinDelayTime = "4";
    b.MaximumPageLength = 60;
    CSeveralPagers several(pagers, {&a, &b, &c});
    PagerFields fields = ShowPagerFields(several.scratch(), services);
    EXPECT_EQ(fields.name, "");
    EXPECT_EQ(fields.pagerType, kNotChosen);
    EXPECT_EQ(fields.phoneNumber, "");
    EXPECT_EQ(fields.delayTime, "5");
    EXPECT_EQ(fields.pinDelayTime, "");
    EXPECT_EQ(fields.maximumPageLength, "");
    EXPECT_EQ(fields.pageCounter, "0");
    fields.delayTime = "70";
    ApplyPagerFields(fields, several.scratch());
    several.Confirm();
    EXPECT_EQ(pagers.size(), 3u);
    EXPECT_EQ(a.PhoneNumber, "1");
    EXPECT_EQ(b.PhoneNumber, "2");
    EXPECT_EQ(c.PhoneNumber, "3");
    EXPECT_EQ(a.DelayTime, "60");
    EXPECT_EQ(c.DelayTime, "60");
    EXPECT_EQ(a.PinDelayTime, "4");
    EXPECT_EQ(b.PinDelayTime, "2");
    EXPECT_EQ(b.MaximumPageLength, 60);
    EXPECT_EQ(a.MaximumPageLength, 80);
    EXPECT_EQ(a.UserName, "A");

    CSeveralPagers pins(pagers, {&a, &b});
    PagerFields typed = ShowPagerFields(pins.scratch(), services);
    typed.pinDelayTime = "9";
    ApplyPagerFields(typed, pins.scratch());
    pins.Confirm();
    EXPECT_EQ(a.PinDelayTime, "9");
    EXPECT_EQ(b.PinDelayTime, "9");
    EXPECT_EQ(c.PinDelayTime, "2");

    CSeveralPagers cancelled(pagers, {&a, &b});
    cancelled.Cancel();
    EXPECT_EQ(pagers.size(), 3u);
}

TEST_F(PagerFieldsTest, AServiceChosenForSeveralPagersFillsTheFieldsButNotTheType)
{
    PagerRecord& a = Add("A");
    PagerRecord& b = Add("B");
    CSeveralPagers several(pagers, {&a, &b});
    PagerFields fields = ShowPagerFields(several.scratch(), services);
    ChooseService(fields, services, "Metro", true);
    EXPECT_EQ(fields.pagerType, kNotChosen);
    ApplyPagerFields(fields, several.scratch());
    several.Confirm();
    EXPECT_EQ(a.PhoneNumber, "5551000");
    EXPECT_EQ(b.Separator, "#");
    EXPECT_EQ(b.PinDelayTime, "3");
    EXPECT_EQ(a.PagerType, "0");
    EXPECT_EQ(a.ServiceName, "<None>");
}

}  // namespace
}  // namespace corvane::test
