// The SNPP client against a real SNPP server that no one here wrote (Net::SNPP::Server), in
// real time over loopback: on its own, and inside the send run from QueueRequest through
// RunQueue and the transports into the logs.

#include <gtest/gtest.h>

#include <sstream>

#include "engine/send_run.h"
#include "engine/transports.h"
#include "common/poll_pump.h"
#include "net/snpp_client.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/net/perl_snpp_server.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using Pages = std::vector<std::pair<std::string, std::string>>;
using Lines = std::vector<std::string>;

class SnppRealServer : public ::testing::Test {
protected:
    SnppRealServer()
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

TEST_F(SnppRealServer, PagesArriveWithThePinDigitsAndTheCleanedText)
{
    CSnppClient client({&view, realPump, realClock, boxes}, server.Dial(), 0);
    PagerRecord office, other;
    office.PagerID = "555-1234";
    other.PagerID = "(800) 555-0199";
    client.AddPage(false, office, "Call the office...", "");
    client.AddPage(true, office, std::string("Tab\there, line\r\nbreak, caf\xE9!", 28), "log");
    client.AddPage(true, other, "Second pager", "log");
    EXPECT_EQ(client.SendAll(), 0);
    EXPECT_EQ(office.DeliveryStatus, 0);
    EXPECT_EQ(other.DeliveryStatus, 0);
    EXPECT_EQ(CSnppClient({&view, realPump, realClock, boxes}, server.Dial(), 0).SendNumeric("555-0123", "555-1212*99#"), 0);
    // The server keeps the words of a message and joins them with single blanks.
    EXPECT_EQ(server.Pages(), (Pages{{"5551234", "Call the office..."},
                                     {"5551234", "Tab here, line break, caf !"},
                                     {"8005550199", "Second pager"},
                                     {"5550123", "5551212*99#"}}));
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(view.statusLine.back(), "Ready");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SnppRealServer, FailedPagesAreLoggedAsErrorsAndTheOthersStillGo)
{
    AddPager("Short", "12-34", "1");  // too short a PIN for this server
    AddPager("Ann", "555-0002", "1");
    AddPager("Bob", "555-0001", "1").PhoneNumber = "SNPP:127.0.0.1:1";  // nothing listens on port 1
    AddPager("Cy", "555-0003", "1").PhoneNumber = "SNPP:127.0.0.1:1";
    queue.QueueRequest(kOriginCommand, "Team", "", "", "Meeting moved to 3pm");
    Run();

    EXPECT_EQ(server.Pages(), (Pages{{"5550002", "Meeting moved to 3pm"}}));
    EXPECT_EQ(server.Connections(), 1);  // one call for Short and Ann
    EXPECT_EQ(Logged("log.txt"), Lines{"Ann: Meeting moved to 3pm"});
    EXPECT_EQ(Logged("errorlog.txt"), (Lines{"Error 106 To Short: Meeting moved to 3pm",
                                             "Error 103 To Bob: Meeting moved to 3pm",
                                             "Error 103 To Cy: Meeting moved to 3pm"}));
    // One box for each failed call, and no confirmation.
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].caption, "Page Error");
    EXPECT_EQ(boxes.shown[0].text, "Error sending a PIN to one or more of the selected pagers on SNPP server at "
                                   "127.0.0.1 on port " +
                                       std::to_string(server.port()) +
                                       ".  The paging server returned the message \"Error, Invalid Pager ID\".");
    EXPECT_EQ(boxes.shown[1].text,
              "Unable to establish SNPP connection to the paging company at 127.0.0.1 on port 1.  The connection was "
              "refused.");
}

}  // namespace
}  // namespace corvane
