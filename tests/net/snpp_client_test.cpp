// The SNPP client against the scripted server on loopback, with the fake clock: the
// minute-long greeting wait and the ten-second reply waits pass in fake time, while the
// bytes go through a real socket.

#include "net/snpp_client.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "engine/transports.h"
#include "net/poll_pump.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/net/snpp_script_server.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

using test::CFakeClock;
using test::CFakeMainView;
using test::CFakePump;
using test::CRecordingMessageBox;
using test::CScriptedSnppServer;
using Server = CScriptedSnppServer;

TEST(SnppDialString, HostAndPort)
{
    CFakeClock clock;
    CFakePump pump(clock);
    CRecordingMessageBox boxes;
    struct Case {
        const char* dial;
        const char* host;
        int port;
    };
    for (const Case& c : {Case{"SNPP:192.168.1.20:444", "192.168.1.20", 444}, Case{"SNPP:10.0.0.5", "10.0.0.5", 7777},
                          Case{"SNPP:pager.example:", "pager.example", 0}, Case{"SNPP:h:12ab", "h", 12},
                          Case{"SNPP:h:1:2", "h", 1}, Case{"snpp:h", "h", 7777}, Case{"SNPP:", "", 7777}}) {
        SCOPED_TRACE(c.dial);
        CSnppClient client({nullptr, pump, clock, boxes}, c.dial, 5);
        EXPECT_EQ(client.host(), c.host);
        EXPECT_EQ(client.port(), c.port);
    }
}

TEST(SnppText, CleaningAndFilters)
{
    EXPECT_EQ(CleanSnppText(std::string("a\tb\r\nc\xE9\x80\x7F~ \x1F", 12)), std::string("a b  c  \x7F~  ", 12));
    EXPECT_EQ(SnppPinDigits("12-34 x5"), "12345");
    EXPECT_EQ(SnppNumericText("12-34*#a5 "), "1234*#5");
}

class SnppClient : public ::testing::Test {
protected:
    Server server;
    CFakeClock clock;
    CFakePump pump{clock};
    CRecordingMessageBox boxes;
    CFakeMainView view;
    std::vector<std::unique_ptr<PagerRecord>> entries;

    void SetUp() override
    {
        pump.ready = [this] { return server.ReadyFor(pump.lastFd); };
    }
    std::unique_ptr<CSnppClient> Client(int retries = 0, std::string dial = "")
    {
        if (dial.empty()) dial = server.Dial();
        return std::make_unique<CSnppClient>(SnppClientDeps{&view, pump, clock, boxes}, dial, retries);
    }
    PagerRecord& Entry(const char* name, const char* pin)
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
    std::uint64_t FakeSecondsSince(std::uint64_t start) const { return (clock.TickMs() - start) / 1000; }
};

TEST_F(SnppClient, TwoPagesOnOneConnectionExactlyOnTheWire)
{
    auto client = Client();
    client->AddPage(true, Entry("Bob", "555-1234"), "Hello Bob", "log one");
    client->AddPage(false, Entry("Ann", "5550000"), "part one...", "");
    EXPECT_EQ(Statuses(), (std::vector<int>{0, 0}));
    EXPECT_EQ(client->SendAll(), 0);
    EXPECT_EQ(Statuses(), (std::vector<int>{0, 0}));
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(server.Received(1),
              "PAGE 5551234\r\nMESS Hello Bob\r\nSEND\r\nRESE\r\n"
              "PAGE 5550000\r\nMESS part one...\r\nSEND\r\nRESE\r\nQUIT\r\n");
    EXPECT_EQ(view.statusLine,
              (std::vector<std::string>{"Closing SNPP Connection", "Ready", "Connecting to SNPP Server",
                                        "Waiting for Ready Signal", "Sending Page(s)", "Sending Page(s)",
                                        "Closing SNPP Connection", "Ready"}));
    EXPECT_EQ(client->CountedPages(), 1);
    ASSERT_EQ(client->Counted().size(), 1u);
    EXPECT_EQ(client->Counted()[0].entry, entries[0].get());
    EXPECT_EQ(client->Counted()[0].logText, "log one");
    client->ReportError(nullptr);
    EXPECT_TRUE(boxes.shown.empty());  // nothing to say after a success
}

TEST_F(SnppClient, AddPageFirstGoesToTheFront)
{
    auto client = Client();
    client->AddPage(true, Entry("Bob", "1"), "second", "");
    client->AddPageFirst(false, Entry("Bob", "1"), "first", "");
    EXPECT_EQ(client->SendAll(), 0);
    EXPECT_EQ(server.Log(), (std::vector<std::string>{"1 PAGE 1", "1 MESS first", "1 SEND", "1 RESE", "1 PAGE 1",
                                                      "1 MESS second", "1 SEND", "1 RESE", "1 QUIT"}));
}

TEST_F(SnppClient, PinDigitsGoOutButTheMessageShowsThePinAsStored)
{
    server.Always("PAGE", Server::Say("550 Error, Invalid Pager ID"));
    auto client = Client(1);
    client->AddPage(true, Entry("Bob", "12-34"), "hi", "");
    EXPECT_EQ(client->SendAll(), kSnppPageRejected);
    EXPECT_EQ(Statuses(), (std::vector<int>{kSnppPageRejected}));
    // Two tries on the one connection, each rejection followed by RESE; then QUIT.
    EXPECT_EQ(server.Log(), (std::vector<std::string>{"1 PAGE 1234", "1 RESE", "1 PAGE 1234", "1 RESE", "1 QUIT"}));
    client->ReportError(entries[0].get());
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Page to Bob");
    EXPECT_EQ(boxes.shown[0].icon, MbIcon::Warning);
    EXPECT_EQ(boxes.shown[0].text, "Error sending PIN number 12-34 to SNPP server at 127.0.0.1 on port " +
                                       std::to_string(server.port()) +
                                       ".  The paging server returned the message \"Error, Invalid Pager ID\".");
}

TEST_F(SnppClient, ControlAndHighBytesAreSentAsSpaces)
{
    auto client = Client();
    client->AddPage(true, Entry("Bob", "1"), std::string("Tab\there\r\nnext caf\xE9 \x7F!", 22), "");
    EXPECT_EQ(client->SendAll(), 0);
    EXPECT_EQ(server.Received(1).substr(0, 33), std::string("PAGE 1\r\nMESS Tab here  next caf  \x7F!\r\n", 33));
}

TEST_F(SnppClient, GreetingOutside2xxFailsWith105AndTheServerText)
{
    server.Greet(Server::Say("421 busy"));
    server.Greet(Server::Say("421 busy"));
    auto client = Client(1);
    client->AddPage(true, Entry("Bob", "1"), "hi", "");
    EXPECT_EQ(client->SendAll(), kSnppBadGreeting);
    EXPECT_EQ(client->serverText(), "busy");
    EXPECT_EQ(server.Connections(), 2);  // retries + 1 attempts
    EXPECT_EQ(server.Log(), (std::vector<std::string>{"1 <closed>", "2 <closed>"}));  // no QUIT
    // No page went out, and none may read as delivered.
    EXPECT_EQ(Statuses(), (std::vector<int>{kSnppBadGreeting}));
    client->ReportError(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Page Error");
    EXPECT_EQ(boxes.shown[0].text, "Error connecting to SNPP server.  The paging server returned the message \"busy\".");
}

TEST_F(SnppClient, ASilentServerFailsAfterAMinuteWithNoResponse)
{
    server.Greet(Server::Silence());
    auto client = Client();
    client->AddPage(true, Entry("Bob", "1"), "hi", "");
    std::uint64_t start = clock.TickMs();
    EXPECT_EQ(client->SendAll(), kSnppBadGreeting);
    EXPECT_EQ(FakeSecondsSince(start), 60u);
    client->ReportError(nullptr);
    EXPECT_EQ(boxes.shown.at(0).text,
              "Error connecting to SNPP server.  The paging server returned the message \"No Response was Received\".");
}

TEST_F(SnppClient, RepliesSplitOverSeveralReadsAreGathered)
{
    server.Greet(Server::Split("220 ready and waiting", {1, 3, 10}, 5));
    server.Next("MESS", Server::Split("250 Message OK", {4, 15}, 5));  // the CR and the LF apart
    auto client = Client();
    client->AddPage(true, Entry("Bob", "1"), "hi", "");
    std::uint64_t start = clock.TickMs();
    EXPECT_EQ(client->SendAll(), 0);
    EXPECT_EQ(FakeSecondsSince(start), 0u);
    EXPECT_EQ(server.Count("SEND"), 1);
}

TEST_F(SnppClient, RepliesThatAreNotWholeLinesAreNoReplies)
{
    struct Case {
        const char* name;
        Server::Action reply;
        std::uint64_t seconds;  // a line that never ends is waited for until the timeout
    };
    for (const Case& c : {Case{"no CR LF", Server::Raw("250 Message Sent"), 10},
                          Case{"too short", Server::Raw("250\r\n"), 0},
                          Case{"six characters", Server::Raw("2500\r\n"), 0}}) {
        SCOPED_TRACE(c.name);
        Server local;
        pump.ready = [&] { return local.ReadyFor(pump.lastFd); };
        local.Next("SEND", c.reply);
        auto client = Client(0, local.Dial());
        client->AddPage(true, Entry("Bob", "1"), "hi", "");
        std::uint64_t start = clock.TickMs();
        EXPECT_EQ(client->SendAll(), kSnppNoReply);
        EXPECT_EQ(FakeSecondsSince(start), c.seconds);
        EXPECT_EQ(client->serverText(), "No Response was Received");
        pump.ready = nullptr;
    }
}

TEST_F(SnppClient, NoReplyToSendMarksTheRestOfTheRunWithoutTryingThem)
{
    server.Always("SEND", Server::Silence());
    auto client = Client(1);
    client->AddPage(true, Entry("Bob", "1111111"), "one", "");
    client->AddPage(true, Entry("Ann", "2222222"), "two", "");
    std::uint64_t start = clock.TickMs();
    EXPECT_EQ(client->SendAll(), kSnppNoReply);
    EXPECT_EQ(Statuses(), (std::vector<int>{kSnppNoReply, kSnppNoReply}));
    // The first page had its two tries, each on a fresh connection (a late reply must not
    // be taken for the answer to the next command); the second was never offered.
    EXPECT_EQ(server.Log(), (std::vector<std::string>{"1 PAGE 1111111", "1 MESS one", "1 SEND", "1 <closed>",
                                                      "2 PAGE 1111111", "2 MESS one", "2 SEND", "2 <closed>"}));
    EXPECT_EQ(FakeSecondsSince(start), 20u);
    client->ReportError(nullptr);
    EXPECT_EQ(boxes.shown.at(0).text,
              "No response was received from the SNPP server at 127.0.0.1 on port " + std::to_string(server.port()) +
                  " while sending to one or more of the selected pagers.  The pages may not have been delivered.");
}

TEST_F(SnppClient, AConnectionClosedMidPageIsNoReplyAtOnce)
{
    server.Next("MESS", Server::Hangup());
    auto client = Client();
    client->AddPage(true, Entry("Bob", "1"), "hi", "");
    std::uint64_t start = clock.TickMs();
    EXPECT_EQ(client->SendAll(), kSnppNoReply);
    EXPECT_EQ(FakeSecondsSince(start), 0u);
    client->ReportError(entries[0].get());
    EXPECT_EQ(boxes.shown.at(0).text,
              "No response was received from the SNPP server at 127.0.0.1 on port " + std::to_string(server.port()) +
                  " while sending to PIN number 1.  The page may not have been delivered.");
}

TEST_F(SnppClient, CancelDuringThePageTwoOfThreeStopsTheRun)
{
    for (PumpResult how : {PumpResult::Cancel, PumpResult::DeferredQuit}) {
        SCOPED_TRACE(how == PumpResult::Cancel ? "cancel" : "exit");
        Server local;
        entries.clear();
        bool sent = false;
        pump.ready = [&] { return local.ReadyFor(pump.lastFd); };
        pump.onWait = [&](int) {
            local.ReadyFor(pump.lastFd);  // let the server take what was sent first
            if (sent || local.Count("PAGE") < 2) return PumpResult::Continue;
            sent = true;
            return how;
        };
        int waitsWithoutEvents = pump.waitsWithoutEvents;
        auto client = Client(3, local.Dial());
        client->AddPage(true, Entry("One", "1"), "one", "");
        client->AddPage(true, Entry("Two", "2"), "two", "");
        client->AddPage(true, Entry("Three", "3"), "three", "");
        EXPECT_EQ(client->SendAll(), kSnppCancelled);
        EXPECT_EQ(Statuses(), (std::vector<int>{0, kSnppCancelled, kSnppCancelled}));
        EXPECT_EQ(local.Log(), (std::vector<std::string>{"1 PAGE 1", "1 MESS one", "1 SEND", "1 RESE", "1 PAGE 2",
                                                         "1 QUIT"}));
        EXPECT_EQ(local.Connections(), 1);          // no retry after a cancel
        EXPECT_GT(pump.waitsWithoutEvents, waitsWithoutEvents);  // QUIT's wait took no events
        client->ReportError(nullptr);
        EXPECT_EQ(boxes.shown.back().text, "Page cancelled");
        pump.ready = nullptr;
        pump.onWait = nullptr;
    }
}

TEST_F(SnppClient, CancelWhileWaitingForTheGreetingEndsAtOnce)
{
    server.Greet(Server::Silence());
    pump.onWait = [&](int) { return clock.TickMs() > 1005000 ? PumpResult::Cancel : PumpResult::Continue; };
    auto client = Client(5);
    client->AddPage(true, Entry("One", "1"), "one", "");
    client->AddPage(true, Entry("Two", "2"), "two", "");
    EXPECT_EQ(client->SendAll(), kSnppCancelled);
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(Statuses(), (std::vector<int>{kSnppCancelled, kSnppCancelled}));
}

TEST_F(SnppClient, ATemporaryFailureDropsTheConnectionAndTheNextTryReconnects)
{
    server.Next("MESS", Server::Say("421 Too busy, try later"));
    auto client = Client(1);
    client->AddPage(true, Entry("Bob", "1"), "hi", "");
    EXPECT_EQ(client->SendAll(), 0);
    EXPECT_EQ(Statuses(), (std::vector<int>{0}));
    // Dropped without RESE or QUIT, then the page again on a new connection.
    EXPECT_EQ(server.Log(), (std::vector<std::string>{"1 PAGE 1", "1 MESS hi", "1 <closed>", "2 PAGE 1", "2 MESS hi",
                                                      "2 SEND", "2 RESE", "2 QUIT"}));
}

TEST_F(SnppClient, ALostConnectionFailsTheLaterPagesWithTheSameError)
{
    server.Next("PAGE", Server::Say("450 Temporarily unavailable"));
    auto client = Client(0);
    client->AddPage(true, Entry("One", "1"), "one", "");
    client->AddPage(true, Entry("Two", "2"), "two", "");
    EXPECT_EQ(client->SendAll(), kSnppPageRejected);
    EXPECT_EQ(Statuses(), (std::vector<int>{kSnppPageRejected, kSnppPageRejected}));
    EXPECT_EQ(server.Log(), (std::vector<std::string>{"1 PAGE 1", "1 <closed>"}));
    EXPECT_EQ(client->serverText(), "Temporarily unavailable");
}

TEST_F(SnppClient, ARejectedSendIsReportedEvenWhenALaterPageGoesThrough)
{
    server.Next("SEND", Server::Say("554 Error, failed"));
    auto client = Client(0);
    client->AddPage(true, Entry("One", "1"), "one", "");
    client->AddPage(true, Entry("Two", "2"), "two", "");
    EXPECT_EQ(client->SendAll(), kSnppSendRejected);
    EXPECT_EQ(Statuses(), (std::vector<int>{kSnppSendRejected, 0}));
    EXPECT_EQ(server.Log(), (std::vector<std::string>{"1 PAGE 1", "1 MESS one", "1 SEND", "1 RESE", "1 PAGE 2",
                                                      "1 MESS two", "1 SEND", "1 RESE", "1 QUIT"}));
    client->ReportError(nullptr);
    EXPECT_EQ(boxes.shown.at(0).text, "Error sending pages to one or more of the selected pagers on SNPP server at "
                                      "127.0.0.1 on port " +
                                          std::to_string(server.port()) +
                                          ".  The paging server returned the message \"Error, failed\".");
}

TEST_F(SnppClient, ARejectedMessageNamesThePin)
{
    server.Next("MESS", Server::Say("550 ERROR, Invalid Message"));
    auto client = Client(0);
    client->AddPage(true, Entry("One", "555-0001"), " ", "");
    EXPECT_EQ(client->SendAll(), kSnppMessRejected);
    client->ReportError(nullptr);
    EXPECT_EQ(boxes.shown.at(0).text, "Error submitting message to PIN number 555-0001 to SNPP server at 127.0.0.1 on "
                                      "port " +
                                          std::to_string(server.port()) +
                                          ".  The paging server returned the message \"ERROR, Invalid Message\".");
}

TEST_F(SnppClient, AnyReplyOutside4xxAnd5xxIsAccepted)
{
    server.Next("PAGE", Server::Say("354 go ahead"));
    server.Next("SEND", Server::Say("960 1234 5678 OK, Message QUEUED for Delivery"));
    auto client = Client(0);
    client->AddPage(true, Entry("One", "1"), "one", "");
    EXPECT_EQ(client->SendAll(), 0);
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

TEST_F(SnppClient, NumericPageSendsOnlyDigitsStarAndHash)
{
    auto client = Client(0);
    EXPECT_EQ(client->SendNumeric("(555) 123-4567", "12-34*#a5"), 0);
    EXPECT_EQ(server.Received(1), "PAGE 5551234567\r\nMESS 1234*#5\r\nSEND\r\nRESE\r\nQUIT\r\n");
    PagerRecord entry;
    entry.PagerID = "99";
    auto second = Client(0);
    EXPECT_EQ(second->SendNumericPage(entry, "42"), 0);
    EXPECT_EQ(server.Received(2), "PAGE 99\r\nMESS 42\r\nSEND\r\nRESE\r\nQUIT\r\n");
}

TEST_F(SnppClient, ARefusedConnectionIs103AfterEveryAttempt)
{
    int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    int port = ntohs(address.sin_port);
    ::close(probe);  // nothing listens there now

    pump.ready = nullptr;
    auto client = Client(2, "SNPP:127.0.0.1:" + std::to_string(port));
    client->AddPage(true, Entry("Bob", "1"), "hi", "");
    EXPECT_EQ(client->SendAll(), kSnppConnectRefused);
    EXPECT_EQ(client->socketError(), ECONNREFUSED);
    EXPECT_EQ(Statuses(), (std::vector<int>{kSnppConnectRefused}));
    client->ReportError(nullptr);
    EXPECT_EQ(boxes.shown.at(0).text, "Unable to establish SNPP connection to the paging company at 127.0.0.1 on port " +
                                          std::to_string(port) + ".  The connection was refused.");
}

TEST_F(SnppClient, AnUnusableAddressIs104WithItsErrorCode)
{
    pump.ready = nullptr;
    for (const char* dial : {"SNPP:127.0.0.1:0", "SNPP:127.0.0.1:70000"}) {
        SCOPED_TRACE(dial);
        boxes.shown.clear();
        auto client = Client(0, dial);
        EXPECT_EQ(client->SendNumeric("1", "1"), kSnppConnectFailed);
        client->ReportError(nullptr);
        EXPECT_EQ(boxes.shown.at(0).text, "Unable to establish SNPP connection to the paging company at " +
                                              client->host() + " on port " + std::to_string(client->port()) +
                                              ".  Error code " + std::to_string(EADDRNOTAVAIL) + " was received.");
    }
}

TEST_F(SnppClient, AConnectThatHangsTimesOutAs102)
{
    // A listener whose backlog is full takes no further connection: the handshake of the
    // next one never completes.
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    std::vector<int> fillers;
    for (int i = 0; i < 4; ++i) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        fillers.push_back(fd);
    }
    pump.ready = nullptr;
    auto client = Client(0, "SNPP:127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    std::uint64_t start = clock.TickMs();
    EXPECT_EQ(client->SendNumeric("1", "1"), kSnppConnectTimeout);
    EXPECT_EQ(FakeSecondsSince(start), 30u);
    client->ReportError(nullptr);
    EXPECT_EQ(boxes.shown.at(0).text, "Unable to establish SNPP connection to the paging company at 127.0.0.1 on port " +
                                          std::to_string(ntohs(address.sin_port)) +
                                          ".  There was no response to the connect request.");
    for (int fd : fillers) ::close(fd);
    ::close(listener);
}

TEST_F(SnppClient, NegativeRetriesStillMakeOneAttempt)
{
    auto client = Client(-3);
    client->AddPage(true, Entry("Bob", "1"), "hi", "");
    EXPECT_EQ(client->SendAll(), 0);
    EXPECT_EQ(server.Count("SEND"), 1);
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

// The same server in real time, with the plain poll pump: a reply that comes in three
// pieces with pauses between them is read over several reads and gathered.
TEST(SnppClientRealTime, SplitRepliesOverARealSocket)
{
    Server server;
    server.Greet(Server::Split("220 ready", {2, 5}, 30));
    server.Always("SEND", Server::Split("250 Message Sent Successfully", {3, 12, 30}, 30));
    CSystemClock clock;
    CPollPump pump;
    CRecordingMessageBox boxes;
    CSnppClient client({nullptr, pump, clock, boxes}, server.Dial(), 0);
    PagerRecord a, b;
    a.PagerID = "1";
    b.PagerID = "2";
    client.AddPage(true, a, "one", "");
    client.AddPage(true, b, "two", "");
    EXPECT_EQ(client.SendAll(), 0);
    EXPECT_EQ(server.Count("RESE"), 2);
    EXPECT_EQ(server.Count("QUIT"), 1);
}

}  // namespace
}  // namespace corvane
