// The three hook rules against hand-made events, without a display.

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "inputhook/hook_rules.h"
#include "inputhook/inputhook.h"

namespace corvane::hook {
namespace {

constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kScreenSaver = WM_HOOK_SCREENSAVER;
constexpr std::uint32_t kActivity = WM_HOOK_ACTIVITY;
constexpr std::uint64_t kWindowA = 0x200001;
constexpr std::uint64_t kWindowB = 0x400007;

InputEvent Move(int x, int y, std::uint64_t window)
{
    return {InputKind::PointerMoved, x, y, window};
}

TEST(HookRulesTest, MessageValues)
{
    EXPECT_EQ(WM_HOOK_SCREENSAVER, 0x402);
    EXPECT_EQ(WM_HOOK_ACTIVITY, 0x403);
}

TEST(HookRulesTest, StartAndStopResults)
{
    CHookRules rules;
    EXPECT_EQ(rules.RegisterTarget(7), 1);
    EXPECT_EQ(rules.StopCbt(), 1);  // without a start: nothing to do
    EXPECT_FALSE(rules.CbtInstalled());
    EXPECT_EQ(rules.StartCbt(), 1);
    EXPECT_EQ(rules.StartCbt(), 0);
    EXPECT_TRUE(rules.CbtInstalled());
    EXPECT_EQ(rules.StopCbt(), 1);
    EXPECT_EQ(rules.StopCbt(), 1);
    EXPECT_EQ(rules.StartCbt(), 1);

    EXPECT_EQ(rules.StopKeyOrMouse(), 1);
    EXPECT_FALSE(rules.KeyOrMouseInstalled());
    EXPECT_EQ(rules.StartKeyOrMouse(), 1);
    EXPECT_EQ(rules.StartKeyOrMouse(), 0);
    EXPECT_EQ(rules.StopKeyOrMouse(), 1);
    EXPECT_EQ(rules.StartKeyOrMouse(), 1);
    EXPECT_TRUE(rules.CbtInstalled());  // the two are independent
}

TEST(HookRulesTest, ScreenSaverStartPostsOnlyWithTargetAndWatch)
{
    struct Case {
        int target;
        bool cbt;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {5, true, kScreenSaver},
        {0, true, kScreenSaver},  // descriptor 0 is a target like any other
        {-1, true, kNone},        // no target registered
        {5, false, kNone},
    };
    for (const Case& c : cases) {
        CHookRules rules;
        rules.RegisterTarget(c.target);
        if (c.cbt) rules.StartCbt();
        rules.StartKeyOrMouse();
        EXPECT_EQ(rules.OnEvent({InputKind::ScreenSaverStarted}), c.expected)
            << "target " << c.target << " cbt " << c.cbt;
    }
}

TEST(HookRulesTest, KeyGoingDownIsActivity)
{
    CHookRules rules;
    rules.RegisterTarget(3);
    EXPECT_EQ(rules.OnEvent({InputKind::KeyDown}), kNone);  // not started
    rules.StartKeyOrMouse();
    EXPECT_EQ(rules.OnEvent({InputKind::KeyDown}), kActivity);
    EXPECT_EQ(rules.OnEvent({InputKind::KeyDown}), kActivity);  // every press, held keys too
    EXPECT_EQ(rules.OnEvent({InputKind::KeyUp}), kNone);
    EXPECT_EQ(rules.OnEvent({InputKind::ScreenSaverStarted}), kNone);  // screen saver not watched
    rules.StopKeyOrMouse();
    EXPECT_EQ(rules.OnEvent({InputKind::KeyDown}), kNone);
    rules.RegisterTarget(-1);
    rules.StartKeyOrMouse();
    EXPECT_EQ(rules.OnEvent({InputKind::KeyDown}), kNone);
}

TEST(HookRulesTest, PointerRule)
{
    struct Step {
        InputEvent move;
        std::uint32_t expected;
        const char* why;
    };
    const std::vector<Step> steps = {
        {Move(100, 100, kWindowA), kNone, "the first move only records"},
        {Move(110, 105, kWindowA), kActivity, "diagonal in the same window"},
        {Move(130, 105, kWindowA), kNone, "horizontal only"},
        {Move(130, 90, kWindowA), kNone, "vertical only"},
        {Move(130, 90, kWindowA), kNone, "no change"},
        {Move(120, 80, kWindowA), kActivity, "diagonal again"},
        {Move(300, 300, kWindowB), kNone, "into another window"},
        {Move(310, 290, kWindowB), kActivity, "diagonal inside that window"},
        {Move(320, 290, kWindowB), kNone, "horizontal: recorded although it does not count"},
        {Move(320, 310, kWindowB), kNone, "vertical from the recorded move (diagonal from the one before)"},
        {Move(1, 1, 0), kNone, "no window"},
        {Move(5, 5, 0), kNone, "no window recorded counts as nothing recorded"},
        {Move(9, 9, kWindowA), kNone, "back into a window"},
        {Move(8, 10, kWindowA), kActivity, "negative and positive deltas both count"},
    };
    CHookRules rules;
    rules.RegisterTarget(4);
    rules.StartKeyOrMouse();
    for (const Step& step : steps) EXPECT_EQ(rules.OnEvent(step.move), step.expected) << step.why;
}

TEST(HookRulesTest, HorizontalMovesNeverCount)
{
    CHookRules rules;
    rules.RegisterTarget(4);
    rules.StartKeyOrMouse();
    int x = 0;
    for (; x < 1280; x += 3) EXPECT_EQ(rules.OnEvent(Move(x, 400, kWindowA)), kNone) << x;
    // ... then straight down from where it stopped.
    for (int y = 403; y < 800; y += 3) EXPECT_EQ(rules.OnEvent(Move(x - 3, y, kWindowA)), kNone) << y;
}

TEST(HookRulesTest, StartKeyOrMouseForgetsTheLastMoveOnlyWhenItStarts)
{
    CHookRules rules;
    rules.RegisterTarget(4);
    rules.StartKeyOrMouse();
    rules.OnEvent(Move(10, 10, kWindowA));
    EXPECT_EQ(rules.StartKeyOrMouse(), 0);  // already started: the record stays
    EXPECT_EQ(rules.OnEvent(Move(20, 20, kWindowA)), kActivity);

    rules.StopKeyOrMouse();
    EXPECT_EQ(rules.OnEvent(Move(30, 30, kWindowA)), kNone);  // not watched, not recorded
    EXPECT_EQ(rules.StartKeyOrMouse(), 1);
    EXPECT_EQ(rules.OnEvent(Move(40, 40, kWindowA)), kNone);  // first move after the start
    EXPECT_EQ(rules.OnEvent(Move(50, 50, kWindowA)), kActivity);
}

TEST(HookRulesTest, MovesAreRecordedWithoutATarget)
{
    CHookRules rules;
    rules.StartKeyOrMouse();
    EXPECT_EQ(rules.OnEvent(Move(10, 10, kWindowA)), kNone);
    EXPECT_EQ(rules.OnEvent(Move(20, 20, kWindowA)), kNone);  // would count: nowhere to post
    rules.RegisterTarget(9);
    EXPECT_EQ(rules.OnEvent(Move(30, 30, kWindowA)), kActivity);
}

}  // namespace
}  // namespace corvane::hook
