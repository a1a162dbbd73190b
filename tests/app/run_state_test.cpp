#include "app/core/run_state.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/core/spool_start.h"
#include "common/file_io.h"
#include "settings/memory_settings.h"
#include "tests/app/app_fakes.h"
#include "tests/callmon/line_ports.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fake_frame.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

class RunStateTest : public ::testing::Test {
protected:
    RunStateTest()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        settings.Write(key::PagePort, "/dev/ttyS0");
    }

    void Create() { state.Create(false, 5, spec); }

    PagerRecord& AddPager(const std::string& name, std::uint16_t flags = 0)
    {
        PagerRecord& p = *state.Pagers().NewPager();
        p.UserName = name;
        p.PagerType = "1";
        p.AutoPageFlags = flags;
        return p;
    }

    void SavePagers(const std::string& name)
    {
        CPagerList list;
        list.NewPager()->UserName = name;
        DataFiles files{dir.path(), settings, boxes};
        list.Save(files);
    }

    void Tick(int seconds = 1)
    {
        for (int i = 0; i < seconds; ++i) {
            clock.Advance(1000);
            state.OnTick();
        }
    }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeFrame frame;
    CFakeClock clock;
    CFakePump pump{clock};
    CLinePorts ports;
    CScriptedTransports transports;
    CFakeHookLibrary hooks;
    std::string spec;
    CRunState state{RunStateDeps{settings, boxes, frame, pump, clock, ports, transports, hooks, "Corvane", dir.path()}};
};

TEST_F(RunStateTest, CreationMakesTheLogFilesAndThePagersAreReadAgainAfterTheirInterval)
{
    settings.Write(key::PageListScanMinutes, "1");
    SavePagers("Bob");
    Create();
    EXPECT_TRUE(FileExists(dir.File("log.txt")));
    EXPECT_TRUE(FileExists(dir.File("errorlog.txt")));
    EXPECT_NE(state.Pagers().FindByName("Bob"), nullptr);
    SavePagers("Added elsewhere");
    Tick(60);
    EXPECT_EQ(state.Pagers().FindByName("Added elsewhere"), nullptr);
    Tick();
    EXPECT_NE(state.Pagers().FindByName("Added elsewhere"), nullptr);
    EXPECT_EQ(frame.refreshes, 1);
}

TEST_F(RunStateTest, QueuedPagesWaitForTheSendAndTheUnpauseThenGoInOneRun)
{
    Create();
    AddPager("Bob");
    for (int i = 0; i < 3; ++i) state.Commands().Execute("QueuePage", "Bob/page " + std::to_string(i));
    Tick();
    EXPECT_TRUE(transports.calls.empty());
    state.TogglePause();
    EXPECT_TRUE(frame.switches.paused);
    state.Commands().Execute("SendPages", "");
    Tick(3);
    EXPECT_TRUE(transports.calls.empty());
    EXPECT_EQ(frame.queueCounts.back(), 3);
    state.TogglePause();
    Tick();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(transports.calls[0].pages.size(), 3u);
    EXPECT_EQ(transports.calls[0].pages[2].message, "page 2");
    EXPECT_THAT(frame.statusField, ElementsAre("Paging 1 of 3: Bob", "Paging 2 of 3: Bob", "Paging 3 of 3: Bob", "Idle"));
}

// The run writes its page counters back to the main list: it is not replaced under the run,
// and a re-read asked for meanwhile is done on the first tick after it.
TEST_F(RunStateTest, PagersReReadDuringAPageAreReadOnTheFirstTickAfterIt)
{
    Create();
    AddPager("Bob");
    transports.sendScripts.push_back([this](std::vector<AddedPage>&) {
        SavePagers("Added meanwhile");
        state.Commands().Execute("RereadPagers", "");
        EXPECT_NE(state.Pagers().FindByName("Bob"), nullptr);
        return 0;
    });
    state.Commands().Execute("SendPage", "Bob/hello");
    Tick();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(state.Pagers().FindByName("Added meanwhile"), nullptr);
    EXPECT_EQ(frame.refreshes, 0);
    Tick();
    EXPECT_NE(state.Pagers().FindByName("Added meanwhile"), nullptr);
    EXPECT_EQ(frame.refreshes, 1);
    Tick();
    EXPECT_EQ(frame.refreshes, 1);
}

TEST_F(RunStateTest, CloseDuringAPageClosesOnTheFirstTickAfterIt)
{
    Create();
    AddPager("Bob");
    transports.sendScripts.push_back([this](std::vector<AddedPage>&) {
        state.Commands().Execute("Close", "");
        state.OnTick();  // the tick runs while the call waits
        EXPECT_EQ(frame.closes, 0);
        return 0;
    });
    state.Commands().Execute("SendPage", "Bob/hello");
    Tick();
    EXPECT_EQ(frame.closes, 0);  // the run ended inside this tick
    Tick();
    EXPECT_EQ(frame.closes, 1);
    EXPECT_FALSE(state.CloseRequested());
}

TEST_F(RunStateTest, MonitoringThatEndsDuringAPagePostsOneCancelAndStopsAfterIt)
{
    Create();
    AddPager("Bob", kAutoCallMonitor);
    state.Monitoring().ToggleManualMonitoring();
    Tick();
    EXPECT_EQ(state.MonitoringPhase(), 2);
    transports.sendScripts.push_back([this](std::vector<AddedPage>&) {
        state.Monitoring().ToggleManualMonitoring();
        state.OnTick();
        state.OnTick();
        return kCallCancelled;
    });
    state.Commands().Execute("SendPage", "Bob/hello");
    Tick();
    // One cancel from the ticks during the page; the monitors stop once it has ended.
    EXPECT_EQ(frame.cancels, 1);
    EXPECT_EQ(state.MonitoringPhase(), 0);
    EXPECT_FALSE(state.CancelPosted());
}

TEST_F(RunStateTest, MonitoringStartWarnsClearsThePauseAndOpensTheMonitorModem)
{
    settings.Write(key::MonitorPhone, "1");
    settings.Write(key::ScheduleReminders, "1");
    settings.Write(key::MailMonitor, "1");
    Create();
    EXPECT_EQ(boxes.Texts(), "EMail Error: EMail is not installed in your system.\n");
    EXPECT_EQ(settings.Get(key::MailMonitor), "0");
    EXPECT_FALSE(frame.switches.mail);
    boxes.shown.clear();
    state.TogglePause();
    state.Monitoring().ToggleManualMonitoring();
    EXPECT_THAT(frame.titles, ElementsAre("Corvane - Monitoring"));
    Tick();
    EXPECT_EQ(boxes.Texts(),
              "PIM Monitor: PIM Monitoring is enabled, but there is no pager set to receive the pages.  Please refer "
              "to the PIMs tab on the Preferences dialog box.\n"
              "PIM Monitor: PIM Monitoring is enabled, but there is no PIM selected.  Please refer to the PIMs tab on "
              "the Preferences dialog box.\n"
              "Call Monitor: Call Monitoring is enabled, but there is no pager set to receive the pages.  Please "
              "refer to the Call Monitoring tab on the Preferences dialog box.\n");
    EXPECT_FALSE(state.Queue().paused);
    EXPECT_THAT(ports.events, ElementsAre("open monitor"));
    state.Monitoring().ToggleManualMonitoring();
    Tick();
    EXPECT_THAT(ports.events, ElementsAre("open monitor", "close monitor"));
}

TEST_F(RunStateTest, TheTickGoesOnInsideAWarningThatNobodyAnswersAndWarnsOnce)
{
    settings.Write(key::MonitorPhone, "1");  // and no pager receives call pages
    Create();
    int warningsInside = -1;
    boxes.onShow = [&](const ShownBox&) {
        if (warningsInside >= 0) return;
        warningsInside = 0;
        EXPECT_EQ(state.MonitoringPhase(), 2);  // started before the first box
        Tick(3);
        state.Monitoring().ToggleManualMonitoring();
        Tick();
        warningsInside = static_cast<int>(boxes.shown.size());
    };
    state.Monitoring().ToggleManualMonitoring();
    Tick();
    EXPECT_EQ(warningsInside, 1);
    // Ended while the warning was up, and the monitor modem is not opened again after it.
    EXPECT_EQ(state.MonitoringPhase(), 0);
    EXPECT_THAT(ports.events, ElementsAre("open monitor", "close monitor"));
}

TEST_F(RunStateTest, AMonitorModemThatWillNotOpenKeepsTheCallMonitorOffForThatPeriod)
{
    settings.Write(key::MonitorPhone, "1");
    Create();
    AddPager("Bob", kAutoCallMonitor);
    ports.monitorOpenResult = false;
    state.Monitoring().ToggleManualMonitoring();
    Tick();
    EXPECT_FALSE(frame.switches.callMonitor);
    EXPECT_EQ(settings.Get(key::MonitorPhone), "1");
    state.Monitoring().ToggleManualMonitoring();
    Tick();
    EXPECT_TRUE(frame.switches.callMonitor);
}

TEST_F(RunStateTest, PagesQueuedAtStartShowInTheQueuePane)
{
    Create();
    state.QueueCommandLinePages({"Bob/one", "Bob/two"});
    ASSERT_FALSE(frame.queueCounts.empty());
    EXPECT_EQ(frame.queueCounts.back(), 2);
    dir.Write("pages.txt", "Bob/three\n");
    state.QueueCommandFile(dir.File("pages.txt"));
    EXPECT_EQ(frame.queueCounts.back(), 3);
}

TEST_F(RunStateTest, ACallWhileMonitoringIsPagedOnTheTickAndAPageStillWaitingGoesWhenMonitoringEnds)
{
    const std::string threeRings = "\r\nRING\r\n\r\nNMBR = 5551234\r\n\r\nRING\r\n\r\nRING\r\n";
    settings.Write(key::MonitorPhone, "1");
    settings.Write(key::DelaySeconds, "0");
    Create();
    AddPager("Bob", kAutoCallMonitor);
    state.Monitoring().ToggleManualMonitoring();
    Tick();
    ports.line.inbox = threeRings;
    Tick();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(transports.calls[0].pages.at(0).message, " 09:05  Caller Number = 555-1234");

    settings.Write(key::DelaySeconds, "60");
    Tick(11);
    ports.line.inbox = threeRings;
    Tick();
    EXPECT_EQ(state.CallMonitor().PendingPages().size(), 1u);
    state.Monitoring().ToggleManualMonitoring();
    Tick();
    EXPECT_TRUE(state.CallMonitor().PendingPages().empty());
    Tick(61);
    EXPECT_EQ(transports.calls.size(), 1u);
}

TEST_F(RunStateTest, AMonitorSwitchNeedsARecipient)
{
    Create();
    state.ToggleMonitorPhone();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Monitor Error");
    EXPECT_EQ(boxes.shown[0].text,
              "Call Monitoring cannot be enabled.  You have not selected a pager to receive Call Monitor pages.  "
              "Please select a pager using the Call Monitoring tab on the Preferences dialog box.");
    EXPECT_EQ(settings.Get(key::MonitorPhone), "0");
    EXPECT_FALSE(frame.switches.callMonitor);

    AddPager("Bob", kAutoCallMonitor | kAutoPim);
    state.ToggleMonitorPhone();
    EXPECT_EQ(settings.Get(key::MonitorPhone), "1");
    EXPECT_TRUE(frame.switches.callMonitor);
    EXPECT_TRUE(ports.events.empty());  // the modem opens only while monitoring by hand
    state.ToggleMonitorPhone();
    EXPECT_EQ(settings.Get(key::MonitorPhone), "0");

    state.ToggleMonitorPim();  // no calendar selected: on
    EXPECT_TRUE(frame.switches.pim);
    state.ToggleMonitorPim();
    settings.Write(key::OutlookMonitor, "1");
    boxes.shown.clear();
    state.ToggleMonitorPim();  // no calendar server set: said once, the choices kept, tried again later
    EXPECT_TRUE(frame.switches.pim);
    EXPECT_EQ(settings.Get(key::ScheduleReminders), "1");
    EXPECT_EQ(settings.Get(key::OutlookMonitor), "1");
    EXPECT_EQ(boxes.Texts(), std::string("Calendar Error: ") + kServerLoadText + "\n");
}

TEST_F(RunStateTest, TheCallerIdPopupAsksFirstAndKeepsTheMonitorModemOpen)
{
    Create();
    state.ToggleCallerIdPopup();  // answered No
    EXPECT_EQ(boxes.shown.back().text,
              "Activating the Caller ID pop-up box will prevent other applications from utilizing the Call Monitor "
              "modem while Corvane is running.  Are you sure you want to do this?");
    EXPECT_EQ(boxes.shown.back().caption, "Modem Warning");
    EXPECT_EQ(boxes.shown.back().buttons, MbButtons::YesNo);
    EXPECT_FALSE(frame.switches.callerIdPopup);
    boxes.answers.push_back(MbAnswer::Yes);
    state.ToggleCallerIdPopup();
    EXPECT_TRUE(frame.switches.callerIdPopup);
    EXPECT_EQ(settings.Get(key::CIDPopup), "1");
    EXPECT_THAT(ports.events, ElementsAre("open monitor"));
    state.ToggleCallerIdPopup();
    EXPECT_EQ(settings.Get(key::CIDPopup), "0");
    EXPECT_THAT(ports.events, ElementsAre("open monitor", "close monitor"));
}

TEST_F(RunStateTest, CommandFilesAreScannedEveryInterval)
{
    spec = dir.File("*.cmd");
    Create();
    AddPager("Bob");
    dir.Write("one.cmd", "Bob/from a file\n");
    Tick(5);
    EXPECT_TRUE(FileExists(dir.File("one.cmd")));
    Tick();
    EXPECT_FALSE(FileExists(dir.File("one.cmd")));
    Tick();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(transports.calls[0].pages[0].message, "from a file");
}

TEST_F(RunStateTest, DuringAPageTheShutDownIsRefusedAndTheTrayIconAlternates)
{
    Create();
    EXPECT_FALSE(state.RefuseShutDown());
    state.Queue().pageInProgress = true;
    EXPECT_TRUE(state.RefuseShutDown());
    EXPECT_EQ(boxes.shown.back().text,
              "The application cannot be shut down.  There is currently a page in progress.  You must cancel the "
              "page before shutting down the application.");
    EXPECT_EQ(boxes.shown.back().caption, "Shut-Down");
    EXPECT_EQ(boxes.shown.back().icon, MbIcon::Error);
    Tick(3);
    state.Queue().pageInProgress = false;
    Tick(2);
    EXPECT_THAT(frame.icons, ElementsAre(true, false, true, false));
}

TEST_F(RunStateTest, RequestsLeftInTheSpoolAreSentFirstAtTheNextStart)
{
    {
        CPageSpool left(SpoolFolder(dir.path(), "Corvane"), clock);
        left.Open();
        PageRequest cutOff{kOriginCommand, "Bob", "", "", "cut off"};
        PageRequest waits{kOriginCommand, "Bob", "", "", "waits"};
        left.Keep(cutOff, kSendCommand);
        left.Keep(waits, kSendNone);
    }  // the program was killed
    const std::string journal = dir.Read("spool/Corvane/journal");
    dir.Write("spool/Corvane/journal", journal + "damaged");
    Create();
    AddPager("Bob");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Page Spool Error");
    EXPECT_EQ(boxes.shown[0].text, "The page spool held requests that could not be read.  They were not sent: moved to " +
                                       dir.path() + "spool/Corvane/damaged/journal-983955900-" +
                                       std::to_string(journal.size()) + ".");
    EXPECT_EQ(state.Queue().sendRequest, kSendCommand);
    state.QueueCommandLinePages({"Bob/new"});
    EXPECT_EQ(frame.queueCounts.back(), 3);

    Tick();
    ASSERT_EQ(transports.calls.size(), 1u);
    ASSERT_EQ(transports.calls[0].pages.size(), 3u);
    EXPECT_EQ(transports.calls[0].pages[0].message, "cut off");
    EXPECT_EQ(transports.calls[0].pages[1].message, "waits");
    EXPECT_EQ(transports.calls[0].pages[2].message, "new");
    EXPECT_EQ(dir.Read("spool/Corvane/journal"), "") << "all three settled";
}

}  // namespace
}  // namespace corvane::test
