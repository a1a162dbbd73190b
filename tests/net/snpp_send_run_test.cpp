// The send run delivers SNPP pagers for real: from QueueRequest through RunQueue and the
// transports to Net::SNPP::Server on loopback, and into the logs.

#include <gtest/gtest.h>

#include <sstream>

#include "engine/send_run.h"
#include "engine/transports.h"
#include "net/poll_pump.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/net/perl_snpp_server.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using Pages = std::vector<std::pair<std::string, std::string>>;
using Lines = std::vector<std::string>;

class SnppSendRun : public ::testing::Test {
protected:
    SnppSendRun()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        settings.Write(key::PagePort, "/dev/ttyS0");
        settings.Write(key::DialAttempts, "0");
        dir.Write("log.txt", "");
        dir.Write("errorlog.txt", "");
    }
    void SetUp() override { ASSERT_TRUE(server.running()) << "Net::SNPP::Server did not start (libnet-snpp-perl)"; }

    PagerRecord& AddPager(const char* name, const char* pin, const char* type)
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        p.PagerID = pin;
        p.PagerType = type;
        p.PhoneNumber = server.Dial();
        p.Groups = {"Team"};
        return p;
    }
    void Run()
    {
        SendRunContext context{queue, pagers, files, ports, transports, view, runPump, logClock};
        RunQueue(context, kSendInteractive);
    }
    // The log lines without their timestamps ("03/07/01 09:05AM ").
    Lines Logged(const char* log) const
    {
        Lines lines;
        std::istringstream in(dir.Read(log));
        for (std::string line; std::getline(in, line);) lines.push_back(line.size() > 17 ? line.substr(17) : line);
        return lines;
    }

    test::CPerlSnppServer server;
    test::CTempDir dir;
    CMemorySettings settings;
    test::CRecordingMessageBox boxes;
    DataFiles files{dir.path(), settings, boxes};
    test::CFakeMainView view;
    test::CFakePorts ports;
    // The SNPP dialogue runs in real time against the real server; the run's own clock
    // (log timestamps) is the fake one.
    CSystemClock realClock;
    CPollPump realPump;
    test::CFakeClock logClock;
    test::CFakePump runPump{logClock};
    CTransports transports{{settings, ports, &view, realPump, realClock, boxes}};
    CPagerList pagers;
    CPageQueue queue;
};

TEST_F(SnppSendRun, AGroupOfSnppPagersIsPagedBatchedAndLogged)
{
    PagerRecord& bob = AddPager("Bob", "555-0001", "1");
    bob.MaximumPageLength = 20;
    bob.PagesPerCall = 2;
    AddPager("Ann", "555-0002", "1");
    AddPager("Numbers", "555-0003", "0");
    queue.QueueRequest(kOriginProgram, "Team", "", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123-555");
    Run();

    // Bob's text needs two pages of at most 20 characters; Ann's one page would make three in
    // a call of at most two (Bob's PagesPerCall), so Ann starts a call of her own; the numeric
    // pager is a call of its own, with only the digits of the text.
    EXPECT_EQ(server.Pages(), (Pages{{"5550001", "ABCDEFGHIJKLMNOPQ..."},
                                     {"5550001", "RSTUVWXYZ0123-555"},
                                     {"5550002", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123-555"},
                                     {"5550003", "0123555"}}));
    EXPECT_EQ(server.Connections(), 3);
    EXPECT_EQ(Logged("log.txt"), (Lines{"Bob: ABCDEFGHIJKLMNOPQRSTUVWXYZ0123-555",
                                        "Ann: ABCDEFGHIJKLMNOPQRSTUVWXYZ0123-555",
                                        "Numbers: ABCDEFGHIJKLMNOPQRSTUVWXYZ0123-555"}));
    EXPECT_EQ(dir.Read("errorlog.txt"), "");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Your page(s) were delivered successfully.");
    EXPECT_EQ(view.statusLine.back(), "Ready");
    EXPECT_EQ(view.statusField.back(), "Idle");
}

TEST_F(SnppSendRun, ARejectedPagerIsLoggedAsAnErrorAndTheOthersStillGo)
{
    AddPager("Short", "12-34", "1");  // too short a PIN for this server
    AddPager("Ann", "555-0002", "1");
    queue.QueueRequest(kOriginCommand, "Team", "", "", "Meeting moved to 3pm");
    Run();

    EXPECT_EQ(server.Pages(), (Pages{{"5550002", "Meeting moved to 3pm"}}));
    EXPECT_EQ(server.Connections(), 1);  // one call for both
    EXPECT_EQ(Logged("log.txt"), Lines{"Ann: Meeting moved to 3pm"});
    EXPECT_EQ(Logged("errorlog.txt"), Lines{"Error 106 To Short: Meeting moved to 3pm"});
    ASSERT_EQ(boxes.shown.size(), 1u);  // the failure, and no confirmation
    EXPECT_EQ(boxes.shown[0].caption, "Page Error");
    EXPECT_EQ(boxes.shown[0].text, "Error sending a PIN to one or more of the selected pagers on SNPP server at "
                                   "127.0.0.1 on port " +
                                       std::to_string(server.port()) +
                                       ".  The paging server returned the message \"Error, Invalid Pager ID\".");
}

TEST_F(SnppSendRun, AServerThatIsNotThereFailsEveryPageOfTheCall)
{
    AddPager("Bob", "555-0001", "1").PhoneNumber = "SNPP:127.0.0.1:1";  // nothing listens on port 1
    AddPager("Ann", "555-0002", "1").PhoneNumber = "SNPP:127.0.0.1:1";
    queue.QueueRequest(kOriginProgram, "Team", "", "", "hello");
    Run();
    EXPECT_EQ(Logged("log.txt"), Lines{});
    EXPECT_EQ(Logged("errorlog.txt"), (Lines{"Error 103 To Bob: hello", "Error 103 To Ann: hello"}));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Unable to establish SNPP connection to the paging company at 127.0.0.1 on port 1.  The connection was "
              "refused.");
}

}  // namespace
}  // namespace corvane
