// The sender's choices behind the Page command; the dialog tests drive the common cases.

#include "app/core/prepare_send.h"

#include <gtest/gtest.h>

#include "settings/memory_settings.h"
#include "tests/support/fakes.h"

namespace corvane::test {
namespace {

class PrepareSendTest : public ::testing::Test {
protected:
    PagerRecord& Add(const std::string& name, const std::string& type, std::vector<std::string> groups)
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        p.PagerType = type;
        p.Groups = std::move(groups);
        return p;
    }
    static FormRow Row(const PagerRecord& p, bool selected) { return {false, p.Code, p.UserName, selected}; }
    static FormRow GroupRow(const std::string& name) { return {true, -32000, name, true}; }
    static std::vector<std::string> Names(const PreparedSend& send)
    {
        std::vector<std::string> names;
        for (const PagerRecord& e : send.entries) names.push_back(e.UserName);
        return names;
    }
    void Queue(const PreparedSend& send) { manual.Queue(send, {}, queue, defaults, settings, mainView); }

    CPagerList pagers;
    CMemorySettings settings;
    CFakeMainView mainView;
    CPageQueue queue;
    CManualSend manual;
    MessageTexts defaults{"default alpha", "555", "", "", ""};
};

TEST_F(PrepareSendTest, PartOfAGroupOrDifferentTextsGoOutPerPager)
{
    PagerRecord& ann = Add("Ann", "1", {"Desk"});
    PagerRecord& bob = Add("Bob", "1", {"Desk"});
    PagerRecord& cy = Add("Cy", "1", {"Desk"});
    for (PagerRecord* p : {&ann, &bob, &cy}) {
        p->DefaultPageContent = "2";
        p->CustomMessage = p->UserName.substr(0, 1);
    }
    FormView part{{Row(ann, true), Row(bob, false), Row(cy, true)}, true, "Desk"};
    EXPECT_EQ(PrepareSend(part, pagers, 1).requestName, "");

    FormView whole{{Row(ann, true), Row(bob, true), Row(cy, true)}, true, "Desk"};
    PreparedSend send = PrepareSend(whole, pagers, 0);
    EXPECT_EQ(send.requestName, "Desk");
    EXPECT_FALSE(send.NeedsPrompt());
    Queue(send);
    ASSERT_EQ(queue.requests.size(), 3u);
    EXPECT_EQ(queue.requests[1], (PageRequest{kOriginProgram, "Bob", "", "", "B"}));
    EXPECT_FALSE(manual.ResubmitAvailable());
}

TEST_F(PrepareSendTest, GroupRowsExpandByMembershipAndVanishedPagersAddNothing)
{
    PagerRecord& ann = Add("Ann", "0", {"Night"});
    Add("Bob", "1", {"Day"});
    Add("Cy", "1", {"Night", "Day"}).MaximumPageLength = 40;
    PreparedSend send = PrepareSend(FormView{{GroupRow("Night"), Row(ann, false)}, false, ""}, pagers, 1);
    EXPECT_EQ(send.requestName, "Night");
    EXPECT_EQ(Names(send), (std::vector<std::string>{"Ann", "Cy"}));
    EXPECT_TRUE(send.needs.alpha && send.needs.numeric);
    EXPECT_EQ(send.needs.minAlphaLength, 40);

    // A group row plus a pager row: one request each, never the group's name.
    send = PrepareSend(FormView{{GroupRow("Day"), Row(ann, true)}, false, ""}, pagers, 0);
    EXPECT_EQ(send.requestName, "");
    EXPECT_EQ(Names(send), (std::vector<std::string>{"Bob", "Cy", "Ann"}));

    // A selected row whose pager was removed meanwhile.
    send = PrepareSend(FormView{{FormRow{false, 999, "Gone", true}}, false, ""}, pagers, 1);
    EXPECT_TRUE(send.entries.empty());
    Queue(send);
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_EQ(queue.sendRequest, kSendNone);
}

}  // namespace
}  // namespace corvane::test
