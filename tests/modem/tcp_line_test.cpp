// The network line: which names are terminals on the network, and a real connection on
// loopback as the page call sees it (connect, bytes both ways, purge, the terminal
// hanging up).

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "modem/tcp_line.h"
#include "tests/net/loopback.h"

namespace corvane {
namespace {

TEST(TcpLineName, HostAndPortOrNothing)
{
    struct Case {
        const char* name;
        bool valid;
        const char* host = "";
        int port = 0;
        const char* shown = "";
    };
    const Case cases[] = {
        {"tcp:127.0.0.1:5000", true, "127.0.0.1", 5000, "127.0.0.1:5000"},
        {"TCP:pager.example.net:23", true, "pager.example.net", 23, "pager.example.net:23"},
        {"tcp:[::1]:65535", true, "::1", 65535, "[::1]:65535"},
        {"tcp:host:0", false},      {"tcp:host:65536", false}, {"tcp:host:12a", false},
        {"tcp:host", false},        {"tcp:host:", false},      {"tcp::5000", false},
        {"tcp:::1:5000", false},    {"tcp:[::1]5000", false},  {"tcp:a b:1", false},
        {"tcp:user@host:1", false}, {"tcp:", false},           {"COM1", false},
        {"/dev/ttyUSB0", false},    {"SNPP:host:444", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TcpEndpoint endpoint;
        ASSERT_EQ(ParseTcpLineName(c.name, endpoint), c.valid);
        CTcpLine line(c.name);
        EXPECT_EQ(line.Valid(), c.valid);
        if (!c.valid) {
            EXPECT_EQ(line.Connect(), LineConnect::Failed);
            continue;
        }
        EXPECT_EQ(endpoint.host, c.host);
        EXPECT_EQ(endpoint.port, c.port);
        EXPECT_EQ(line.Endpoint(), c.shown);
    }
    EXPECT_TRUE(IsTcpLineName("Tcp:x"));
    EXPECT_FALSE(IsTcpLineName("tcp:"));
}

class TcpLineTest : public ::testing::Test {
protected:
    ~TcpLineTest() override
    {
        if (m_peer >= 0) ::close(m_peer);
    }

    // Polls the attempt to its end, as the page call does between its waits.
    LineConnect Settle(CTcpLine& line, LineConnect state)
    {
        for (int i = 0; i < 500 && state == LineConnect::Pending; ++i) {
            pollfd p {line.Fd(), POLLOUT, 0};
            ::poll(&p, line.Fd() >= 0 ? 1 : 0, 10);
            state = line.Poll();
        }
        return state;
    }
    void Accept() { m_peer = ::accept(m_listener.fd(), nullptr, nullptr); }
    std::string ReadAll(CTcpLine& line)
    {
        std::string text;
        char buffer[64];
        for (int i = 0; i < 100; ++i) {
            for (std::size_t n; (n = line.Read(buffer, sizeof buffer)) > 0;) text.append(buffer, n);
            if (!text.empty() || line.Fd() < 0) break;
            ::usleep(10000);
        }
        return text;
    }

    test::CLoopbackListener m_listener {4};
    int port = m_listener.port();
    int m_peer = -1;
};

TEST_F(TcpLineTest, CarriesBytesBothWaysUntilTheTerminalHangsUp)
{
    // A name, so that the host is looked up in the background.
    CTcpLine line("tcp:localhost:" + std::to_string(port));
    ASSERT_EQ(Settle(line, line.Connect()), LineConnect::Connected);
    Accept();
    ASSERT_GE(m_peer, 0);

    line.Write("\x1bPG1\r");
    EXPECT_EQ(line.TakeErrors(), 0u);
    char received[16] = {};
    EXPECT_EQ(::recv(m_peer, received, sizeof received, 0), 5);
    EXPECT_STREQ(received, "\x1bPG1\r");

    ASSERT_EQ(::send(m_peer, "ID=", 3, 0), 3);
    ::usleep(20000);
    line.Purge(true, true);  // what had arrived is dropped
    ASSERT_EQ(::send(m_peer, "\x06\r", 2, 0), 2);
    EXPECT_EQ(ReadAll(line), "\x06\r");

    ::close(m_peer);
    m_peer = -1;
    EXPECT_EQ(ReadAll(line), "");
    EXPECT_EQ(line.Fd(), -1);  // nobody waits on a socket that stays readable for ever
    EXPECT_EQ(line.TakeErrors(), kCommIoError);
    line.Write("\x04\r");
    EXPECT_EQ(line.TakeErrors(), kCommIoError);

    // The next call connects afresh.
    ASSERT_EQ(Settle(line, line.Connect()), LineConnect::Connected);
    EXPECT_EQ(line.TakeErrors(), 0u);
}

}  // namespace
}  // namespace corvane
