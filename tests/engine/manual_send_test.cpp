#include "engine/manual_send.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

PagerRecord Pager(const std::string& name, const std::string& type, const std::string& content,
                  const std::string& custom = "")
{
    PagerRecord p;
    p.UserName = name;
    p.PagerType = type;
    p.DefaultPageContent = content;
    p.CustomMessage = custom;
    return p;
}

TEST(ManualSend, EachPagerGetsTheTextItsContentChoiceNames)
{
    MessageTexts defaults;
    defaults.defaultAlpha = "Please call the office";
    defaults.defaultNumeric = "5551212";
    PromptedTexts typed{"typed text", "911"};
    EXPECT_EQ(ChooseMessage(Pager("a", "1", "0"), defaults, typed), "Please call the office");
    EXPECT_EQ(ChooseMessage(Pager("n", "0", "0"), defaults, typed), "5551212");
    EXPECT_EQ(ChooseMessage(Pager("a", "1", "1"), defaults, typed), "typed text");
    EXPECT_EQ(ChooseMessage(Pager("n", "0", "1"), defaults, typed), "911");
    EXPECT_EQ(ChooseMessage(Pager("a", "1", "2", "own"), defaults, typed), "own");
    EXPECT_EQ(ChooseMessage(Pager("a", "7", "0"), defaults, typed), "Please call the office");  // not "0": alpha
}

TEST(ManualSend, TheMessageChoiceOverridesEachPagersSetting)
{
    std::vector<PagerRecord> entries{Pager("a", "1", "2"), Pager("n", "0", "0")};
    ApplyMessageChoice(entries, 0);
    EXPECT_EQ(entries[0].DefaultPageContent, "2");
    ApplyMessageChoice(entries, 1);
    PromptNeeds needs = NeedsPrompt(entries);
    EXPECT_TRUE(needs.alpha);
    EXPECT_TRUE(needs.numeric);
    ApplyMessageChoice(entries, 2);
    needs = NeedsPrompt(entries);
    EXPECT_FALSE(needs.alpha || needs.numeric);
}

TEST(ManualSend, OnlyAlphanumericPromptsWhenEveryPromptingPagerIsAlphanumeric)
{
    std::vector<PagerRecord> entries{Pager("a", "1", "1"), Pager("b", "1", "1"), Pager("n", "0", "2")};
    entries[0].MaximumPageLength = 120;
    entries[1].MaximumPageLength = 60;
    entries[2].MaximumPageLength = 10;  // numeric: does not count
    PromptNeeds needs = NeedsPrompt(entries);
    EXPECT_TRUE(needs.alpha);
    EXPECT_FALSE(needs.numeric);
    EXPECT_EQ(needs.minAlphaLength, 60);
    EXPECT_EQ(NeedsPrompt({}).minAlphaLength, 32000);
}

TEST(ManualSend, AWholeGroupWithOneTextIsOneRequest)
{
    MessageTexts defaults;
    PromptedTexts typed{"meet now", ""};
    CPageQueue queue;
    std::vector<PagerRecord> entries{Pager("a", "1", "1"), Pager("b", "1", "1")};
    QueueEntries(queue, entries, "Sales", defaults, typed);
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0], (PageRequest{kOriginProgram, "Sales", "", "", "meet now"}));
    EXPECT_EQ(queue.sendRequest, kSendInteractive);

    queue.requests.clear();
    QueueEntries(queue, entries, "", defaults, typed);
    EXPECT_EQ(queue.requests.size(), 2u);

    // Different custom messages in a fully selected group: one request per pager.
    queue.requests.clear();
    std::vector<PagerRecord> custom{Pager("a", "1", "2", "x"), Pager("b", "1", "2", "y"), Pager("c", "1", "2", "z")};
    QueueEntries(queue, custom, "Sales", defaults, typed);
    ASSERT_EQ(queue.requests.size(), 3u);
    EXPECT_EQ(queue.requests[2].name, "c");
    EXPECT_EQ(queue.requests[2].message, "z");
}

}  // namespace
}  // namespace corvane
