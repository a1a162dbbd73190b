// The two calendars reminders come from: .ics files in a folder, and a CalDAV calendar on
// a real radicale server (and servers that refuse, are not there or hang).

#include <unistd.h>

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <algorithm>
#include <fstream>

#include "common/clock.h"
#include "common/poll_pump.h"
#include "engine/page_log.h"
#include "net/curl_session.h"
#include "pim/caldav_response.h"
#include "pim/caldav_source.h"
#include "pim/ics_file_source.h"
#include "settings/memory_settings.h"
#include "tests/net/loopback.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_servers.h"

namespace corvane::test {
namespace {

constexpr std::time_t kDay = 86400;
constexpr std::time_t kNow = 1714989600;  // 05/06/24 10:00 UTC, a Monday

const std::string kMeeting =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:meeting\r\n"
    "DTSTAMP:20240101T000000Z\r\nDTSTART:20240506T140000Z\r\nDTEND:20240506T150000Z\r\nSUMMARY:Budget review\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";
const std::string kWeekly =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:weekly\r\n"
    "DTSTAMP:20240101T000000Z\r\nDTSTART:20240422T090000Z\r\nDTEND:20240422T093000Z\r\n"
    "RRULE:FREQ=WEEKLY\r\nEXDATE:20240513T090000Z\r\nSUMMARY:Team\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER:-PT5M\r\nEND:VALARM\r\nEND:VEVENT\r\n"
    "END:VCALENDAR\r\n";
const std::string kTask =
    "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VTODO\r\nUID:task\r\n"
    "DTSTAMP:20240101T000000Z\r\nSUMMARY:Send invoices\r\n"
    "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\nTRIGGER;VALUE=DATE-TIME:20240507T163000Z\r\nEND:VALARM\r\n"
    "END:VTODO\r\nEND:VCALENDAR\r\n";

// Each reminder as "time|alphanumeric text|numeric text", in time order (TZ=UTC).
std::vector<std::string> Seen(std::vector<CPimReminder> reminders)
{
    std::stable_sort(reminders.begin(), reminders.end(),
                     [](const CPimReminder& a, const CPimReminder& b) { return a.reminderTime < b.reminderTime; });
    std::vector<std::string> seen;
    for (const CPimReminder& r : reminders)
        seen.push_back(FormatLocalTime("%m/%d %H:%M|", r.reminderTime) + ReminderAlphaText(r, true) + "|" +
                       ReminderNumericText(r, true));
    return seen;
}

const std::vector<std::string> kExpected = {
    "05/06 13:45|14:00-15:00 Budget review|1400", "05/07 16:30|Send invoices|1630",
    "05/20 08:55|09:00-09:30 Team|0900",  // not 13 May: that one is an exception
    "05/27 08:55|09:00-09:30 Team|0900",
};

TEST(IcsFileSourceTest, AFolderOfCalendarFilesGivesTheirRemindersForSixtyDays)
{
    CTempDir dir;
    CMemorySettings settings;
    CFakeClock clock;
    CFakePump pump(clock);
    CIcsFileSource source(settings, pump, 1);
    EXPECT_EQ(source.Connect(), kFilesLoadText);  // nothing chosen yet
    settings.Write(key::CalendarFiles, dir.File("calendars"));
    EXPECT_EQ(source.Connect(), kFilesLoadText);  // not there
    SourceScan missing = source.Scan(kNow);
    EXPECT_FALSE(missing.read);
    EXPECT_EQ(missing.problems, std::vector<std::string>{kFilesLoadText});

    ASSERT_EQ(::mkdir(dir.File("calendars").c_str(), 0700), 0);
    dir.Write("calendars/work.ics", kMeeting + kWeekly);
    dir.Write("calendars/tasks.ICS", kTask);
    dir.Write("calendars/notes.txt", kMeeting);  // not a calendar file: not read
    dir.Write("calendars/broken.ics", "this is no calendar\n");
    EXPECT_EQ(source.Connect(), "");
    SourceScan scan = source.Scan(kNow);
    EXPECT_TRUE(scan.read);
    std::vector<std::string> expected = kExpected;
    expected.push_back("06/03 08:55|09:00-09:30 Team|0900");
    expected.push_back("06/10 08:55|09:00-09:30 Team|0900");
    expected.push_back("06/17 08:55|09:00-09:30 Team|0900");
    expected.push_back("06/24 08:55|09:00-09:30 Team|0900");
    expected.push_back("07/01 08:55|09:00-09:30 Team|0900");  // the last within 60 days
    EXPECT_EQ(Seen(scan.reminders), expected);
    EXPECT_EQ(scan.problems, std::vector<std::string>{"The calendar file \"" + dir.File("calendars/broken.ics") +
                                                      "\" holds no iCalendar data; it has no reminders to page."});

    // A file far larger than any calendar is not read; the single file of the setting is.
    {
        std::ofstream(dir.File("calendars/huge.ics"));
    }
    ASSERT_EQ(::truncate(dir.File("calendars/huge.ics").c_str(), static_cast<off_t>(kMaxCalendarBytes) + 1), 0);
    SourceScan huge = source.Scan(kNow);
    EXPECT_EQ(huge.reminders.size(), scan.reminders.size());
    EXPECT_EQ(huge.problems.back(), "The calendar file \"" + dir.File("calendars/huge.ics") +
                                        "\" is larger than 64 MB and was not read; its reminders will not be paged.");
    settings.Write(key::CalendarFiles, dir.File("calendars/tasks.ICS"));
    EXPECT_EQ(Seen(source.Scan(kNow).reminders), std::vector<std::string>{kExpected[1]});
    // The files give a reminder only when it is later than now.
    EXPECT_TRUE(source.Scan(1715099400).reminders.empty());
}

TEST(CalDavResponseTest, CalendarDataIsTakenFromAnyPrefixWithItsReferencesUndone)
{
    const std::string xml =
        "<?xml version=\"1.0\"?><multistatus xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:caldav\">"
        "<response><propstat><prop><C:calendar-data>BEGIN:VCALENDAR&#13;\nA&amp;B &lt;x&gt; &#xE9;&bogus;"
        "</C:calendar-data></prop></propstat></response><!-- <cal:calendar-data>no</cal:calendar-data> -->"
        "<response><prop><calendar-data xmlns=\"urn:ietf:params:xml:ns:caldav\"><![CDATA[<raw> &amp;]]>"
        "</calendar-data><cal:calendar-data/></prop></response></multistatus>";
    EXPECT_EQ(CalendarDataOf(xml),
              (std::vector<std::string>{"BEGIN:VCALENDAR\r\nA&B <x> \xC3\xA9&bogus;", "<raw> &amp;"}));
    EXPECT_NE(CalendarQuery("VTODO", kNow, kNow + kDay).find(
                  "<C:comp-filter name=\"VTODO\"><C:time-range start=\"20240506T100000Z\" end=\"20240507T100000Z\"/>"),
              std::string::npos);
}

// A plain HTTP request of the test itself, for setting the calendar up.
long Http(const std::string& method, const std::string& url, const std::string& body = "")
{
    CURL* easy = curl_easy_init();
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: text/calendar; charset=utf-8");
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(easy, CURLOPT_USERPWD, "testuser:testpass");
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, +[](char*, std::size_t s, std::size_t n, void*) { return s * n; });
    long code = 0;
    if (curl_easy_perform(easy) == CURLE_OK) curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
    return code;
}

// "MailPassword" as the preferences store it.
std::string Scrambled(const std::string& clear)
{
    std::string stored = clear;
    for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<char>(stored[i] + i % 5);
    return stored;
}

class CalDavSourceTest : public ::testing::Test {
protected:
    CalDavSourceTest() { InitialiseCurl(); }
    SourceScan Scan()
    {
        CCalDavSource source(settings, pump, clock, 2);
        EXPECT_EQ(source.Connect(), "");
        return source.Scan(kNow);
    }
    CMemorySettings settings;
    CPollPump pump;
    CSystemClock clock;
};

TEST_F(CalDavSourceTest, ARadicaleCalendarGivesItsRemindersForNinetyDays)
{
    int port = 0;
    CORVANE_REQUIRE_SERVER("caldav", port);
    const std::string calendar = "http://127.0.0.1:" + std::to_string(port) + "/testuser/reminders-" +
                                 std::to_string(::getpid()) + "/";
    ASSERT_EQ(Http("MKCALENDAR", calendar), 201);
    ASSERT_EQ(Http("PUT", calendar + "meeting.ics", kMeeting), 201);
    ASSERT_EQ(Http("PUT", calendar + "weekly.ics", kWeekly), 201);
    ASSERT_EQ(Http("PUT", calendar + "task.ics", kTask), 201);
    settings.Write(key::CalendarUrl, calendar);
    settings.Write(key::ScheduleName, "testuser");
    settings.Write(key::MailPassword, Scrambled("testpass"));

    SourceScan scan = Scan();
    EXPECT_TRUE(scan.read);
    EXPECT_TRUE(scan.problems.empty()) << scan.problems.front();
    std::vector<std::string> seen = Seen(scan.reminders);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(seen.begin(), seen.begin() + 4), kExpected);
    EXPECT_EQ(seen.back(), "07/29 08:55|09:00-09:30 Team|0900");  // the last Monday within 90 days

    settings.Write(key::MailPassword, Scrambled("wrong"));
    EXPECT_EQ(Scan().problems, std::vector<std::string>{kServerLogonText});
    settings.Write(key::MailPassword, Scrambled("testpass"));
    settings.Write(key::CalendarUrl, "http://127.0.0.1:" + std::to_string(port) + "/testuser/absent-" +
                                         std::to_string(::getpid()) + "/");
    SourceScan notThere = Scan();
    EXPECT_FALSE(notThere.read);
    EXPECT_EQ(notThere.problems, std::vector<std::string>{kServerCalendarText});
}

TEST_F(CalDavSourceTest, AServerThatIsNotThereOrHangsIsReportedInBoundedTime)
{
    CCalDavSource unset(settings, pump, clock, 2);
    EXPECT_EQ(unset.Connect(), kServerLoadText);
    settings.Write(key::CalendarUrl, "ftp://127.0.0.1/calendar/");
    EXPECT_EQ(unset.Connect(), kServerLoadText);

    // A listener that takes the connection and never answers; the fake clock lets the
    // request's time run out at once.
    CLoopbackListener silent(4);
    const std::string url = "http://127.0.0.1:" + std::to_string(silent.port()) + "/cal/";
    settings.Write(key::CalendarUrl, url);
    CFakeClock fakeClock;
    CFakePump fakePump(fakeClock);
    CCalDavSource hanging(settings, fakePump, fakeClock, 2);
    SourceScan scan = hanging.Scan(kNow);
    EXPECT_FALSE(scan.read);
    EXPECT_EQ(scan.problems, std::vector<std::string>{kServerLoadText});
    EXPECT_GE(fakeClock.TickMs() - 1000000, static_cast<std::uint64_t>(CCalDavSource::kTimeoutMs));
    silent.Close();

    // Nobody listens there any more.
    SourceScan refused = Scan();
    EXPECT_FALSE(refused.read);
    EXPECT_EQ(refused.problems, std::vector<std::string>{kServerLoadText});
}

}  // namespace
}  // namespace corvane::test
