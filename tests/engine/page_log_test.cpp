#include "engine/page_log.h"

#include <gtest/gtest.h>

#include <fstream>

#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

class PageLogTest : public ::testing::Test {
protected:
    PageLogTest()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        sales.UserName = "Sales";
    }
    CTempDir dir;
    CMemorySettings settings;
    CFakeClock clock;
    CPageLog log {settings, clock, dir.path()};
    PagerRecord sales;
};

TEST_F(PageLogTest, LinesAreAppendedInTheirExactFormatButAMissingFileIsNotCreated)
{
    log.LogPage(sales, "Call home");
    log.LogError(sales, 13, "Call home");
    EXPECT_FALSE(std::ifstream(dir.File("log.txt")).good());
    EXPECT_FALSE(std::ifstream(dir.File("errorlog.txt")).good());

    dir.Write("log.txt", "old line\n");
    dir.Write("errorlog.txt", "");
    log.LogPage(sales, "Call home");
    log.LogError(sales, 13, "Call home");
    log.LogVoiceCall(sales, "555-1212");
    log.LogIncomingCall("5551234", "");
    log.LogIncomingCall("5551234", "JOHN DOE");
    EXPECT_EQ(dir.Read("log.txt"),
              "old line\n"
              "03/07/01 09:05AM Sales: Call home\n"
              "03/07/01 09:05AM Sales: Voice call to 555-1212\n"
              "03/07/01 09:05AM Incoming Call: 5551234 \n"
              "03/07/01 09:05AM Incoming Call: 5551234 JOHN DOE\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "03/07/01 09:05AM Error 13 To Sales: Call home\n");
}

TEST_F(PageLogTest, TheTimestampUsesTheTwelveHourClock)
{
    clock.SetNow(983955900 + 12 * 3600 + 55 * 60);  // 22:00
    EXPECT_EQ(log.Timestamp(), "03/07/01 10:00PM ");
    clock.SetNow(983923200);  // midnight
    EXPECT_EQ(log.Timestamp(), "03/07/01 12:00AM ");
}

TEST_F(PageLogTest, EachOriginHasItsSwitchAndAnAbsentSwitchIsOn)
{
    dir.Write("log.txt", "");
    PagerRecord command = sales, manual = sales;
    command.AutoPageFlags = 2;
    manual.AutoPageFlags = 1;
    settings.Write(key::LogDDE, "0");
    log.LogPage(command, "from a program");
    log.LogPage(manual, "typed");
    settings.Write(key::LogDDE, "1");
    settings.Write(key::LogManual, "0");
    log.LogPage(command, "from a program");
    log.LogPage(manual, "typed");
    settings.Write(key::LogMail, "0");
    log.LogPage(sales, "mail", LogSource::Mail);
    log.LogPage(sales, "call", LogSource::CallMonitor);  // absent: on
    settings.Write(key::LogVoice, "0");
    log.LogVoiceCall(sales, "1");
    settings.Write(key::LogCID, "0");
    log.LogIncomingCall("1", "2");
    EXPECT_EQ(dir.Read("log.txt"),
              "03/07/01 09:05AM Sales: typed\n"
              "03/07/01 09:05AM Sales: from a program\n"
              "03/07/01 09:05AM Sales: call\n");
}

}  // namespace
}  // namespace corvane::test
