// The SNPP client against the scripted server on loopback, with the fake clock: the
// minute-long greeting wait and the ten-second reply waits pass in fake time, while the
// bytes go through a real socket.

#include "net/snpp_client.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>
#include <memory>

#include "engine/transports.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/net/loopback.h"
#include "tests/net/snpp_script_server.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

using test::CFakeClock;
using test::CFakePump;
using test::CRecordingMessageBox;
using Server = test::CScriptedSnppServer;
using Lines = std::vector<std::string>;

class SnppClient : public ::testing::Test {
protected:
    Server server;
    CFakeClock clock;
    CFakePump pump{clock};
    CRecordingMessageBox boxes;
    test::CFakeMainView view;
    std::vector<std::unique_ptr<PagerRecord>> entries;

    void SetUp() override { Serve(server); }
    void Serve(Server& s)
    {
        pump.ready = [this, &s] { return s.ReadyFor(pump.lastFd); };
    }
    std::unique_ptr<CSnppClient> Client(int retries, std::string dial = "")
    {
        return std::make_unique<CSnppClient>(SnppClientDeps{&view, pump, clock, boxes},
                                             dial.empty() ? server.Dial() : dial, retries);
    }
    PagerRecord& Entry(const std::string& name, const char* pin)
    {
        entries.push_back(std::make_unique<PagerRecord>());
        entries.back()->UserName = name;
        entries.back()->PagerID = pin;
        entries.back()->DeliveryStatus = 77;  // AddPage must clear it
        return *entries.back();
    }
    std::vector<int> Statuses() const
    {
        std::vector<int> out;
        for (const auto& e : entries) out.push_back(e->DeliveryStatus);
        return out;
    }
    std::string At(int port) const { return "SNPP:127.0.0.1:" + std::to_string(port); }
    std::string OnPort(const std::string& text, int port) const
    {
        return "Unable to establish SNPP connection to the paging company at 127.0.0.1 on port " +
               std::to_string(port) + ".  " + text;
    }
};

TEST_F(SnppClient, PagesGoOutOnOneConnectionExactlyAsWritten)
{
    auto client = Client(0);
    client->AddPage(true, Entry("Bob", "555-1234"), "Hello Bob", "log one");
    client->AddPage(false, Entry("Ann", "5550000"), std::string("Tab\there\r\nnext caf\xE9 \x7F!", 22), "");
    client->AddPageFirst(false, Entry("Cy", "1"), "first", "");
    EXPECT_EQ(Statuses(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(client->SendAll(), 0);
    EXPECT_EQ(Statuses(), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(server.Received(1), std::string("PAGE 1\r\nMESS first\r\nSEND\r\nRESE\r\n"
                                              "PAGE 5551234\r\nMESS Hello Bob\r\nSEND\r\nRESE\r\n"
                                              "PAGE 5550000\r\nMESS Tab here  next caf  \x7F!\r\nSEND\r\nRESE\r\n"
                                              "QUIT\r\n"));
    EXPECT_EQ(view.statusLine, (Lines{"Closing SNPP Connection", "Ready", "Connecting to SNPP Server",
                                      "Waiting for Ready Signal", "Sending Page(s)", "Sending Page(s)",
                                      "Sending Page(s)", "Closing SNPP Connection", "Ready"}));
    EXPECT_EQ(view.waitCursor, (std::vector<bool>{true, false}));  // while connecting
    EXPECT_EQ(client->CountedPages(), 1);
    ASSERT_EQ(client->Counted().size(), 1u);
    EXPECT_EQ(client->Counted()[0].entry, entries[0].get());
    EXPECT_EQ(client->Counted()[0].logText, "log one");
    client->ReportError(nullptr);
    EXPECT_TRUE(boxes.shown.empty());  // nothing to say after a success

    auto numeric = Client(0);
    EXPECT_EQ(numeric->SendNumeric("(555) 123-4567", "12-34*#a5"), 0);
    EXPECT_EQ(server.Received(2), "PAGE 5551234567\r\nMESS 1234*#5\r\nSEND\r\nRESE\r\nQUIT\r\n");
}

// What the server does, what the client makes of it on the wire, in each page's result,
// in the fake time it took, and in the text of the error box.
TEST_F(SnppClient, ServerBehaviourAndTheResults)
{
    const Lines onePage{"1 PAGE 1", "1 MESS one", "1 SEND", "1 RESE", "1 QUIT"};
    auto noReply = [](const char* to, const char* what) {
        return std::string("No response was received from the SNPP server at 127.0.0.1 on port %p while sending to ") +
               to + ".  " + what + " may not have been delivered.";
    };
    auto returned = [](const std::string& head, const char* text) {
        return head + " SNPP server at 127.0.0.1 on port %p.  The paging server returned the message \"" + text +
               "\".";
    };
    struct Case {
        const char* name;
        std::function<void(Server&)> script;
        int retries;
        std::vector<const char*> pins;  // one page each, "one", "two", ...
        int result;
        std::vector<int> statuses;
        Lines log;
        std::uint64_t seconds;
        std::string error;  // %p: the server's port
    };
    const std::vector<Case> cases = {
        {"a rejected PIN is tried again after RESE, sent as its digits, named as stored",
         [](Server& s) { s.Always("PAGE", Server::Say("550 Error, Invalid Pager ID")); }, 1, {"12-34"},
         kSnppPageRejected, {kSnppPageRejected}, {"1 PAGE 1234", "1 RESE", "1 PAGE 1234", "1 RESE", "1 QUIT"}, 0,
         returned("Error sending PIN number 12-34 to", "Error, Invalid Pager ID")},
        {"a greeting outside 2xx on every attempt: no QUIT, nothing delivered",
         [](Server& s) {
             s.Greet(Server::Say("421 busy"));
             s.Greet(Server::Say("421 busy"));
         },
         1, {"1"},
         kSnppBadGreeting, {kSnppBadGreeting}, {"1 <closed>", "2 <closed>"}, 0,
         "Error connecting to SNPP server.  The paging server returned the message \"busy\"."},
        {"no greeting within a minute", [](Server& s) { s.Greet(Server::Silence()); }, 0, {"1"}, kSnppBadGreeting,
         {kSnppBadGreeting}, {"1 <closed>"}, 60,
         "Error connecting to SNPP server.  The paging server returned the message \"No Response was Received\"."},
        {"replies split over several reads, CR apart from LF",
         [](Server& s) {
             s.Greet(Server::Split("220 ready and waiting", {1, 3, 10}, 5));
             s.Next("MESS", Server::Split("250 Message OK", {4, 15}, 5));
         },
         0, {"1"}, 0, {0}, onePage, 0, ""},
        {"a reply without CR LF is waited for until the timeout",
         [](Server& s) { s.Next("SEND", Server::Raw("250 Message Sent")); }, 0, {"1"}, kSnppNoReply, {kSnppNoReply},
         {"1 PAGE 1", "1 MESS one", "1 SEND", "1 <closed>"}, 10, noReply("PIN number 1", "The page")},
        {"a reply too short to hold a code",
         [](Server& s) { s.Next("SEND", Server::Raw("250\r\n")); }, 0, {"1"}, kSnppNoReply, {kSnppNoReply},
         {"1 PAGE 1", "1 MESS one", "1 SEND", "1 <closed>"}, 0, noReply("PIN number 1", "The page")},
        {"a reply whose fourth character is no blank",
         [](Server& s) { s.Next("SEND", Server::Raw("2500\r\n")); }, 0, {"1"}, kSnppNoReply, {kSnppNoReply},
         {"1 PAGE 1", "1 MESS one", "1 SEND", "1 <closed>"}, 0, noReply("PIN number 1", "The page")},
        // A late reply must not be taken for the answer to the next command: each try on a
        // fresh connection, and the pages after it are not offered.
        {"no reply to SEND marks the rest of the run", [](Server& s) { s.Always("SEND", Server::Silence()); }, 1,
         {"1111111", "2222222"}, kSnppNoReply, {kSnppNoReply, kSnppNoReply},
         {"1 PAGE 1111111", "1 MESS one", "1 SEND", "1 <closed>", "2 PAGE 1111111", "2 MESS one", "2 SEND",
          "2 <closed>"},
         20, noReply("one or more of the selected pagers", "The pages")},
        {"a connection closed mid-page is no reply at once", [](Server& s) { s.Next("MESS", Server::Hangup()); }, 0,
         {"1"}, kSnppNoReply, {kSnppNoReply}, {"1 PAGE 1", "1 MESS one"}, 0, noReply("PIN number 1", "The page")},
        {"4xx drops the connection without RESE or QUIT; the next try reconnects",
         [](Server& s) { s.Next("MESS", Server::Say("421 Too busy, try later")); }, 1, {"1"}, 0, {0},
         {"1 PAGE 1", "1 MESS one", "1 <closed>", "2 PAGE 1", "2 MESS one", "2 SEND", "2 RESE", "2 QUIT"}, 0, ""},
        {"a connection lost to 4xx fails the later pages with the same error",
         [](Server& s) { s.Next("PAGE", Server::Say("450 Temporarily unavailable")); }, 0, {"1", "2"},
         kSnppPageRejected, {kSnppPageRejected, kSnppPageRejected}, {"1 PAGE 1", "1 <closed>"}, 0,
         returned("Error sending a PIN to one or more of the selected pagers on", "Temporarily unavailable")},
        {"a rejected SEND is reported though a later page goes through",
         [](Server& s) { s.Next("SEND", Server::Say("554 Error, failed")); }, 0, {"1", "2"}, kSnppSendRejected,
         {kSnppSendRejected, 0},
         {"1 PAGE 1", "1 MESS one", "1 SEND", "1 RESE", "1 PAGE 2", "1 MESS two", "1 SEND", "1 RESE", "1 QUIT"}, 0,
         returned("Error sending pages to one or more of the selected pagers on", "Error, failed")},
        {"a rejected message names the PIN",
         [](Server& s) { s.Next("MESS", Server::Say("550 ERROR, Invalid Message")); }, 0, {"555-0001"},
         kSnppMessRejected, {kSnppMessRejected}, {"1 PAGE 5550001", "1 MESS one", "1 RESE", "1 QUIT"}, 0,
         returned("Error submitting message to PIN number 555-0001 to", "ERROR, Invalid Message")},
        {"any reply outside 4xx and 5xx is accepted",
         [](Server& s) {
             s.Next("PAGE", Server::Say("354 go ahead"));
             s.Next("SEND", Server::Say("960 1234 5678 OK, Message QUEUED for Delivery"));
         },
         0, {"1"}, 0, {0}, onePage, 0, ""},
        {"negative retries still make one attempt", [](Server&) {}, -3, {"1"}, 0, {0}, onePage, 0, ""},
    };
    const char* texts[] = {"one", "two", "three"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Server local;
        Serve(local);
        c.script(local);
        entries.clear();
        boxes.shown.clear();
        auto client = Client(c.retries, local.Dial());
        for (std::size_t i = 0; i < c.pins.size(); ++i) client->AddPage(true, Entry("P", c.pins[i]), texts[i], "");
        std::uint64_t start = clock.TickMs();
        EXPECT_EQ(client->SendAll(), c.result);
        EXPECT_EQ((clock.TickMs() - start) / 1000, c.seconds);
        EXPECT_EQ(Statuses(), c.statuses);
        EXPECT_EQ(local.Log(), c.log);
        std::string error = c.error;
        if (auto at = error.find("%p"); at != std::string::npos) error.replace(at, 2, std::to_string(local.port()));
        client->ReportError(entries[0].get());
        if (error.empty()) {
            EXPECT_TRUE(boxes.shown.empty());
            continue;
        }
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, error);
        EXPECT_EQ(boxes.shown[0].caption, "Page to P");
        EXPECT_EQ(boxes.shown[0].icon, MbIcon::Warning);
    }
}

TEST_F(SnppClient, AFloodingServerIsHeldToABoundedReply)
{
    server.Next("PAGE", Server::Raw("550 " + std::string(200000, 'x') + "\r\n"));
    auto client = Client(0);
    client->AddPage(true, Entry("One", "1"), "one", "");
    EXPECT_EQ(client->SendAll(), kSnppPageRejected);
    EXPECT_LE(client->serverText().size(), 4096u);
    EXPECT_EQ(client->serverText().substr(0, 3), "xxx");
}

TEST_F(SnppClient, CancelDuringThePageTwoOfThreeStopsTheRunWithQuit)
{
    for (PumpResult how : {PumpResult::Cancel, PumpResult::DeferredQuit}) {
        SCOPED_TRACE(how == PumpResult::Cancel ? "cancel" : "exit");
        Server local;
        Serve(local);
        entries.clear();
        bool sent = false;
        pump.onWait = [&](int) {
            local.ReadyFor(pump.lastFd);  // let the server take what was sent first
            if (sent || local.Count("PAGE") < 2) return PumpResult::Continue;
            sent = true;
            return how;
        };
        int waitsWithoutEvents = pump.waitsWithoutEvents;
        auto client = Client(3, local.Dial());
        for (const char* pin : {"1", "2", "3"}) client->AddPage(true, Entry("P", pin), "one", "");
        EXPECT_EQ(client->SendAll(), kSnppCancelled);
        EXPECT_EQ(Statuses(), (std::vector<int>{0, kSnppCancelled, kSnppCancelled}));
        EXPECT_EQ(local.Log(), (Lines{"1 PAGE 1", "1 MESS one", "1 SEND", "1 RESE", "1 PAGE 2", "1 QUIT"}));
        EXPECT_EQ(local.Connections(), 1);                       // no retry after a cancel
        EXPECT_GT(pump.waitsWithoutEvents, waitsWithoutEvents);  // QUIT's wait took no events
        client->ReportError(nullptr);
        EXPECT_EQ(boxes.shown.back().text, "Page cancelled");
    }

    // While waiting for the greeting: at once, without a second connection.
    Serve(server);
    server.Greet(Server::Silence());
    pump.onWait = [&](int) { return clock.TickMs() > 1005000 ? PumpResult::Cancel : PumpResult::Continue; };
    entries.clear();
    auto client = Client(5);
    client->AddPage(true, Entry("One", "1"), "one", "");
    client->AddPage(true, Entry("Two", "2"), "two", "");
    EXPECT_EQ(client->SendAll(), kSnppCancelled);
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(Statuses(), (std::vector<int>{kSnppCancelled, kSnppCancelled}));
}

TEST_F(SnppClient, ConnectFailuresAfterEveryAttempt)
{
    pump.ready = nullptr;
    const int refused = test::ClosedLoopbackPort();
    auto client = Client(2, At(refused));
    client->AddPage(true, Entry("Bob", "1"), "hi", "");
    EXPECT_EQ(client->SendAll(), kSnppConnectRefused);
    EXPECT_EQ(client->socketError(), ECONNREFUSED);
    EXPECT_EQ(Statuses(), (std::vector<int>{kSnppConnectRefused}));
    client->ReportError(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Page Error");
    EXPECT_EQ(boxes.shown[0].text, OnPort("The connection was refused.", refused));

    for (int port : {0, 70000}) {
        auto unusable = Client(0, At(port));
        EXPECT_EQ(unusable->SendNumeric("1", "1"), kSnppConnectFailed);
        EXPECT_EQ(unusable->ErrorText(), "Unable to establish SNPP connection to the paging company at 127.0.0.1 on port " +
                                             std::to_string(unusable->port()) + ".  Error code " +
                                             std::to_string(EADDRNOTAVAIL) + " was received.");
    }

    // A listener whose backlog is full takes no further connection: the handshake of the
    // next one never completes.
    test::CLoopbackListener listener(0, true);
    const int full = listener.port();
    auto hanging = Client(0, At(full));
    std::uint64_t start = clock.TickMs();
    EXPECT_EQ(hanging->SendNumeric("1", "1"), kSnppConnectTimeout);
    EXPECT_EQ(clock.TickMs() - start, 30000u);
    EXPECT_EQ(hanging->ErrorText(), OnPort("There was no response to the connect request.", full));
}

// Run in a child of the test (a death test), where no descriptor can be opened.
[[noreturn]] void SendWithoutDescriptors()
{
    CFakeClock clock;
    CFakePump pump(clock);
    CRecordingMessageBox boxes;
    rlimit none{0, 0};
    ::setrlimit(RLIMIT_NOFILE, &none);
    CSnppClient client({nullptr, pump, clock, boxes}, "SNPP:127.0.0.1:1", 0);
    int result = client.SendNumeric("1", "1");
    bool textRight =
        client.ErrorText() == "Unable to create a socket.  Error code " + std::to_string(EMFILE) + " was received.";
    std::_Exit(result == kSnppNoSocket && textRight ? 0 : 1);
}

TEST(SnppClientNoSocket, NoSocketIs101WithTheSystemError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(SendWithoutDescriptors(), ::testing::ExitedWithCode(0), "");
}

TEST_F(SnppClient, TheTransportsMakeAClientForTheEntryWithTheDialAttempts)
{
    CMemorySettings settings;
    settings.Write(key::DialAttempts, "2");
    test::CFakePorts ports;
    CTransports transports({settings, ports, &view, pump, clock, boxes});
    for (int i = 0; i < 3; ++i) server.Greet(Server::Say("421 busy"));
    PagerRecord& entry = Entry("Bob", "1");
    entry.PhoneNumber = server.Dial();
    std::unique_ptr<IPageCall> call = transports.NewSnppClient(entry);
    ASSERT_NE(call, nullptr);
    EXPECT_TRUE(call->IsSnpp());
    call->AddPage(true, entry, "hi", "hi");
    EXPECT_EQ(call->SendAlphaPages(), kSnppBadGreeting);
    EXPECT_EQ(server.Connections(), 3);  // DialAttempts further attempts after the first
    call->ShowError(&entry);
    EXPECT_EQ(boxes.shown.at(0).caption, "Page to Bob");
}

}  // namespace
}  // namespace corvane
