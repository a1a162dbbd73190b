// The SNPP dial string, and the login: "user@" or "user:password@" before the server in the
// phone number, sent as LOGI after the greeting and after every RESE; against the scripted
// server under the fake clock.

#include <gtest/gtest.h>

#include <memory>

#include "net/snpp_client.h"
#include "tests/net/snpp_script_server.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

using Server = test::CScriptedSnppServer;

TEST(SnppDialString, TheLoginStandsBeforeTheLastAtThenHostAndPort)
{
    test::CFakeClock clock;
    test::CFakePump pump(clock);
    test::CRecordingMessageBox boxes;
    struct Case {
        const char* dial;
        const char* user;
        const char* host;
        int port;
    };
    for (const Case& c : {Case {"SNPP:192.168.1.20:444", "", "192.168.1.20", 444}, Case {"SNPP:10.0.0.5", "", "10.0.0.5", 7777},
                          Case {"SNPP:pager.example:", "", "pager.example", 0}, Case {"SNPP:h:12ab", "", "h", 12},
                          Case {"SNPP:h:1:2", "", "h", 1}, Case {"snpp:h", "", "h", 7777}, Case {"SNPP:", "", "", 7777},
                          Case {"SNPP:ops:s3cret@10.0.0.5:444", "ops", "10.0.0.5", 444},
                          Case {"SNPP:ops@pager.example", "ops", "pager.example", 7777},
                          Case {"SNPP:ops:a@b:c@host:1", "ops", "host", 1}, Case {"SNPP:@host:2", "", "host", 2}}) {
        CSnppClient client({nullptr, pump, clock, boxes}, c.dial, 0, "service-pw");
        EXPECT_EQ(client.user(), c.user) << c.dial;
        EXPECT_EQ(client.host(), c.host) << c.dial;
        EXPECT_EQ(client.port(), c.port) << c.dial;
    }
}

class SnppLogin : public ::testing::Test {
protected:
    SnppLogin()
    {
        pump.ready = [this] { return server.ReadyFor(pump.lastFd); };
        server.Always("LOGI", Server::Say("250 User logged in"));
    }
    std::unique_ptr<CSnppClient> Client(const std::string& login, int retries = 0, const std::string& password = "")
    {
        return std::make_unique<CSnppClient>(SnppClientDeps {nullptr, pump, clock, boxes},
                                             "SNPP:" + login + "@127.0.0.1:" + std::to_string(server.port()), retries,
                                             password);
    }
    PagerRecord& Entry(const char* pin)
    {
        entries.push_back(std::make_unique<PagerRecord>());
        entries.back()->PagerID = pin;
        return *entries.back();
    }

    Server server;
    test::CFakeClock clock;
    test::CFakePump pump {clock};
    test::CRecordingMessageBox boxes;
    std::vector<std::unique_ptr<PagerRecord>> entries;
};

TEST_F(SnppLogin, EveryPageIsSentLoggedIn)
{
    auto client = Client("ops:s3cret");
    client->AddPage(true, Entry("1"), "one", "");
    client->AddPage(true, Entry("2"), "two", "");
    EXPECT_EQ(client->SendAll(), 0);
    // The server here knows no SITE request: its refusal changes nothing.
    EXPECT_EQ(server.Received(1), "LOGI ops s3cret\r\nSITE JQUEUE yes\r\nPAGE 1\r\nMESS one\r\nSEND\r\nRESE\r\n"
                                  "LOGI ops s3cret\r\nSITE JQUEUE yes\r\nPAGE 2\r\nMESS two\r\nSEND\r\nRESE\r\nQUIT\r\n");

    // Without a password of its own the login takes the service's.
    EXPECT_EQ(Client("ops", 0, "service pw")->SendNumeric("77", "123"), 0);
    EXPECT_EQ(server.Received(2).substr(0, 47), "LOGI ops service pw\r\nSITE JQUEUE yes\r\nPAGE 77\r\n");
}

TEST_F(SnppLogin, ARefusedLoginIsTheGreetingsRejectionAndIsNotRetried)
{
    server.Next("LOGI", Server::Say("550 Login incorrect."));
    auto client = Client("ops:wrong", 5);
    client->AddPage(true, Entry("1"), "one", "");
    client->AddPage(true, Entry("2"), "two", "");
    EXPECT_EQ(client->SendAll(), kSnppBadGreeting);
    EXPECT_EQ(entries[0]->DeliveryStatus, kSnppBadGreeting);
    EXPECT_EQ(entries[1]->DeliveryStatus, kSnppBadGreeting);
    EXPECT_EQ(server.Connections(), 1);
    EXPECT_EQ(server.Received(1), "LOGI ops wrong\r\nQUIT\r\n");
    client->ReportError(nullptr);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Error connecting to SNPP server.  The paging server returned the message \"Login incorrect.\".");
    EXPECT_EQ(boxes.shown[0].caption, "Page Error");
}

TEST_F(SnppLogin, ABusyServerIsTriedAgain)
{
    server.Next("LOGI", Server::Say("421 Too many users, try later"));
    auto client = Client("ops:s3cret", 1);
    client->AddPage(true, Entry("1"), "one", "");
    EXPECT_EQ(client->SendAll(), 0);
    EXPECT_EQ(server.Connections(), 2);
    EXPECT_EQ(server.Received(1), "LOGI ops s3cret\r\n");  // dropped without QUIT, as after any 4xx
    EXPECT_EQ(server.Count("PAGE"), 1);
}

}  // namespace
}  // namespace corvane
