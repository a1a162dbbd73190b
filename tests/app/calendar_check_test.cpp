// The Test button of the PIM Monitoring page against the radicale fixture: what the
// calendar server says, in words, for the address, name and password as typed.

#include "app/core/calendar_check.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>

#include "common/clock.h"
#include "common/poll_pump.h"
#include "net/curl_session.h"
#include "pim/reminder_source.h"
#include "tests/support/test_servers.h"

namespace corvane {
namespace {

long Put(const std::string& method, const std::string& url, const std::string& body = "")
{
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, method.c_str());
    curl_easy_setopt(easy, CURLOPT_USERPWD, "testuser:testpass");
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, +[](char*, std::size_t s, std::size_t n, void*) { return s * n; });
    long code = 0;
    if (curl_easy_perform(easy) == CURLE_OK) curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    curl_easy_cleanup(easy);
    return code;
}

// A meeting two days from now with a reminder 15 minutes before it.
std::string MeetingInTwoDays()
{
    std::time_t start = std::time(nullptr) + 2 * 86400;
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", std::gmtime(&start));
    return std::string("BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:check\r\n") +
           "DTSTART:" + stamp + "\r\nSUMMARY:Review\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:x\r\n" +
           "TRIGGER:-PT15M\r\nEND:VALARM\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

TEST(CalendarCheckTest, TheServerIsAskedWithWhatIsTypedAndAnswersInWords)
{
    int port = 0;
    CORVANE_REQUIRE_SERVER("caldav", port);
    InitialiseCurl();
    CPollPump pump;
    CSystemClock clock;
    const std::string calendar =
        "http://127.0.0.1:" + std::to_string(port) + "/testuser/check-" + std::to_string(::getpid()) + "/";
    ASSERT_EQ(Put("MKCALENDAR", calendar), 201);

    CalendarCheck empty = CheckCalendarServer(calendar, "testuser", "testpass", pump, clock);
    EXPECT_TRUE(empty.ok);
    EXPECT_EQ(empty.text, "The calendar server answered.  0 reminders fall due in the next 90 days.");
    ASSERT_EQ(Put("PUT", calendar + "review.ics", MeetingInTwoDays()), 201);
    EXPECT_EQ(CheckCalendarServer(calendar, "testuser", "testpass", pump, clock).text,
              "The calendar server answered.  1 reminder falls due in the next 90 days.");

    struct Refused {
        std::string url;
        std::string password;
        const char* text;
    } refused[] = {
        {calendar, "wrong", kServerLogonText},
        {"http://127.0.0.1:" + std::to_string(port) + "/testuser/absent-" + std::to_string(::getpid()) + "/",
         "testpass", kServerCalendarText},
        {"calendar.example.org/ann", "testpass", kServerLoadText},
    };
    for (const Refused& r : refused) {
        CalendarCheck check = CheckCalendarServer(r.url, "testuser", r.password, pump, clock);
        EXPECT_FALSE(check.ok) << r.url;
        EXPECT_EQ(check.text, r.text) << r.url;
    }
    // No server there: the transfer says why.
    CalendarCheck nobody = CheckCalendarServer("http://127.0.0.1:1/cal/", "testuser", "testpass", pump, clock);
    EXPECT_EQ(nobody.text.substr(0, nobody.text.find("\n\n") + 2), std::string(kServerLoadText) + "\n\n");
    EXPECT_NE(nobody.text.find("127.0.0.1 port 1"), std::string::npos) << nobody.text;
}

}  // namespace
}  // namespace corvane
