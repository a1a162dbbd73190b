// The reminder monitor under a clock the test moves: calendars that are not there, the
// scans, and the pages of a reminder when its time comes.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "pim/pim_monitor.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

constexpr std::time_t kOnePm = 1715000400;  // 05/06/24 13:00 UTC

// A meeting on 6 May 2024 from hour:00 to an hour later (UTC), reminded 15 minutes before.
std::string Meeting(int hour)
{
    const std::string h = std::to_string(hour), next = std::to_string(hour + 1);
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:m" + h + "\r\nDTSTART:20240506T" + h +
           "0000Z\r\nDTEND:20240506T" + next + "0000Z\r\nSUMMARY:Budget review\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\n"
           "TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

class PimMonitorTest : public ::testing::Test {
protected:
    PimMonitorTest()
    {
        clock.SetNow(kOnePm);
        settings.Write(key::LogFileName, dir.File("log.txt"));
        dir.Write("log.txt", "");
        dir.Write("errorlog.txt", "");
        settings.Write(key::ScheduleReminders, "1");
        settings.Write(key::SPlusMonitor, "1");
        settings.Write(key::CalendarFiles, dir.File("calendars"));
        ::mkdir(dir.File("calendars").c_str(), 0700);
        dir.Write("calendars/work.ics", Meeting(14));

        PagerRecord& ann = *pagers.NewPager();  // alphanumeric, by modem, with a counter
        ann.UserName = "Ann";
        ann.PagerType = "1";
        ann.PhoneNumber = "555-1212";
        ann.MaximumPageLength = 30;
        ann.SendPageCounter = 1;
        ann.PageCounter = 999;
        ann.AutoPageFlags = kAutoPim;
        PagerRecord& bob = *pagers.NewPager();  // numeric
        bob.UserName = "Bob";
        bob.PhoneNumber = "555-3434";
        bob.AutoPageFlags = kAutoPim | kAutoMail;
        PagerRecord& carl = *pagers.NewPager();  // no reminder pages
        carl.UserName = "Carl";
        carl.AutoPageFlags = kAutoMail;
    }

    void At(std::time_t when)
    {
        clock.SetNow(when);
        monitor.Tick(queue, pagers, texts, 3600);
    }
    int Scans() const { return static_cast<int>(std::count(view.statusLine.begin(), view.statusLine.end(), "Ready")); }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeMainView view;
    CFakeClock clock;
    CFakePump pump{clock};
    CFakePorts ports;
    CScriptedTransports transports;
    DataFiles files{dir.path(), settings, boxes};
    CPimMonitor monitor{{settings, boxes, view, pump, clock, ports, transports, files}};
    CPagerList pagers;
    CPageQueue queue;
    MessageTexts texts{"", "", "", "PIM:", ""};
};

TEST_F(PimMonitorTest, AReminderPagesEveryReminderPagerThroughItsRouteAndIsLogged)
{
    ASSERT_TRUE(monitor.Apply());
    EXPECT_TRUE(boxes.shown.empty());
    monitor.StartMonitoring();
    At(kOnePm);
    ASSERT_EQ(monitor.Queue().Reminders().size(), 1u);
    EXPECT_EQ(view.statusLine.front(), "Processing appointment alarm at May 06, 2024  13:45");
    At(kOnePm + 44 * 60 + 59);
    EXPECT_TRUE(transports.calls.empty());

    At(kOnePm + 45 * 60);
    EXPECT_TRUE(monitor.Queue().Empty());
    ASSERT_EQ(transports.calls.size(), 2u);
    ASSERT_EQ(transports.calls[0].pages.size(), 1u);
    // The counter after 999 is 0; the page is cut to the pager's length.
    EXPECT_EQ(transports.calls[0].pages[0].message, "0- PIM: 02:00-03:00 Budget rev");
    EXPECT_EQ(transports.calls[1].numeric, (std::vector<std::pair<std::string, std::string>>{{"", "PIM:0200"}}));
    EXPECT_EQ(dir.Read("log.txt"), "05/06/24 01:45PM Ann: 0- PIM: 02:00-03:00 Budget rev\n"
                                   "05/06/24 01:45PM Bob: PIM:0200\n");
    // "MonitorPort" is "PagePort" ("NONE" both): the monitor modem gives way, as in a send run.
    EXPECT_EQ(ports.events, (std::vector<std::string>{"close monitor", "open page 300 quiet", "close page"}));
    EXPECT_EQ(pagers.at(0).PageCounter, 0);
    CPagerList stored;
    stored.LoadLocal(files);
    EXPECT_EQ(stored.FindByName("Ann")->PageCounter, 0);
    EXPECT_EQ(view.statusField,
              (std::vector<std::string>{"Sending PIM reminder page to Ann", "Sending PIM reminder page to Bob", "Idle"}));
    EXPECT_FALSE(queue.pageInProgress);

    // Through a gateway, and not in the page log when "LogSchedule+" is "0".
    dir.Write("log.txt", "");
    settings.Write(key::LogSchedulePlus, "0");
    settings.Write(key::PagePort, "SV");
    settings.Write(key::ContentTimeFormat, "1");
    dir.Write("calendars/work.ics", Meeting(16));
    monitor.StartMonitoring();
    At(kOnePm + 3600);
    EXPECT_EQ(monitor.Queue().Reminders().size(), 1u);
    At(kOnePm + 2 * 3600 + 45 * 60);
    ASSERT_EQ(transports.gateway.size(), 2u);
    EXPECT_EQ(transports.gateway[0].text, "PIM: 16:00-17:00 Budget review");
    EXPECT_FALSE(transports.gateway[0].showErrors);
    EXPECT_EQ(transports.gateway[1].text, "PIM:1600");
    EXPECT_EQ(dir.Read("log.txt"), "");
}

TEST_F(PimMonitorTest, AFailedPageIsTriedAgainForThePagersStillWithoutItAndACancelDropsIt)
{
    ASSERT_TRUE(monitor.Apply());
    monitor.StartMonitoring();
    At(kOnePm);
    transports.sendScripts = {[](std::vector<AddedPage>&) { return 4; }, nullptr};  // Ann's line is busy
    At(kOnePm + 45 * 60);
    EXPECT_EQ(dir.Read("errorlog.txt"), "05/06/24 01:45PM Error 4 To Ann: 0- PIM: 02:00-03:00 Budget rev\n");
    EXPECT_EQ(dir.Read("log.txt"), "05/06/24 01:45PM Bob: PIM:0200\n");
    ASSERT_EQ(monitor.Queue().Reminders().size(), 1u);
    At(kOnePm + 45 * 60 + kReminderRetrySeconds - 1);  // not every second
    EXPECT_EQ(transports.calls.size(), 2u);
    // The attempt took the 4-second pause between its two modem calls; the retry comes
    // 30 seconds after it ended: Ann again, Bob not.
    At(kOnePm + 45 * 60 + 4 + kReminderRetrySeconds);
    ASSERT_EQ(transports.calls.size(), 3u);
    EXPECT_EQ(transports.calls[2].phone, "555-1212");
    EXPECT_TRUE(monitor.Queue().Empty());

    // The user's Cancel ends the page, and the reminder is not tried again.
    dir.Write("calendars/work.ics", Meeting(16));
    monitor.StartMonitoring();
    At(kOnePm + 3600);
    transports.sendScripts = {[](std::vector<AddedPage>&) { return kCallCancelled; }};
    At(kOnePm + 2 * 3600 + 45 * 60);
    EXPECT_EQ(transports.calls.size(), 4u);  // Bob was not called after the cancel
    EXPECT_TRUE(monitor.Queue().Empty());
}

TEST_F(PimMonitorTest, ACalendarThatCannotBeReadKeepsItsChoiceAndItsRemindersAndIsReadAgainLater)
{
    settings.Write(key::CalendarFiles, dir.File("elsewhere"));
    ASSERT_TRUE(monitor.Apply());  // still on: the choice is kept
    EXPECT_EQ(boxes.Texts(), std::string("Calendar Error: ") + kFilesLoadText + "\n");
    EXPECT_EQ(boxes.shown[0].icon, MbIcon::Error);
    EXPECT_EQ(settings.Get(key::SPlusMonitor), "1");
    EXPECT_EQ(settings.Get(key::ScheduleReminders), "1");
    monitor.StartMonitoring();
    At(kOnePm - 3600);  // 12:00, the first scan: said once only
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(monitor.Queue().Empty());

    settings.Write(key::CalendarFiles, dir.File("calendars"));
    At(kOnePm);  // 13:00: an hour is not yet more than ScanMinutes
    EXPECT_EQ(Scans(), 1);
    At(kOnePm + 1);
    EXPECT_EQ(Scans(), 2);
    EXPECT_EQ(monitor.Queue().Reminders().size(), 1u);

    // The folder goes away: said again (it had been read well meanwhile), and the
    // reminder read before still pages at its time.
    ASSERT_EQ(::rename(dir.File("calendars").c_str(), dir.File("gone").c_str()), 0);
    monitor.StartMonitoring();
    At(kOnePm + 60);
    EXPECT_EQ(boxes.shown.size(), 2u);
    At(kOnePm + 45 * 60);
    EXPECT_EQ(transports.calls.size(), 2u);

    settings.Write(key::ScheduleReminders, "0");
    EXPECT_FALSE(monitor.Apply());
    EXPECT_FALSE(monitor.On());
}

}  // namespace
}  // namespace corvane::test
