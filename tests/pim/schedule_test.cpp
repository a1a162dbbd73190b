// Scheduled pages under a clock that the test moves: when they fire, how they move on,
// the time a user types, and the pages they put on the send queue.

#include <gtest/gtest.h>

#include "common/file_io.h"
#include "engine/page_log.h"
#include "pim/schedule_entry.h"
#include "pim/schedule_file.h"
#include "pim/schedule_firing.h"
#include "pim/schedule_list.h"
#include "tests/pim/pim_test_helpers.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

std::string Join(const std::string& a, const std::string& b, const std::string& c) { return a + "|" + b + "|" + c; }

constexpr std::time_t kHour = 3600;
constexpr std::time_t kDay = 86400;

CScheduledPage Every(std::int16_t unit, std::int16_t interval, std::time_t next)
{
    CScheduledPage page;
    page.unit = unit;
    page.interval = interval;
    page.nextTime = next;
    page.pagers = {1};
    return page;
}

class ScheduleListTest : public ::testing::Test {
protected:
    // The schedules as SCHEDS.DAT holds them, loaded by a program started at `start`.
    void Start(const std::vector<CScheduledPage>& pages, std::time_t start)
    {
        dir.Write("SCHEDS.DAT", WriteSchedules(pages));
        ASSERT_TRUE(list.Load(dir.File("SCHEDS.DAT"), start));
    }
    void TickAt(std::time_t now)
    {
        list.Tick(now, [&](const CScheduledPage&) { fired.push_back(now); });
    }
    // Ticks every `step` seconds from `from` to `to`.
    void TickThrough(std::time_t from, std::time_t to, std::time_t step = 60)
    {
        for (std::time_t now = from; now <= to; now += step) TickAt(now);
    }
    std::vector<CScheduledPage> OnDisk() const { return ReadSchedules(dir.Read("SCHEDS.DAT")).schedules; }

    CTempDir dir;
    CScheduleList list;
    std::vector<std::time_t> fired;
};

TEST_F(ScheduleListTest, AOneTimePageFiresOnceAndLeavesTheFile)
{
    const std::time_t at = 983955900;
    Start({Every(kUnitNone, 0, at)}, at - 100);
    TickAt(at - 1);
    EXPECT_TRUE(fired.empty());
    TickAt(at);
    TickAt(at);
    TickAt(at + 1);
    EXPECT_EQ(fired, std::vector<std::time_t>{at});
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_EQ(dir.Read("SCHEDS.DAT"), "");
}

TEST_F(ScheduleListTest, LimitedRepeatsFireTheirCountAndOneMore)
{
    const std::time_t at = 983955900;
    CScheduledPage page = Every(kUnitDay, 1, at);
    page.limited = 1;
    page.remaining = 2;
    Start({page}, at - 100);
    TickAt(at);
    EXPECT_EQ(OnDisk().at(0).remaining, 1);
    EXPECT_EQ(OnDisk().at(0).nextTime, at + kDay);
    TickThrough(at + kHour, at + 5 * kDay, kHour);
    EXPECT_EQ(fired, (std::vector<std::time_t>{at, at + kDay, at + 2 * kDay}));
    EXPECT_TRUE(OnDisk().empty());
}

TEST_F(ScheduleListTest, AnOccurrenceExactlyOnTimeFiresOnceAndMovesOnAWholeInterval)
{
    const std::time_t at = 983955900;
    CScheduledPage page = Every(kUnitHour, 0, at);  // an interval below 1 counts as 1
    Start({page}, at - 100);
    TickAt(at);
    TickAt(at);
    EXPECT_EQ(fired.size(), 1u);
    EXPECT_EQ(list.Entries()[0].page.nextTime, at + kHour);
    EXPECT_EQ(OnDisk().at(0).interval, 1);
}

TEST_F(ScheduleListTest, AStopOfTwoHoursSendsOneMissedPageUnlessSkipIfMissed)
{
    // Every 15 minutes from 08:00; the program was off from 08:00 until 10:07 (or 10:00).
    const std::time_t eight = 983952000;  // 03/07/01 08:00 UTC
    struct Case {
        bool skip;
        std::time_t start;
        std::size_t sent;
        std::time_t next;
    };
    const Case cases[] = {
        {false, eight + 2 * kHour + 420, 1, eight + 2 * kHour + 900},
        {true, eight + 2 * kHour + 420, 0, eight + 2 * kHour + 900},
        {true, eight + 2 * kHour, 0, eight + 2 * kHour + 900},  // started on the quarter hour
        {true, eight, 1, eight + 900},  // due as the program started: not missed
    };
    for (const Case& c : cases) {
        fired.clear();
        CScheduledPage page = Every(kUnitMinute, 15, eight);
        page.skipIfMissed = c.skip;
        Start({page}, c.start);
        TickAt(c.start);
        EXPECT_EQ(fired.size(), c.sent);
        EXPECT_EQ(OnDisk().at(0).nextTime, c.next);
        // From now on it fires as it falls due, skip or not.
        TickAt(c.next);
        EXPECT_EQ(fired.size(), c.sent + 1);
    }
}

TEST_F(ScheduleListTest, MonthlyFromTheThirtyFirstRollsOverAndFollowsFromThere)
{
    struct Case {
        int year;
        int marchDay;
    };
    for (Case c : {Case{2001, 3}, Case{2004, 2}}) {
        fired.clear();
        Start({Every(kUnitMonth, 1, Local(c.year, 1, 31, 9))}, Local(c.year, 1, 1, 0));
        TickThrough(Local(c.year, 1, 31, 9), Local(c.year, 5, 1, 0), kHour);
        EXPECT_EQ(fired, (std::vector<std::time_t>{Local(c.year, 1, 31, 9), Local(c.year, 3, c.marchDay, 9),
                                                   Local(c.year, 4, c.marchDay, 9)}))
            << c.year;
    }
}

TEST_F(ScheduleListTest, DaysAndWeeksKeepTheirWallClockTimeAcrossDaylightSavingChanges)
{
    struct Case {
        const char* zone;
        int month;
        int day;  // the day the clocks change
    };
    const Case cases[] = {{"Europe/Berlin", 3, 31}, {"Europe/Berlin", 10, 27}, {"America/New_York", 3, 10},
                          {"America/New_York", 11, 3}};
    for (const Case& c : cases) {
        CScopedZone zone(c.zone);
        fired.clear();
        // Daily at 09:00 from the day before the change, weekly at 09:30 from four days before.
        Start({Every(kUnitDay, 1, Local(2024, c.month, c.day - 1, 9)),
               Every(kUnitWeek, 1, Local(2024, c.month, c.day - 4, 9, 30))},
              Local(2024, c.month, c.day - 4, 0));
        TickThrough(Local(2024, c.month, c.day - 4, 0), Local(2024, c.month, c.day + 3, 12));
        ASSERT_EQ(fired.size(), 7u) << c.zone;
        for (std::time_t when : fired) {
            WallTime wall = ToWallTime(when);
            EXPECT_TRUE(wall.hour == 9 && (wall.minute == 0 || wall.minute == 30))
                << c.zone << " " << FormatLocalTime("%c", when);
        }
        // The daily page of the day of the change came 23 or 25 hours after the one before.
        EXPECT_EQ(std::abs(fired[2] - fired[1] - kDay), kHour) << c.zone;
        EXPECT_EQ(std::abs(fired[6] - fired[0] - 7 * kDay), kHour) << c.zone;  // the weekly ones
    }
}

TEST_F(ScheduleListTest, ATimeInAGapOrAFoldFiresOnceAtItsFirstValidTime)
{
    CScopedZone zone("America/New_York");
    // 10 March 2024: 02:00 becomes 03:00. 3 November 2024: 01:00 to 02:00 comes twice.
    Start({Every(kUnitDay, 1, Local(2024, 3, 9, 2, 30))}, Local(2024, 3, 9, 0));
    TickThrough(Local(2024, 3, 9, 0), Local(2024, 3, 12, 0), 300);
    EXPECT_EQ(fired, (std::vector<std::time_t>{Local(2024, 3, 9, 2, 30), Local(2024, 3, 10, 3, 0),
                                               Local(2024, 3, 11, 2, 30)}));

    fired.clear();
    Start({Every(kUnitDay, 1, Local(2024, 11, 2, 1, 30))}, Local(2024, 11, 2, 0));
    TickThrough(Local(2024, 11, 2, 0), Local(2024, 11, 5, 0), 300);
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[1], Local(2024, 11, 3, 1, 30));
    EXPECT_EQ(fired[2] - fired[1], kDay + kHour);  // not again an hour later, in standard time
}

TEST_F(ScheduleListTest, TheTickLooksOnlyAtTheEarliestNextTimeAndRetriesAFailedSave)
{
    const std::time_t at = 983955900;
    Start({Every(kUnitHour, 1, at + 50), Every(kUnitDay, 1, at + 10)}, at);
    TickAt(at);  // the first pass
    EXPECT_EQ(list.NextDue(), at + 10);
    const std::uint64_t revision = list.Revision();
    TickThrough(at + 1, at + 9, 1);
    EXPECT_EQ(list.Revision(), revision);

    // The data folder goes away: the change stays in memory and is written once it can be.
    ASSERT_EQ(::rename(dir.path().c_str(), (dir.path().substr(0, dir.path().size() - 1) + ".away").c_str()), 0);
    TickAt(at + 10);
    EXPECT_TRUE(list.Unsaved());
    ASSERT_EQ(::rename((dir.path().substr(0, dir.path().size() - 1) + ".away").c_str(), dir.path().c_str()), 0);
    TickAt(at + 11);
    EXPECT_FALSE(list.Unsaved());
    EXPECT_EQ(OnDisk().at(1).nextTime, at + 10 + kDay);
    EXPECT_EQ(list.NextDue(), at + 50);
}

TEST(ScheduleEntryTest, TypedDatesAndTimes)
{
    struct Date {
        const char *month, *day, *year;
        int expectedYear;  // 0: refused
    };
    for (Date d : {Date{"1", "1", "38", 2038}, Date{"12", "31", "39", 1939}, Date{"2", "29", "04", 2004},
                   Date{"2", "29", "01", 0}, Date{"13", "1", "01", 0}, Date{"4", "31", "01", 0}, Date{"1", "", "01", 0},
                   Date{"1x", "1", "01", 0}, Date{" 3", "7 ", "1", 2001}}) {
        std::optional<WallTime> date = ParseScheduleDate(d.month, d.day, d.year);
        EXPECT_EQ(date ? date->year : 0, d.expectedYear) << d.month << "/" << d.day << "/" << d.year;
    }
    struct Time {
        const char* text;
        int seconds;  // -1: refused
    };
    for (Time t : {Time{"12:00p", 12 * 3600}, Time{"12:00a", 0}, Time{"1:30p", 13 * 3600 + 1800},
                   Time{"11:59 PM", 23 * 3600 + 59 * 60}, Time{"9a", 9 * 3600}, Time{"17:45", 17 * 3600 + 45 * 60},
                   Time{"0:05", 300}, Time{"13:00p", -1}, Time{"0:30a", -1}, Time{"24:00", -1}, Time{"9:60a", -1},
                   Time{"9:30x", -1}, Time{"", -1}}) {
        std::optional<int> seconds = ParseScheduleTime(t.text);
        EXPECT_EQ(seconds.value_or(-1), t.seconds) << t.text;
    }
}

TEST(ScheduleEntryTest, FieldsThatMakeNoScheduleSayWhy)
{
    ScheduleFields fields{"3", "7", "01", "9:05a"};
    fields.unit = kUnitWeek;
    fields.interval = "2";
    fields.remaining = "4";
    fields.limited = true;
    EXPECT_EQ(MakeSchedule(fields).page.nextTime, 983955900);  // TZ=UTC
    for (auto [change, error] : std::vector<std::pair<std::function<void(ScheduleFields&)>, std::string>>{
             {[](ScheduleFields& f) { f.year = "38"; f.month = "2"; }, kLateDateText},
             {[](ScheduleFields& f) { f.day = "32"; }, kBadDateText},
             {[](ScheduleFields& f) { f.time = "25:00"; }, kBadTimeText},
             {[](ScheduleFields& f) { f.interval = "0"; }, kBadCountText},
             {[](ScheduleFields& f) { f.remaining = "40000"; }, kBadCountText},
             {[](ScheduleFields& f) { f.limited = false; f.remaining = "x"; }, ""},
             {[](ScheduleFields& f) { f.unit = kUnitNone; f.interval = ""; }, ""}}) {
        ScheduleFields changed = fields;
        change(changed);
        EXPECT_EQ(MakeSchedule(changed).error, error);
    }
}

TEST(ScheduleFiringTest, EachExistingPagerGetsTheTextItsMessageSourceChooses)
{
    CPagerList pagers;
    PagerRecord& ann = *pagers.NewPager();  // alphanumeric, default message
    ann.UserName = "Ann";
    ann.PagerType = "1";
    ann.DefaultPageContent = "0";
    PagerRecord& bob = *pagers.NewPager();  // numeric, its own message
    bob.UserName = "Bob";
    bob.DefaultPageContent = "2";
    bob.CustomMessage = "555-0100";
    const MessageTexts defaults{"Default alpha", "000", "", "", ""};

    CScheduledPage page = Every(kUnitNone, 0, 0);
    page.pagers = {ann.Code, 99, bob.Code};  // 99 was deleted
    page.alphaText = "Backup starts";
    page.numericText = "42";
    struct Case {
        std::int16_t source;
        std::string ann, bob;
    };
    for (const Case& c : {Case{kSourcePagerSetting, "Default alpha", "555-0100"}, Case{kSourcePrompt, "Backup starts", "42"},
                          Case{kSourceDefault, "Default alpha", "000"}}) {
        page.messageSource = c.source;
        CPageQueue queue;
        EXPECT_EQ(QueueScheduledPages(page, pagers, defaults, queue), 2);
        EXPECT_EQ(queue.requests, (PageRequestList{{kOriginProgram, "Ann", "", "", c.ann}, {kOriginProgram, "Bob", "", "", c.bob}}));
        EXPECT_EQ(queue.sendRequest, kSendScheduled);
    }
    // A run the user asked for keeps its mode; a schedule whose pagers are gone queues nothing.
    CPageQueue queue;
    queue.sendRequest = kSendInteractive;
    QueueScheduledPages(page, pagers, defaults, queue);
    EXPECT_EQ(queue.sendRequest, kSendInteractive);
    page.pagers = {99};
    CPageQueue empty;
    EXPECT_EQ(QueueScheduledPages(page, pagers, defaults, empty), 0);
    EXPECT_EQ(empty.sendRequest, kSendNone);

    page.unit = kUnitMinute;
    page.interval = 15;
    page.limited = 1;
    page.remaining = 3;
    page.skipIfMissed = 1;
    ScheduleDescription d = DescribeSchedule(page, pagers);
    EXPECT_EQ(Join(d.repeat, d.count, d.skip), "Every 15 minutes|3 more time(s)|Skip if missed");
    page.interval = 1;
    page.unit = kUnitDay;
    EXPECT_EQ(DescribeSchedule(page, pagers).repeat, "Every 1 day");
}

}  // namespace
}  // namespace corvane::test
