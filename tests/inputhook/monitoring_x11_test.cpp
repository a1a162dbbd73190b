// The program's monitoring reactions driven by the real library under Xvfb: the
// screen saver starts monitoring, a key or a real mouse move ends it.

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <poll.h>

#include "app/core/hook_library.h"
#include "app/core/monitoring_control.h"
#include "common/clock.h"
#include "tests/inputhook/xvfb_server.h"

namespace corvane::test {
namespace {

constexpr int kReportWaitMs = 5000;

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

// The shell's part: the channel's descriptor watched by the event loop, each report
// handed to the monitoring control.
class CChannelPump : public IEventPump {
public:
    explicit CChannelPump(CHookChannel& channel) : m_channel(channel) {}
    PumpResult Wait(int maxMs, int, bool takeEvents) override
    {
        pollfd wait{m_channel.ReadFd(), POLLIN, 0};
        if (poll(&wait, 1, maxMs) == 1 && takeEvents) Dispatch();
        return PumpResult::Continue;
    }
    void Dispatch()
    {
        m_channel.ReadAll([this](std::uint32_t message) { control->OnHookMessage(message); });
    }
    // Runs the loop until the next report has been handled (or the wait is over).
    bool HandleNextReport(int timeoutMs)
    {
        pollfd wait{m_channel.ReadFd(), POLLIN, 0};
        if (poll(&wait, 1, timeoutMs) != 1) return false;
        Dispatch();
        return true;
    }
    CMonitoringControl* control = nullptr;

private:
    CHookChannel& m_channel;
};

class MonitoringX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!CXvfbServer::Installed()) GTEST_SKIP() << "Xvfb is not installed";
        std::string error;
        ASSERT_TRUE(m_server.Start(&error)) << error;
        setenv("DISPLAY", m_server.Display().c_str(), 1);
        ASSERT_TRUE(m_channel.Open());
        m_pump.control = &m_control;
        m_hooks.StopCBT();
        m_hooks.StopKeyOrMouse();
        m_control.StartScreenSaverDetection(m_channel.LibraryFd());
    }

    void TearDown() override { m_control.StopScreenSaverDetection(); }

    void X(const std::vector<std::string>& args)
    {
        ASSERT_EQ(RunX11Client(m_server.Display(), args), 0) << args[0];
    }

    void StartScreenSaver()
    {
        X({"xset", "s", "reset"});
        X({"xset", "s", "activate"});
        ASSERT_TRUE(m_pump.HandleNextReport(kReportWaitMs));
    }

    CXvfbServer m_server;
    CHookChannel m_channel;
    CInputHookLibrary m_hooks;
    CSystemClock m_clock;
    CChannelPump m_pump{m_channel};
    CRecordingView m_view;
    CCountingSeenMail m_seenMail;
    CMonitoringControl m_control{m_hooks, m_pump, m_clock, m_view, m_seenMail, "Corvane"};
};

TEST_F(MonitoringX11Test, ScreenSaverStartsMonitoringAndAKeyEndsIt)
{
    StartScreenSaver();
    EXPECT_TRUE(m_control.MonitoringActive());
    X({"xdotool", "key", "a"});
    ASSERT_TRUE(m_pump.HandleNextReport(kReportWaitMs));
    EXPECT_FALSE(m_control.MonitoringActive());
    EXPECT_EQ(m_seenMail.empties, 1);
}

TEST_F(MonitoringX11Test, SlidingMouseKeepsMonitoringADiagonalMoveEndsIt)
{
    StartScreenSaver();
    for (int i = 0; i < 4; ++i) X({"xdotool", "mousemove_relative", "6", "0"});
    StartScreenSaver();  // the marker: every report before it has been handled
    EXPECT_TRUE(m_control.MonitoringActive());
    X({"xdotool", "mousemove_relative", "6", "6"});
    ASSERT_TRUE(m_pump.HandleNextReport(kReportWaitMs));
    EXPECT_FALSE(m_control.MonitoringActive());
}

TEST_F(MonitoringX11Test, ManualMonitoringOutlastsScreenSaverAndKeys)
{
    m_control.ToggleManualMonitoring();
    StartScreenSaver();
    X({"xdotool", "key", "a"});
    ASSERT_TRUE(m_pump.HandleNextReport(kReportWaitMs));
    EXPECT_TRUE(m_control.MonitoringActive());
    m_control.ToggleManualMonitoring();
    EXPECT_FALSE(m_control.MonitoringActive());
    EXPECT_EQ(m_view.titles, (std::vector<std::string>{"Corvane - Monitoring", "Corvane"}));
}

TEST_F(MonitoringX11Test, ActivateScreenSaverCommandStartsMonitoringBeforeItReturns)
{
    m_control.ActivateScreenSaver();
    EXPECT_TRUE(m_control.MonitoringActive());
}

}  // namespace
}  // namespace corvane::test
