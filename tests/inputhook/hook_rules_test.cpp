// The three hook rules against hand-made events, without a display.

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "inputhook/hook_rules.h"
#include "inputhook/inputhook.h"

namespace corvane::hook {
namespace {

constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kActivity = WM_HOOK_ACTIVITY;
constexpr std::uint64_t kWindowA = 0x200001;
constexpr std::uint64_t kWindowB = 0x400007;

InputEvent Move(int x, int y, std::uint64_t window = kWindowA)
{
    return {InputKind::PointerMoved, x, y, window};
}

TEST(HookRulesTest, WhatPostsDependsOnTheTargetAndTheStartedWatch)
{
    struct Case {
        int target;
        bool cbt, keyOrMouse;
        InputKind kind;
        std::uint32_t expected;
    } cases[] = {
        {5, true, false, InputKind::ScreenSaverStarted, WM_HOOK_SCREENSAVER},
        {0, true, false, InputKind::ScreenSaverStarted, WM_HOOK_SCREENSAVER},  // descriptor 0 is a target too
        {-1, true, true, InputKind::ScreenSaverStarted, kNone},                // no target registered
        {5, false, true, InputKind::ScreenSaverStarted, kNone},
        {5, false, true, InputKind::KeyDown, kActivity},
        {5, true, false, InputKind::KeyDown, kNone},
        {-1, false, true, InputKind::KeyDown, kNone},
        {5, true, true, InputKind::KeyUp, kNone},
    };
    for (const Case& c : cases) {
        CHookRules rules;
        rules.RegisterTarget(c.target);
        if (c.cbt) rules.StartCbt();
        if (c.keyOrMouse) rules.StartKeyOrMouse();
        EXPECT_EQ(rules.OnEvent({c.kind}), c.expected) << "target " << c.target << " cbt " << c.cbt
                                                      << " keys " << c.keyOrMouse << " kind " << int(c.kind);
        EXPECT_EQ(rules.OnEvent({c.kind}), c.expected) << "every press counts, held keys too";
    }
}

TEST(HookRulesTest, PointerRule)
{
    const std::vector<std::pair<InputEvent, std::uint32_t>> steps = {
        {Move(100, 100), kNone},                // the first move only records
        {Move(110, 105), kActivity},            // diagonal in the same window
        {Move(130, 105), kNone},                // horizontal only
        {Move(130, 90), kNone},                 // vertical only
        {Move(130, 90), kNone},                 // no change
        {Move(120, 80), kActivity},             // diagonal again, both deltas negative
        {Move(300, 300, kWindowB), kNone},      // into another window
        {Move(310, 290, kWindowB), kActivity},  // diagonal inside that window
        {Move(320, 290, kWindowB), kNone},      // horizontal: recorded although it does not count
        {Move(320, 310, kWindowB), kNone},      // vertical from the recorded move
        {Move(1, 1, 0), kNone},                 // no window
        {Move(5, 5, 0), kNone},                 // no window recorded counts as nothing recorded
        {Move(9, 9), kNone},                    // back into a window
        {Move(8, 10), kActivity},               // one delta negative, one positive
    };
    CHookRules rules;
    rules.RegisterTarget(4);
    rules.StartKeyOrMouse();
    for (std::size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(rules.OnEvent(steps[i].first), steps[i].second) << i;
}

TEST(HookRulesTest, StartForgetsTheLastMoveAndMovesAreRecordedWithoutATarget)
{
    CHookRules rules;
    rules.StartKeyOrMouse();
    EXPECT_EQ(rules.OnEvent(Move(10, 10)), kNone);
    EXPECT_EQ(rules.OnEvent(Move(20, 20)), kNone);  // would count: nowhere to post
    rules.RegisterTarget(9);
    EXPECT_EQ(rules.StartKeyOrMouse(), 0);  // already started: the record stays
    EXPECT_EQ(rules.OnEvent(Move(30, 30)), kActivity);
    rules.StopKeyOrMouse();
    EXPECT_EQ(rules.OnEvent(Move(40, 40)), kNone);  // not watched, not recorded
    EXPECT_EQ(rules.StartKeyOrMouse(), 1);
    EXPECT_EQ(rules.OnEvent(Move(50, 50)), kNone);  // the first move after the start
    EXPECT_EQ(rules.OnEvent(Move(60, 60)), kActivity);
}

}  // namespace
}  // namespace corvane::hook
