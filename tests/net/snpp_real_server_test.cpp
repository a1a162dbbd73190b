// The SNPP client against a real SNPP server that no one here wrote (Net::SNPP::Server),
// in real time over loopback.

#include <gtest/gtest.h>

#include "net/poll_pump.h"
#include "net/snpp_client.h"
#include "tests/net/perl_snpp_server.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

using Pages = std::vector<std::pair<std::string, std::string>>;

class SnppRealServer : public ::testing::Test {
protected:
    test::CPerlSnppServer server;
    CSystemClock clock;
    CPollPump pump;
    test::CRecordingMessageBox boxes;
    test::CFakeMainView view;
    std::vector<std::unique_ptr<PagerRecord>> entries;

    void SetUp() override { ASSERT_TRUE(server.running()) << "Net::SNPP::Server did not start (libnet-snpp-perl)"; }
    CSnppClient Client() { return CSnppClient({&view, pump, clock, boxes}, server.Dial(), 0); }
    PagerRecord& Entry(const char* pin)
    {
        entries.push_back(std::make_unique<PagerRecord>());
        entries.back()->PagerID = pin;
        return *entries.back();
    }
};

TEST_F(SnppRealServer, PagesArriveWithThePinDigitsAndTheCleanedText)
{
    CSnppClient client = Client();
    client.AddPage(false, Entry("555-1234"), "Call the office...", "");
    client.AddPage(true, Entry("555-1234"), std::string("Tab\there, line\r\nbreak, caf\xE9!", 28), "log");
    client.AddPage(true, Entry("(800) 555-0199"), "Second pager", "log");
    EXPECT_EQ(client.SendAll(), 0);
    for (const auto& entry : entries) EXPECT_EQ(entry->DeliveryStatus, 0);
    EXPECT_EQ(Client().SendNumeric("555-0123", "555-1212*99#"), 0);
    // The server keeps the words of a message and joins them with single blanks.
    EXPECT_EQ(server.Pages(), (Pages{{"5551234", "Call the office..."},
                                     {"5551234", "Tab here, line break, caf !"},
                                     {"8005550199", "Second pager"},
                                     {"5550123", "5551212*99#"}}));
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(view.statusLine.back(), "Ready");
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SnppRealServer, RejectionsAreReportedInTheServersWords)
{
    CSnppClient client = Client();
    client.AddPage(true, Entry("12-34"), "too short a PIN for this server", "");
    client.AddPage(true, Entry("5550100"), "fine", "");
    EXPECT_EQ(client.SendAll(), kSnppPageRejected);
    EXPECT_EQ(entries[0]->DeliveryStatus, kSnppPageRejected);
    EXPECT_EQ(entries[1]->DeliveryStatus, 0);  // the next page still goes through
    client.ReportError(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Error sending a PIN to one or more of the selected pagers on SNPP server at "
                                   "127.0.0.1 on port " +
                                       std::to_string(server.port()) +
                                       ".  The paging server returned the message \"Error, Invalid Pager ID\".");

    CSnppClient empty = Client();
    empty.AddPage(true, Entry("5550100"), "\t\r\n", "");
    EXPECT_EQ(empty.SendAll(), kSnppMessRejected);
    EXPECT_EQ(empty.serverText(), "ERROR, Invalid Message");
    EXPECT_EQ(server.Pages(), (Pages{{"5550100", "fine"}}));
}

}  // namespace
}  // namespace corvane
