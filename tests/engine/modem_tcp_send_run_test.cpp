// The paging terminal on the network, for real and in real time: the page port (or a
// pager's phone number) is "tcp:127.0.0.1:<port>" of the paging central's own process, and
// the send run's TAP calls reach it over loopback connections, without a modem.

#include <gtest/gtest.h>

#include "common/poll_pump.h"
#include "engine/send_run.h"
#include "engine/transports.h"
#include "modem/port_slots.h"
#include "settings/memory_settings.h"
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

class TcpSendRunTest : public ::testing::Test {
protected:
    TcpSendRunTest()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        dir.Write("log.txt", "");
        dir.Write("errorlog.txt", "");
    }

    void StartCentral(const std::string& script)
    {
        ASSERT_TRUE(central.StartTcp(dir.path(), "reply-delay-ms 50\ngo-ahead-delay-ms 100\npassword SECRET\n" + script));
        terminal = "tcp:127.0.0.1:" + std::to_string(central.Port());
        settings.Write(key::PagePort, terminal);
    }

    PagerRecord& Page(const std::string& name, const std::string& id, const std::string& message,
                      const std::string& phone = "555-1212")
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        p.PagerID = id;
        p.PagerType = "1";
        p.PhoneNumber = phone;
        p.SystemPassword = "SECRET";
        p.WaitForConnection = "10";
        queue.QueueRequest(kOriginProgram, name, "", "", message);
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
    CPollPump pump;
    CFakeMainView view;
    CPortSlots slots {settings, boxes, pump, clock};
    CTransports transports {{settings, slots, &view, pump, clock, boxes}};
    CPagerList pagers;
    CPageQueue queue;
    sim::CSimProcess central;
    std::string terminal;
};

TEST_F(TcpSendRunTest, TwoPagersOfOneServiceGoInOneConnectionWithoutModemCommands)
{
    StartCentral("");
    Page("Ann", "1001", "Call the office");
    Page("Bob", "1002", "Meeting moved to 3");
    Run();

    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Ann: Call the office\n"
                                   "03/07/01 09:05AM Bob: Meeting moved to 3\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "");
    EXPECT_EQ(central.Records("PAGE"), (Texts {"1001\tCall the office", "1002\tMeeting moved to 3"}));
    EXPECT_EQ(central.Records("LOGON"), (Texts {"PG1SECRET"}));
    EXPECT_EQ(central.Records("CONNECTED"), Texts {"1"});
    // The terminal hears only TAP: no initialisation, no dial, no "+++", no ATH.
    const std::string heard = central.Transcript();
    EXPECT_EQ(heard.find("RX " + std::string("AT")), std::string::npos);
    EXPECT_TRUE(central.Records("COMMAND").empty());
    EXPECT_EQ(heard.find("+++"), std::string::npos);
    EXPECT_TRUE(central.Records("ERROR").empty()) << heard;
    EXPECT_NE(std::find(view.statusLine.begin(), view.statusLine.end(), "Connecting to 127.0.0.1:" +
                                                                            std::to_string(central.Port())),
              view.statusLine.end());
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text, "Your page(s) were delivered successfully.");
}

TEST_F(TcpSendRunTest, ABlockNakedThreeTimesStopsTheCall)
{
    StartCentral("block 2 nak\nblock 3 nak\nblock 4 nak\n");
    Page("Ann", "1", "one");
    Page("Bob", "2", "two");
    Page("Cid", "3", "three");
    Run();

    EXPECT_EQ(central.Records("PAGE"), (Texts {"1\tone"}));
    EXPECT_EQ(central.Records("BLOCK").size(), 4u);  // Bob's three tries; Cid's page is never sent
    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Ann: one\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "03/07/01 09:05AM Error 9 To Bob: two\n"
                                        "03/07/01 09:05AM Error 9 To Cid: three\n");
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text, "Central paging not acknowledging receipt of page.");
    EXPECT_EQ(boxes.shown[0].caption, "Page Error");
}

TEST_F(TcpSendRunTest, APageRefusedWithRsIsTriedThriceAndTheNextStillGoes)
{
    StartCentral("block 1 rs\nblock 2 rs\nblock 3 rs\n");
    Page("Ann", "1", "one");
    Page("Bob", "2", "two");
    Run();

    EXPECT_EQ(central.Records("PAGE"), (Texts {"2\ttwo"}));
    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Bob: two\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "03/07/01 09:05AM Error 13 To Ann: one\n");
    ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
    EXPECT_EQ(boxes.shown[0].text.substr(0, 74),
              "The paging company would not accept one or more of your pages.  One or mor");
}

TEST_F(TcpSendRunTest, ADroppedConnectionFailsItsCallAndTheNextCallConnectsAgain)
{
    StartCentral("disappear-after-block 2\n");
    Page("Ann", "1", "one");
    Page("Bob", "2", "two");
    Page("Cid", "3", "three");
    Page("Dan", "4", "four", "555-9999");  // another service: a call of its own
    Run();

    // The terminal drops the first connection when Bob's block arrives; Dan's call meets it
    // afresh on a new one.
    EXPECT_EQ(central.Records("PAGE"), (Texts {"1\tone", "4\tfour"}));
    EXPECT_EQ(central.Records("CONNECTED"), (Texts {"1", "2"}));
    EXPECT_NE(dir.Read("log.txt").find("Dan: four\n"), std::string::npos);
    const std::string errors = dir.Read("errorlog.txt");
    EXPECT_NE(errors.find("Error 10 To Bob: two\n"), std::string::npos) << errors;
    EXPECT_NE(errors.find("Error 10 To Cid: three\n"), std::string::npos) << errors;
}

TEST_F(TcpSendRunTest, APagersOwnTerminalIsCalledWhateverThePagePort)
{
    StartCentral("");
    settings.Write(key::PagePort, "NONE");
    Page("Ann", "1001", "via her own terminal", terminal);
    Page("Bob", "1002", "no modem for me");
    Run();

    EXPECT_EQ(central.Records("PAGE"), (Texts {"1001\tvia her own terminal"}));
    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:05AM Ann: via her own terminal\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "03/07/01 09:05AM Error 1 To Bob: no modem for me\n");
}

TEST_F(TcpSendRunTest, ATerminalThatCannotBeReachedIsNoAnswer)
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
