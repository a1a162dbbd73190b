#include "app/core/prepare_send.h"

#include <gtest/gtest.h>

#include "settings/memory_settings.h"
#include "tests/support/fakes.h"

namespace corvane::test {
namespace {

class PrepareSendTest : public ::testing::Test {
protected:
    PagerRecord& Add(const std::string& name, const std::string& type, std::vector<std::string> groups = {})
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        p.PagerType = type;
        p.Groups = std::move(groups);
        return p;
    }
    static FormRow Row(const PagerRecord& p, bool selected) { return {false, p.Code, p.UserName, selected}; }
    static FormRow GroupRow(const std::string& name, bool selected) { return {true, -32000, name, selected}; }

    std::vector<std::string> Names(const PreparedSend& send)
    {
        std::vector<std::string> names;
        for (const PagerRecord& e : send.entries) names.push_back(e.UserName);
        return names;
    }

    CPagerList pagers;
    CMemorySettings settings;
    CFakeMainView mainView;
    CPageQueue queue;
    MessageTexts defaults{"default alpha", "555", "", "", ""};
};

TEST_F(PrepareSendTest, AWholeGroupViewSendsOneRequestWithTheGroupName)
{
    PagerRecord& ann = Add("Ann", "1", {"Desk"});
    PagerRecord& bob = Add("Bob", "1", {"Desk"});
    FormView view{{Row(ann, true), Row(bob, true)}, true, "Desk"};
    PreparedSend send = PrepareSend(view, pagers, 1);
    EXPECT_EQ(send.requestName, "Desk");
    EXPECT_EQ(Names(send), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_TRUE(send.needs.alpha);
    EXPECT_FALSE(send.needs.numeric);

    CManualSend manual;
    manual.Confirm(send, {"hello", ""}, queue, defaults, settings, mainView);
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0], (PageRequest{kOriginProgram, "Desk", "", "", "hello"}));
    EXPECT_EQ(queue.sendRequest, kSendInteractive);
    EXPECT_EQ(mainView.queueCounts.back(), 1);
    EXPECT_TRUE(manual.ResubmitAvailable());
    EXPECT_EQ(manual.InitialTexts(SendVariant::Resubmit).alpha, "hello");
    EXPECT_EQ(manual.InitialTexts(SendVariant::Page).alpha, "");
}

TEST_F(PrepareSendTest, ThePartsOfAGroupViewOrDifferentTextsGoOutPerPager)
{
    PagerRecord& ann = Add("Ann", "1", {"Desk"});
    PagerRecord& bob = Add("Bob", "1", {"Desk"});
    PagerRecord& cy = Add("Cy", "1", {"Desk"});
    ann.DefaultPageContent = bob.DefaultPageContent = cy.DefaultPageContent = "2";
    ann.CustomMessage = "a";
    bob.CustomMessage = "b";
    cy.CustomMessage = "c";

    FormView part{{Row(ann, true), Row(bob, false), Row(cy, true)}, true, "Desk"};
    EXPECT_EQ(PrepareSend(part, pagers, 1).requestName, "");

    FormView whole{{Row(ann, true), Row(bob, true), Row(cy, true)}, true, "Desk"};
    PreparedSend send = PrepareSend(whole, pagers, 0);
    EXPECT_EQ(send.requestName, "Desk");
    EXPECT_FALSE(send.NeedsPrompt());
    CManualSend manual;
    manual.Queue(send, {}, queue, defaults, settings, mainView);
    ASSERT_EQ(queue.requests.size(), 3u);
    EXPECT_EQ(queue.requests[1], (PageRequest{kOriginProgram, "Bob", "", "", "b"}));
    EXPECT_FALSE(manual.ResubmitAvailable());
}

TEST_F(PrepareSendTest, GroupRowsExpandByMembershipAndVanishedPagersAddNothing)
{
    PagerRecord& ann = Add("Ann", "0", {"Night"});
    Add("Bob", "1", {"Day"});
    PagerRecord& cy = Add("Cy", "1", {"Night", "Day"});
    cy.MaximumPageLength = 40;
    FormView one{{GroupRow("Night", true), Row(ann, false)}, false, ""};
    PreparedSend send = PrepareSend(one, pagers, 1);
    EXPECT_EQ(send.requestName, "Night");
    EXPECT_EQ(Names(send), (std::vector<std::string>{"Ann", "Cy"}));
    EXPECT_TRUE(send.needs.alpha);
    EXPECT_TRUE(send.needs.numeric);
    EXPECT_EQ(send.needs.minAlphaLength, 40);

    // A selected pager row whose pager was removed meanwhile, and a group row plus a row.
    FormView gone{{FormRow{false, 999, "Gone", true}}, false, ""};
    PreparedSend none = PrepareSend(gone, pagers, 1);
    EXPECT_TRUE(none.entries.empty());
    CManualSend manual;
    manual.Queue(none, {}, queue, defaults, settings, mainView);
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_EQ(queue.sendRequest, kSendNone);

    FormView two{{GroupRow("Day", true), Row(ann, true)}, false, ""};
    EXPECT_EQ(PrepareSend(two, pagers, 0).requestName, "");
    EXPECT_EQ(Names(PrepareSend(two, pagers, 0)), (std::vector<std::string>{"Bob", "Cy", "Ann"}));
}

TEST_F(PrepareSendTest, TheMessageChoiceDecidesWhatIsAskedAndAutoMinimizeMinimises)
{
    PagerRecord& ann = Add("Ann", "1");
    PagerRecord& num = Add("Num", "0");
    ann.DefaultPageContent = "2";
    num.DefaultPageContent = "0";
    FormView view{{Row(ann, true), Row(num, true)}, false, ""};
    EXPECT_FALSE(PrepareSend(view, pagers, 0).NeedsPrompt());
    EXPECT_FALSE(PrepareSend(view, pagers, 2).NeedsPrompt());
    PreparedSend prompt = PrepareSend(view, pagers, 1);
    EXPECT_TRUE(prompt.needs.alpha && prompt.needs.numeric);
    EXPECT_EQ(pagers.at(0).DefaultPageContent, "2");  // the list itself is never changed

    settings.Write(key::AutoMinimize, "1");
    CManualSend manual;
    manual.Queue(PrepareSend(view, pagers, 2), {}, queue, defaults, settings, mainView);
    EXPECT_EQ(mainView.minimizeCalls, 1);
    ASSERT_EQ(queue.requests.size(), 2u);
    EXPECT_EQ(queue.requests[0].message, "default alpha");
    EXPECT_EQ(queue.requests[1].message, "555");
}

TEST(PrepareSend, ReturnAtTheEndSendsOnlyWhenTheSettingSaysSo)
{
    struct Case {
        std::string text;
        bool use;
        bool ok;
        std::string left;
    } cases[] = {
        {"hello\n", true, true, "hello"},    {"hello\r\n", true, true, "hello"},
        {"hello\n", false, false, "hello\n"}, {"hel\nlo", true, false, "hel\nlo"},
        {"", true, false, ""},               {"\n", true, true, ""},
    };
    for (Case c : cases) {
        EXPECT_EQ(TakeReturnAsOk(c.text, c.use), c.ok) << c.text;
        EXPECT_EQ(c.text, c.left);
    }
}

}  // namespace
}  // namespace corvane::test
