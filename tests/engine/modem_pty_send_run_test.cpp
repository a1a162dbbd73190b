// From a queued request to the log lines, for real: the send run opens the page port
// (a pseudo-terminal to the paging central's own process), the transports dial, and the
// pages land in the central's transcript and in log.txt or errorlog.txt.

#include <gtest/gtest.h>

#include "engine/send_run.h"
#include "engine/transports.h"
#include "modem/port_slots.h"
#include "settings/memory_settings.h"
#include "tests/sim/pty_central.h"
#include "tests/sim/real_time_pump.h"
#include "tests/sim/sim_process.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

// Real milliseconds for the waits, a fixed date for the log lines.
class CFixedDateClock : public IClock {
public:
    std::time_t Now() const override { return 983955900; }  // 03/07/01 09:05 UTC
    std::uint64_t TickMs() const override { return m_real.TickMs(); }

private:
    CSystemClock m_real;
};

class PtySendRunTest : public ::testing::Test {
protected:
    PtySendRunTest()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        settings.Write(key::PagePortBaud, "2400");
        settings.Write(key::NumericPostDelay, "1500");
        dir.Write("log.txt", "");
        dir.Write("errorlog.txt", "");
    }

    bool StartCentral(const std::string& script)
    {
        const std::string quick = "dial-reply-ms 300\nreply-delay-ms 50\ngo-ahead-delay-ms 100\npassword SECRET\n";
        if (!central.Start(dir.path(), quick + script)) return false;
        settings.Write(key::PagePort, central.Line());
        return true;
    }

    PagerRecord& AddPager(const std::string& name, const std::string& id, const std::string& type,
                          const std::string& phone)
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        p.PagerID = id;
        p.PagerType = type;
        p.PhoneNumber = phone;
        p.SystemPassword = "SECRET";
        p.WaitForConnection = "10";
        p.DelayTime = "0";
        p.PinDelayTime = "0";
        return p;
    }

    void Run()
    {
        SendRunContext context {queue, pagers, files, slots, transports, view, pump, clock};
        RunQueue(context, kSendInteractive);
        central.Stop();
    }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    DataFiles files {dir.path(), settings, boxes};
    CFixedDateClock clock;
    sim::CRealTimePump pump;
    CFakeMainView view;
    CPortSlots slots {settings, boxes, pump, clock};
    CTransports transports {{settings, slots, &view, pump, clock, boxes}};
    CPagerList pagers;
    CPageQueue queue;
    sim::CSimProcess central;
};

TEST_F(PtySendRunTest, TwoPagersOfOneServiceGoInOneCallAndAreLogged)
{
    ASSERT_TRUE(StartCentral(""));
    AddPager("Ann", "1001", "1", "555-1212");
    AddPager("Bob", "1002", "1", "555-1212");
    queue.QueueRequest(kOriginProgram, "Ann", "", "", "Call the office");
    queue.QueueRequest(kOriginProgram, "Bob", "", "", "Meeting moved to 3");
    Run();

    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Ann: Call the office\n"
                                   "03/07/01 09:05AM Bob: Meeting moved to 3\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "");
    EXPECT_EQ(central.Records("PAGE"),
              (std::vector<std::string> {"1001\tCall the office", "1002\tMeeting moved to 3"}));
    EXPECT_EQ(central.Records("LOGON").size(), 1u);  // one telephone call
    EXPECT_TRUE(central.Records("ERROR").empty()) << central.Transcript();
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text, "Your page(s) were delivered successfully.");
    EXPECT_EQ(slots.PagePort(), nullptr);  // the run closes the port
}

TEST_F(PtySendRunTest, NumericPageIsDialledAndLogged)
{
    ASSERT_TRUE(StartCentral("numeric\n"));
    AddPager("Carl", "77", "0", "555-0000");
    queue.QueueRequest(kOriginProgram, "Carl", "", "", "555-1234");
    Run();

    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Carl: 555-1234\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "");
    EXPECT_EQ(central.Records("NUMERIC"), (std::vector<std::string> {"T5550000775551234"}));
    EXPECT_TRUE(central.Records("ERROR").empty()) << central.Transcript();
}

TEST_F(PtySendRunTest, BusyLineGoesToTheErrorLog)
{
    ASSERT_TRUE(StartCentral("later-dials busy\n"));
    settings.Write(key::DialAttempts, "0");
    AddPager("Ann", "1001", "1", "555-1212");
    queue.QueueRequest(kOriginProgram, "Ann", "", "", "Hello");
    Run();

    EXPECT_EQ(dir.Read("log.txt"), "");
    EXPECT_EQ(dir.Read("errorlog.txt"), "03/07/01 09:05AM Error 4 To Ann: Hello\n");
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text, "The pager phone number is busy.");
    EXPECT_EQ(boxes.shown[0].caption, "Page to Ann");
}

}  // namespace
}  // namespace corvane::test
