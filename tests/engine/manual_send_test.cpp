#include "engine/manual_send.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

PagerRecord Pager(const std::string& type, const std::string& content, const std::string& custom = "",
                  int length = 80)
{
    PagerRecord p;
    p.UserName = type + content + custom;
    p.PagerType = type;
    p.DefaultPageContent = content;
    p.CustomMessage = custom;
    p.MaximumPageLength = length;
    return p;
}

TEST(ManualSend, EachPagerGetsTheTextItsContentChoiceNames)
{
    MessageTexts defaults;
    defaults.defaultAlpha = "Please call the office";
    defaults.defaultNumeric = "5551212";
    PromptedTexts typed {"typed text", "911"};
    EXPECT_EQ(ChooseMessage(Pager("1", "0"), defaults, typed), "Please call the office");
    EXPECT_EQ(ChooseMessage(Pager("0", "0"), defaults, typed), "5551212");
    EXPECT_EQ(ChooseMessage(Pager("1", "1"), defaults, typed), "typed text");
    EXPECT_EQ(ChooseMessage(Pager("0", "1"), defaults, typed), "911");
    EXPECT_EQ(ChooseMessage(Pager("1", "2", "own"), defaults, typed), "own");
    EXPECT_EQ(ChooseMessage(Pager("7", "0"), defaults, typed), "Please call the office");  // not "0": alpha
}

TEST(ManualSend, TheMessageChoiceDecidesWhatIsAskedAndTheShortestAlphaLengthLimitsIt)
{
    std::vector<PagerRecord> entries {Pager("1", "2"), Pager("0", "0")};
    ApplyMessageChoice(entries, 0);
    EXPECT_EQ(entries[0].DefaultPageContent, "2");  // each pager's own setting
    ApplyMessageChoice(entries, 1);
    EXPECT_TRUE(NeedsPrompt(entries).alpha && NeedsPrompt(entries).numeric);
    ApplyMessageChoice(entries, 2);
    EXPECT_FALSE(NeedsPrompt(entries).alpha || NeedsPrompt(entries).numeric);

    // A numeric pager that does not prompt does not count.
    const PromptNeeds needs = NeedsPrompt({Pager("1", "1", "", 120), Pager("1", "1", "", 60), Pager("0", "2", "", 10)});
    EXPECT_TRUE(needs.alpha);
    EXPECT_FALSE(needs.numeric);
    EXPECT_EQ(needs.minAlphaLength, 60);
    EXPECT_EQ(NeedsPrompt({}).minAlphaLength, 32000);
}

TEST(ManualSend, AWholeGroupWithOneTextIsOneRequest)
{
    MessageTexts defaults;
    PromptedTexts typed {"meet now", ""};
    CPageQueue queue;
    const std::vector<PagerRecord> entries {Pager("1", "1"), Pager("1", "1", "b")};
    QueueEntries(queue, entries, "Sales", defaults, typed);
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0], (PageRequest {kOriginProgram, "Sales", "", "", "meet now"}));
    EXPECT_EQ(queue.sendRequest, kSendInteractive);
    QueueEntries(queue, entries, "", defaults, typed);
    EXPECT_EQ(queue.requests.size(), 3u);

    // Different custom messages in a fully selected group: one request per pager.
    queue.requests.clear();
    QueueEntries(queue, {Pager("1", "2", "x"), Pager("1", "2", "y"), Pager("1", "2", "z")}, "Sales", defaults, typed);
    ASSERT_EQ(queue.requests.size(), 3u);
    EXPECT_EQ(queue.requests[2].name, "12z");
    EXPECT_EQ(queue.requests[2].message, "z");
}

}  // namespace
}  // namespace corvane
