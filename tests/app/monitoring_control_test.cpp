// Monitoring on and off: the reactions to the hook library's reports. The library's
// own rules (which moves count) are checked with the library, under Xvfb as well.

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "app/core/config_guard.h"
#include "app/core/monitoring_control.h"
#include "inputhook/inputhook.h"
#include "tests/app/app_fakes.h"
#include "tests/support/fakes.h"

namespace corvane::test {
namespace {

class MonitoringControlTest : public ::testing::Test, public IMonitoringView, public ISeenMailLists {
protected:
    void SetTitle(const std::string& title) override { titles.push_back(title); }
    void ShowManualMonitoring(bool on) override { manual.push_back(on); }
    void EmptySeenMailLists() override { ++seenMailEmptied; }

    void ScreenSaver() { control.OnHookMessage(WM_HOOK_SCREENSAVER); }
    void Activity() { control.OnHookMessage(WM_HOOK_ACTIVITY); }

    std::vector<std::string> titles;
    std::vector<bool> manual;
    int seenMailEmptied = 0;
    CFakeClock clock;
    CFakePump pump{clock};
    CFakeHookLibrary hooks;
    CMonitoringControl control{hooks, pump, clock, *this, *this, "Night Desk"};
};

TEST_F(MonitoringControlTest, ScreenSaverStartsMonitoringAndActivityEndsIt)
{
    control.StartScreenSaverDetection(5);
    Activity();  // not monitoring: ignored, as is a message that is no hook report
    control.OnHookMessage(0x404);
    EXPECT_FALSE(control.MonitoringActive());
    EXPECT_EQ(seenMailEmptied, 0);

    ScreenSaver();
    EXPECT_TRUE(control.MonitoringActive());
    ScreenSaver();  // the watch is on already
    Activity();
    EXPECT_FALSE(control.MonitoringActive());
    EXPECT_EQ(seenMailEmptied, 1);
    EXPECT_TRUE(titles.empty()) << "screen-saver monitoring keeps the title";
    control.StopScreenSaverDetection();
    EXPECT_EQ(hooks.calls, (std::vector<std::string>{"Register 5=1", "StartCBT=1", "StartKeyOrMouse=1",
                                                      "StartKeyOrMouse=0", "StopKeyOrMouse=1", "StopCBT=1",
                                                      "StopKeyOrMouse=1", "Register -1=1"}));
}

TEST_F(MonitoringControlTest, ManualMonitoringOutlastsActivityAndItsEndEndsAnyMonitoring)
{
    control.ToggleManualMonitoring();
    EXPECT_TRUE(control.ManualMonitoring());
    EXPECT_TRUE(control.MonitoringActive());
    ScreenSaver();
    EXPECT_TRUE(hooks.watching);
    Activity();
    EXPECT_TRUE(control.MonitoringActive());
    EXPECT_TRUE(hooks.watching);
    control.ToggleManualMonitoring();
    EXPECT_FALSE(control.MonitoringActive());
    EXPECT_FALSE(hooks.watching) << "the watch the screen saver started is over too";
    EXPECT_EQ(seenMailEmptied, 1) << "only turning manual monitoring on empties the lists";
    EXPECT_EQ(titles, (std::vector<std::string>{"Night Desk - Monitoring", "Night Desk"}));
    EXPECT_EQ(manual, (std::vector<bool>{true, false}));

    Activity();
    EXPECT_FALSE(control.MonitoringActive());
    ScreenSaver();
    EXPECT_TRUE(control.MonitoringActive());
}

TEST_F(MonitoringControlTest, ActivateScreenSaverKeepsEventsRunningForTwoSecondsUnlessTheProgramQuits)
{
    std::uint64_t start = clock.TickMs();
    int longest = 0;
    pump.PostCancel();  // a cancel does not end the wait
    pump.onWait = [&](int maxMs) {
        longest = std::max(longest, maxMs);
        if (clock.TickMs() - start == 500) ScreenSaver();  // the server reports the start meanwhile
        return PumpResult::Continue;
    };
    control.ActivateScreenSaver();
    EXPECT_EQ(hooks.calls.front(), "ActivateScreenSaver=1");
    EXPECT_EQ(clock.TickMs() - start, 2000u);
    EXPECT_LE(longest, kPumpIntervalMs);
    EXPECT_EQ(pump.waitsWithoutEvents, 0);
    EXPECT_TRUE(control.MonitoringActive());

    start = clock.TickMs();
    pump.onWait = [&](int) { return clock.TickMs() - start >= 300 ? PumpResult::DeferredQuit : PumpResult::Continue; };
    control.ActivateScreenSaver();
    EXPECT_EQ(clock.TickMs() - start, 300u);
}

TEST_F(MonitoringControlTest, ConfigurationIsRefusedOnlyWhileMonitoringByHand)
{
    const std::tuple<ConfigArea, const char*, const char*> cases[] = {
        {ConfigArea::Modems, "You cannot configure modems while Corvane is monitoring.", "Configure Modem Error"},
        {ConfigArea::Pagers, "You cannot configure pagers while Corvane is monitoring.", "Configure Pager Error"},
        {ConfigArea::Services, "You cannot configure service providers while Corvane is monitoring.",
         "Configure Services Error"},
        {ConfigArea::Preferences, "You cannot configure preferences while Corvane is monitoring.",
         "Configure Preferences Error"},
    };
    CRecordingMessageBox boxes;
    control.StartScreenSaverDetection(5);
    for (const auto& [area, text, caption] : cases) EXPECT_FALSE(RefuseWhileMonitoring(area, control, boxes));
    ScreenSaver();
    ASSERT_TRUE(control.MonitoringActive());
    for (const auto& [area, text, caption] : cases) EXPECT_FALSE(RefuseWhileMonitoring(area, control, boxes));
    EXPECT_TRUE(boxes.shown.empty());

    control.ToggleManualMonitoring();
    for (const auto& [area, text, caption] : cases) {
        boxes.shown.clear();
        EXPECT_TRUE(RefuseWhileMonitoring(area, control, boxes));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, text);
        EXPECT_EQ(boxes.shown[0].caption, caption);
        EXPECT_EQ(boxes.shown[0].icon, MbIcon::Warning);
    }
}

}  // namespace
}  // namespace corvane::test
