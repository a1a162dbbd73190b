// The tick's steps for scheduled pages and reminders: SCHEDS.DAT read at start, a due
// schedule sent at once in a scheduled run, and reminders paged while monitoring.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/core/run_state.h"
#include "pim/schedule_file.h"
#include "settings/memory_settings.h"
#include "tests/app/app_fakes.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fake_frame.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

class PimStepsTest : public ::testing::Test {
protected:
    PimStepsTest()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        CPagerList list;
        PagerRecord& ann = *list.NewPager();
        ann.UserName = "Ann";
        ann.PagerType = "1";
        ann.DefaultPageContent = "1";
        ann.AutoPageFlags = kAutoPim;
        list.Save(DataFiles{dir.path(), settings, boxes});
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
    CFakeClock clock;  // 03/07/01 09:05:00 UTC
    CFakePump pump{clock};
    CFakePorts ports;
    CScriptedTransports transports;
    CFakeHookLibrary hooks;
    CRunState state{RunStateDeps{settings, boxes, frame, pump, clock, ports, transports, hooks, "Corvane", dir.path()}};
};

TEST_F(PimStepsTest, ADueScheduleGoesOutInItsOwnSecondWithoutBoxesAndLeavesTheFile)
{
    CScheduledPage page;
    page.nextTime = clock.Now() + 3;
    page.pagers = {1};
    page.messageSource = kSourcePrompt;
    page.alphaText = "Rounds at ten";
    dir.Write(kSchedulesFile, WriteSchedules({page}));
    state.Create(false, 5, "");
    ASSERT_EQ(state.Schedules().Entries().size(), 1u);
    Tick(2);
    EXPECT_TRUE(transports.calls.empty());
    Tick();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(transports.calls[0].pages.at(0).message, "Rounds at ten");
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();  // a scheduled run confirms nothing
    EXPECT_EQ(dir.Read(kSchedulesFile), "");
    EXPECT_EQ(state.Queue().sendRequest, kSendNone);
}

TEST_F(PimStepsTest, RemindersArePagedOnlyWhileMonitoring)
{
    ::mkdir(dir.File("cal").c_str(), 0700);
    dir.Write("cal/a.ics", "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nUID:t\r\nSUMMARY:Check the backup\r\n"
                           "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER;VALUE=DATE-TIME:20010307T091000Z\r\nEND:VALARM\r\n"
                           "END:VTODO\r\nEND:VCALENDAR\r\n");
    settings.Write(key::ScheduleReminders, "1");
    settings.Write(key::SPlusMonitor, "1");
    settings.Write(key::CalendarFiles, dir.File("cal"));
    state.Create(false, 5, "");
    EXPECT_TRUE(frame.switches.pim);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.Texts();
    Tick(60);
    EXPECT_TRUE(state.Pim().Queue().Empty());  // not monitoring: no scan

    state.Monitoring().ToggleManualMonitoring();
    Tick();
    ASSERT_EQ(state.Pim().Queue().Reminders().size(), 1u);
    Tick(4 * 60 - 2);  // 09:09:59
    EXPECT_TRUE(transports.calls.empty());
    Tick();
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(transports.calls[0].pages.at(0).message, " Check the backup");  // no page prefix set
    EXPECT_TRUE(state.Pim().Queue().Empty());
}

}  // namespace
}  // namespace corvane::test
