// Monitoring on and off: the reactions to the hook library's reports, with a library
// double that applies the library's own rules to hand-made input.

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/monitoring_control.h"
#include "inputhook/hook_rules.h"
#include "inputhook/inputhook.h"
#include "tests/support/fakes.h"

namespace corvane::test {
namespace {

using hook::InputEvent;
using hook::InputKind;

constexpr std::uint64_t kWindowA = 0x1200003;
constexpr std::uint64_t kWindowB = 0x1400011;

// The library's flags and rules without X: Feed() is the X server reporting input, and
// a report that the rules post goes straight to the control, as the shell's read of
// the descriptor would take it.
class CFakeHookLibrary : public IHookLibrary {
public:
    int RegisterHookSendWindow(int fd) override
    {
        return Log("Register " + std::to_string(fd), m_rules.RegisterTarget(fd));
    }
    int StartCBT() override { return Log("StartCBT", m_rules.StartCbt()); }
    int StopCBT() override { return Log("StopCBT", m_rules.StopCbt()); }
    int StartKeyOrMouse() override { return Log("StartKeyOrMouse", m_rules.StartKeyOrMouse()); }
    int StopKeyOrMouse() override { return Log("StopKeyOrMouse", m_rules.StopKeyOrMouse()); }
    bool ActivateScreenSaver() override
    {
        calls.push_back("ActivateScreenSaver");
        return true;
    }

    void Feed(const InputEvent& event)
    {
        if (const std::uint32_t message = m_rules.OnEvent(event)) control->OnHookMessage(message);
    }
    void ScreenSaver() { Feed({InputKind::ScreenSaverStarted}); }
    void Key() { Feed({InputKind::KeyDown}); }
    void Move(int x, int y, std::uint64_t window = kWindowA)
    {
        Feed({InputKind::PointerMoved, x, y, window});
    }
    bool KeyOrMouseWatched() const { return m_rules.KeyOrMouseInstalled(); }

    CMonitoringControl* control = nullptr;
    std::vector<std::string> calls;  // each call with its result

private:
    int Log(const std::string& call, int result)
    {
        calls.push_back(call + "=" + std::to_string(result));
        return result;
    }
    hook::CHookRules m_rules;
};

class CRecordingView : public IMonitoringView {
public:
    void SetTitle(const std::string& title) override { titles.push_back(title); }
    void ShowManualMonitoring(bool on) override { manual.push_back(on); }
    std::vector<std::string> titles;
    std::vector<bool> manual;
};

class CCountingSeenMail : public ISeenMailLists {
public:
    void EmptySeenMailLists() override { ++empties; }
    int empties = 0;
};

class MonitoringControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_hooks.control = &m_control;
        m_control.StartScreenSaverDetection(5);
        m_hooks.calls.clear();
    }

    CFakeClock m_clock;
    CFakePump m_pump{m_clock};
    CFakeHookLibrary m_hooks;
    CRecordingView m_view;
    CCountingSeenMail m_seenMail;
    CMonitoringControl m_control{m_hooks, m_pump, m_clock, m_view, m_seenMail, "Corvane"};
};

TEST_F(MonitoringControlTest, StartAndStopOfDetection)
{
    CFakeHookLibrary hooks;
    CMonitoringControl control(hooks, m_pump, m_clock, m_view, m_seenMail, "Corvane");
    control.StartScreenSaverDetection(0);
    control.StopScreenSaverDetection();
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"Register 0=1", "StartCBT=1", "StopCBT=1",
                                                      "StopKeyOrMouse=1", "Register -1=1"}));
}

TEST_F(MonitoringControlTest, ScreenSaverStartsMonitoringAndAKeyEndsIt)
{
    EXPECT_FALSE(m_control.MonitoringActive());
    m_hooks.ScreenSaver();
    EXPECT_TRUE(m_control.MonitoringActive());
    EXPECT_TRUE(m_hooks.KeyOrMouseWatched());
    m_hooks.Key();
    EXPECT_FALSE(m_control.MonitoringActive());
    EXPECT_FALSE(m_hooks.KeyOrMouseWatched());
    EXPECT_EQ(m_seenMail.empties, 1);
    EXPECT_EQ(m_hooks.calls, (std::vector<std::string>{"StartKeyOrMouse=1", "StopKeyOrMouse=1"}));
    EXPECT_TRUE(m_view.titles.empty());  // screen-saver monitoring keeps the title
}

TEST_F(MonitoringControlTest, ActivityWhileNotMonitoringIsIgnored)
{
    m_control.OnHookMessage(WM_HOOK_ACTIVITY);
    m_control.OnHookMessage(0x404);  // not a hook report
    EXPECT_FALSE(m_control.MonitoringActive());
    EXPECT_EQ(m_seenMail.empties, 0);
    EXPECT_TRUE(m_hooks.calls.empty());
}

TEST_F(MonitoringControlTest, HorizontalMovesNeverEndMonitoringADiagonalOneDoes)
{
    m_hooks.ScreenSaver();
    for (int x = 100; x < 700; x += 10) m_hooks.Move(x, 300);
    for (int y = 300; y > 50; y -= 10) m_hooks.Move(690, y);
    EXPECT_TRUE(m_control.MonitoringActive());
    m_hooks.Move(700, 70);
    EXPECT_FALSE(m_control.MonitoringActive());
}

TEST_F(MonitoringControlTest, FirstMoveAfterTheScreenSaverOnlyRecords)
{
    m_hooks.ScreenSaver();
    m_hooks.Move(400, 400);
    EXPECT_TRUE(m_control.MonitoringActive());
    m_hooks.Move(403, 404);
    EXPECT_FALSE(m_control.MonitoringActive());

    // The next screen saver starts the watch afresh: its first move records again.
    m_hooks.ScreenSaver();
    m_hooks.Move(500, 500);
    EXPECT_TRUE(m_control.MonitoringActive());
}

TEST_F(MonitoringControlTest, MoveIntoAnotherWindowDoesNotEndMonitoring)
{
    m_hooks.ScreenSaver();
    m_hooks.Move(100, 100, kWindowA);
    m_hooks.Move(600, 500, kWindowB);
    EXPECT_TRUE(m_control.MonitoringActive());
    m_hooks.Move(610, 510, kWindowB);
    EXPECT_FALSE(m_control.MonitoringActive());
}

TEST_F(MonitoringControlTest, ManualMonitoringOnAndOff)
{
    m_control.ToggleManualMonitoring();
    EXPECT_TRUE(m_control.ManualMonitoring());
    EXPECT_TRUE(m_control.MonitoringActive());
    EXPECT_EQ(m_seenMail.empties, 1);
    m_control.ToggleManualMonitoring();
    EXPECT_FALSE(m_control.ManualMonitoring());
    EXPECT_FALSE(m_control.MonitoringActive());
    EXPECT_EQ(m_seenMail.empties, 1);
    EXPECT_EQ(m_view.titles, (std::vector<std::string>{"Corvane - Monitoring", "Corvane"}));
    EXPECT_EQ(m_view.manual, (std::vector<bool>{true, false}));
}

TEST_F(MonitoringControlTest, MonitoringTitleFollowsTheProgramTitle)
{
    CRecordingView view;
    CMonitoringControl control(m_hooks, m_pump, m_clock, view, m_seenMail, "Night Desk");
    EXPECT_EQ(control.MonitoringTitle(), "Night Desk - Monitoring");
    control.ToggleManualMonitoring();
    control.ToggleManualMonitoring();
    EXPECT_EQ(view.titles, (std::vector<std::string>{"Night Desk - Monitoring", "Night Desk"}));
}

TEST_F(MonitoringControlTest, ScreenSaverDuringManualMonitoringWatchesButActivityDoesNotEndIt)
{
    m_control.ToggleManualMonitoring();
    m_hooks.ScreenSaver();
    EXPECT_TRUE(m_hooks.KeyOrMouseWatched());
    m_hooks.Key();
    m_hooks.Move(10, 10);
    m_hooks.Move(20, 20);
    EXPECT_TRUE(m_control.MonitoringActive());
    EXPECT_TRUE(m_hooks.KeyOrMouseWatched());
    EXPECT_EQ(m_seenMail.empties, 1);  // only the one of turning manual monitoring on
}

TEST_F(MonitoringControlTest, ManualOffEndsMonitoringWhateverStartedIt)
{
    // Started by the screen saver, then switched to manual.
    m_hooks.ScreenSaver();
    m_control.ToggleManualMonitoring();
    m_control.ToggleManualMonitoring();
    EXPECT_FALSE(m_control.MonitoringActive());
    // The watch the screen saver started is over too; the next one starts afresh.
    EXPECT_FALSE(m_hooks.KeyOrMouseWatched());
    m_hooks.Key();
    EXPECT_FALSE(m_control.MonitoringActive());
    m_hooks.ScreenSaver();
    EXPECT_TRUE(m_control.MonitoringActive());
    m_hooks.Key();
    EXPECT_FALSE(m_control.MonitoringActive());
}

TEST_F(MonitoringControlTest, SecondScreenSaverStartKeepsTheWatch)
{
    m_hooks.ScreenSaver();
    m_hooks.Move(10, 10);
    m_hooks.ScreenSaver();  // the watch is on already: 0, and the last move stays recorded
    EXPECT_EQ(m_hooks.calls, (std::vector<std::string>{"StartKeyOrMouse=1", "StartKeyOrMouse=0"}));
    m_hooks.Move(20, 20);
    EXPECT_FALSE(m_control.MonitoringActive());
}

TEST_F(MonitoringControlTest, ActivateScreenSaverKeepsEventsRunningForTwoSeconds)
{
    const std::uint64_t start = m_clock.TickMs();
    int longest = 0;
    m_pump.onWait = [&](int maxMs) {
        longest = std::max(longest, maxMs);
        // The server reports the start while the command waits.
        if (m_clock.TickMs() - start == 500) m_hooks.ScreenSaver();
        return PumpResult::Continue;
    };
    m_control.ActivateScreenSaver();
    EXPECT_EQ(m_hooks.calls.front(), "ActivateScreenSaver");
    EXPECT_EQ(m_clock.TickMs() - start, 2000u);
    EXPECT_LE(longest, kPumpIntervalMs);
    EXPECT_EQ(m_pump.waitsWithoutEvents, 0);
    EXPECT_TRUE(m_control.MonitoringActive());
}

TEST_F(MonitoringControlTest, ActivateScreenSaverWaitEndsOnQuitNotOnCancel)
{
    const std::uint64_t start = m_clock.TickMs();
    m_pump.PostCancel();
    m_control.ActivateScreenSaver();
    EXPECT_EQ(m_clock.TickMs() - start, 2000u);

    const std::uint64_t second = m_clock.TickMs();
    m_pump.onWait = [&](int) {
        return m_clock.TickMs() - second >= 300 ? PumpResult::DeferredQuit : PumpResult::Continue;
    };
    m_control.ActivateScreenSaver();
    EXPECT_EQ(m_clock.TickMs() - second, 300u);
}

}  // namespace
}  // namespace corvane::test
