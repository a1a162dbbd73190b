// From a queued request to the log lines, for real and in real time: the send run opens the
// page port (a pseudo-terminal to the paging central's own process, or "tcp:127.0.0.1:<port>"
// of that process without a modem), the transports call, and the pages land in the
// central's transcript and in log.txt or errorlog.txt.

#include <gtest/gtest.h>

#include <algorithm>

#include "common/poll_pump.h"
#include "engine/send_run.h"
#include "engine/transports.h"
#include "modem/port_slots.h"
#include "settings/memory_settings.h"
#include "tests/sim/pty_pair.h"
#include "tests/sim/sim_process.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

using Texts = std::vector<std::string>;

// Real milliseconds for the waits, a fixed date for the log lines.
class CFixedDateClock : public IClock {
public:
    std::time_t Now() const override { return 983955900; }  // 03/07/01 09:05 UTC
    std::uint64_t TickMs() const override { return m_real.TickMs(); }

private:
    CSystemClock m_real;
};

class LineSendRunTest : public ::testing::Test {
protected:
    LineSendRunTest()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        settings.Write(key::PagePortBaud, "2400");
        settings.Write(key::NumericPostDelay, "1500");
        dir.Write("log.txt", "");
        dir.Write("errorlog.txt", "");
    }

    // Replies a real central gives within a second, so that a whole call takes seconds.
    bool StartCentral(const std::string& script)
    {
        if (!central.Start(dir.path(), kQuick + script)) return false;
        settings.Write(key::PagePort, central.Line());
        return true;
    }
    bool StartTcpCentral()
    {
        if (!central.StartTcp(dir.path(), kQuick)) return false;
        terminal = "tcp:127.0.0.1:" + std::to_string(central.Port());
        settings.Write(key::PagePort, terminal);
        return true;
    }

    void Page(const std::string& name, const std::string& id, const std::string& message, const std::string& type = "1",
              const std::string& phone = "")
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        p.PagerID = id;
        p.PagerType = type;
        p.PhoneNumber = !phone.empty() ? phone : type == "0" ? "555-0000" : "555-1212";
        p.SystemPassword = "SECRET";
        p.WaitForConnection = "10";
        p.DelayTime = "0";
        p.PinDelayTime = "0";
        queue.QueueRequest(kOriginProgram, name, "", "", message);
    }

    void Run()
    {
        SendRunContext context {queue, pagers, files, slots, transports, view, pump, clock};
        RunQueue(context, kSendInteractive);
        central.Stop();
        EXPECT_EQ(slots.PagePort(), nullptr);  // the run closes the port
    }

    const std::string kQuick = "dial-reply-ms 300\nreply-delay-ms 50\ngo-ahead-delay-ms 100\npassword SECRET\n";
    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    DataFiles files {dir.path(), settings, boxes};
    CFixedDateClock clock;
    CPollPump pump;
    CFakeMainView view;
    CPortSlots slots {settings, boxes, pump, clock};
    CTransports transports {{settings, slots, &view, pump, clock, boxes}};
    CPagerList pagers;
    CPageQueue queue;
    sim::CSimProcess central;
    std::string terminal;
};

TEST_F(LineSendRunTest, TwoPagersOfOneServiceGoInOneTapCallAndAreLogged)
{
    ASSERT_TRUE(StartCentral(""));
    Page("Ann", "1001", "Call the office");
    Page("Bob", "1002", "Meeting moved to 3");
    Run();

    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Ann: Call the office\n"
                                   "03/07/01 09:05AM Bob: Meeting moved to 3\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "");
    EXPECT_EQ(central.Records("PAGE"), (Texts {"1001\tCall the office", "1002\tMeeting moved to 3"}));
    EXPECT_EQ(central.Records("COMMAND"), (Texts {"ATM1Q0X4E0V1S7=255", "ATDT5551212", "ATH"}));
    EXPECT_EQ(central.Records("LOGON"), (Texts {"PG1SECRET"}));  // one telephone call
    EXPECT_EQ(central.Records("HANGUP").size(), 1u);
    EXPECT_TRUE(central.Records("ERROR").empty()) << central.Transcript();
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text, "Your page(s) were delivered successfully.");
}

TEST_F(LineSendRunTest, CentralThatDisappearsMidCallEndsTheCallAndTheRun)
{
    ASSERT_TRUE(StartCentral("disappear-after-block 2\n"));
    Page("Ann", "1", "one");
    Page("Bob", "2", "two");
    Page("Cid", "3", "three");
    const std::uint64_t start = sim::NowMs();
    Run();
    // About 6 s to the second block and the 4-second pause after the call: no 30-second
    // reply time is waited out for a line that is gone.
    EXPECT_LT(sim::NowMs() - start, 20000u);
    EXPECT_EQ(central.Records("PAGE"), (Texts {"1\tone"}));
    const std::string errors = dir.Read("errorlog.txt");
    EXPECT_NE(errors.find("Error 10 To Bob: two\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Error 10 To Cid: three\n"), std::string::npos) << errors;
    // Ann's block was acknowledged before the line went.
    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Ann: one\n");
}

TEST_F(LineSendRunTest, ANumericPageWhoseLineDisappearsAfterTheDialIsNotDelivered)
{
    ASSERT_TRUE(StartCentral("numeric\ndisappear-after-dial 1\n"));
    Page("Carl", "77", "555-1234", "0");
    Run();
    EXPECT_EQ(central.Records("GONE").size(), 1u) << central.Transcript();
    EXPECT_EQ(dir.Read("log.txt"), "");
    EXPECT_EQ(dir.Read("errorlog.txt"), "03/07/01 09:05AM Error 10 To Carl: 555-1234\n");
    ASSERT_EQ(boxes.shown.size(), 2u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text, "No Write code 1024");
    EXPECT_EQ(boxes.shown[1].text, "Error writing to page COM port.");
}

TEST_F(LineSendRunTest, ATerminalOnTheNetworkHearsOnlyTapInOneConnection)
{
    ASSERT_TRUE(StartTcpCentral());
    Page("Ann", "1001", "Call the office");
    Page("Bob", "1002", "Meeting moved to 3");
    Run();

    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Ann: Call the office\n"
                                   "03/07/01 09:05AM Bob: Meeting moved to 3\n");
    EXPECT_EQ(central.Records("PAGE"), (Texts {"1001\tCall the office", "1002\tMeeting moved to 3"}));
    EXPECT_EQ(central.Records("LOGON"), (Texts {"PG1SECRET"}));
    EXPECT_EQ(central.Records("CONNECTED"), Texts {"1"});
    // No initialisation, no dial, no "+++", no ATH.
    const std::string heard = central.Transcript();
    EXPECT_EQ(heard.find("RX AT"), std::string::npos);
    EXPECT_TRUE(central.Records("COMMAND").empty());
    EXPECT_EQ(heard.find("+++"), std::string::npos);
    EXPECT_TRUE(central.Records("ERROR").empty()) << heard;
    EXPECT_NE(std::find(view.statusLine.begin(), view.statusLine.end(), "Connecting to " + terminal.substr(4)),
              view.statusLine.end());
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text, "Your page(s) were delivered successfully.");
}

TEST_F(LineSendRunTest, APagersOwnTerminalIsCalledWhateverThePagePort)
{
    ASSERT_TRUE(StartTcpCentral());
    settings.Write(key::PagePort, "NONE");
    Page("Ann", "1001", "via her own terminal", "1", terminal);
    Page("Bob", "1002", "no modem for me");
    Run();

    EXPECT_EQ(central.Records("PAGE"), (Texts {"1001\tvia her own terminal"}));
    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Ann: via her own terminal\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "03/07/01 09:05AM Error 1 To Bob: no modem for me\n");
}

TEST_F(LineSendRunTest, ATerminalThatCannotBeReachedIsNoAnswer)
{
    settings.Write(key::DialAttempts, "0");
    settings.Write(key::PagePort, "tcp:127.0.0.1:1");  // nobody listens there
    Page("Ann", "1", "one");
    Run();
    EXPECT_EQ(dir.Read("errorlog.txt"), "03/07/01 09:05AM Error 5 To Ann: one\n");
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text,
              "There is no answer at the paging company.  Please check that you are using the correct phone number.");

    boxes.shown.clear();
    settings.Write(key::PagePort, "tcp:no-port-here");
    Page("Bob", "2", "two");
    Run();
    EXPECT_EQ(dir.Read("errorlog.txt"), "03/07/01 09:05AM Error 5 To Ann: one\n"
                                        "03/07/01 09:05AM Error 1 To Bob: two\n");
    // Told when the run opens the port (and again when the pager's speed is made sure of).
    ASSERT_GE(boxes.shown.size(), 2u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text,
              "The selected Page Modem Port tcp:no-port-here is not a network address.  Write it as tcp:host:port.");
    EXPECT_EQ(boxes.shown[0].caption, "Communications Error");
    EXPECT_EQ(boxes.shown.back().text, "The COM port for the paging modem is not open.");
}

}  // namespace
}  // namespace corvane::test
