// The pager dialog's fields; the dialog tests drive the edits, clamps and services.

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
        s.PinDelayTime = "3";
        s.Separator = "#";
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
    PagerRecord copy = p;
    ApplyPagerFields(ShowPagerFields(p, services), copy);
    EXPECT_EQ(copy, p);

    p.ServiceName = "Gone";
    p.BaudRate = "57600";
    PagerFields fields = ShowPagerFields(p, services);
    EXPECT_EQ(fields.service, "<None>");
    EXPECT_EQ(fields.baudRate, "<default>");
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
    EXPECT_EQ(pagers.size(), 2u);
    EXPECT_EQ(a.PhoneNumber, "5551000");
    EXPECT_EQ(b.Separator, "#");
    EXPECT_EQ(b.PinDelayTime, "3");
    EXPECT_EQ(a.PagerType, "0");
    EXPECT_EQ(a.ServiceName, "<None>");
}

TEST_F(PagerFieldsTest, AddGroupAddsANameOnceAndHighlightsIt)
{
    Add("Ann").Groups = {"Desk", "Night"};
    PagerRecord& bob = Add("Bob");
    pagers.RebuildGroupNames();
    std::vector<std::string> choices = GroupChoices(pagers, bob);
    EXPECT_EQ(choices, (std::vector<std::string>{"Desk", "Night"}));
    PagerFields fields = ShowPagerFields(bob, services);
    for (const char* typed : {"Day", "Day", "Desk", ""}) AddGroup(choices, fields, typed);
    EXPECT_EQ(choices, (std::vector<std::string>{"Desk", "Night", "Day"}));
    EXPECT_EQ(fields.groups, (std::vector<std::string>{"Day", "Desk"}));
}

}  // namespace
}  // namespace corvane::test
