// Connecting to a paging terminal on the network takes the dial's place: bounded by the
// service's connection wait, re-tried like a dial, and cancellable. The terminal here is a
// loopback listener whose queue is full, so that a connection never completes; the fake
// clock makes its waits instant.

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "engine/modem_page_call.h"
#include "modem/tcp_line.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"

namespace corvane::test {
namespace {

class CSilentTerminal {
public:
    CSilentTerminal()
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listener, 0);  // one connection waits to be accepted, later ones hang
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ::connect(m_filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
        name = "tcp:127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }
    ~CSilentTerminal()
    {
        ::close(m_filler);
        ::close(m_listener);
    }
    std::string name;

private:
    int m_listener = -1;
    int m_filler = -1;
};

class TcpPageCallTest : public ::testing::Test {
protected:
    int Send(int dialAttempts)
    {
        CTcpLine* raw = &line;
        call = std::make_unique<CModemPageCall>(ModemCallDeps {settings, &view, pump, clock, boxes}, "M1Q0X4E0V1S7=255",
                                                terminal.name, [raw] { return raw; }, dialAttempts, 20, 8, "PW");
        call->AddPage(true, pager, "hello", "hello");
        start = clock.TickMs();
        return call->SendAlphaPages();
    }
    int Shown(const std::string& text) const
    {
        return static_cast<int>(std::count(view.statusLine.begin(), view.statusLine.end(), text));
    }

    CSilentTerminal terminal;
    CTcpLine line {terminal.name};
    CFakeClock clock;
    CFakePump pump {clock};
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeMainView view;
    PagerRecord pager;
    std::unique_ptr<CModemPageCall> call;
    std::uint64_t start = 0;
};

TEST_F(TcpPageCallTest, AConnectionThatNeverCompletesIsNoAnswerAfterTheConnectionWait)
{
    EXPECT_EQ(Send(1), kCallNoAnswer);
    // Two attempts of 20 s each (the service's connection wait), 10 s between them.
    EXPECT_EQ(call->DialsMade(), 2);
    EXPECT_GE(clock.TickMs() - start, 50000u);
    EXPECT_LT(clock.TickMs() - start, 51000u);
    EXPECT_EQ(Shown("Connecting to " + terminal.name.substr(4)), 2);
    EXPECT_EQ(Shown("No connection, waiting 10 seconds for retry"), 1);
    EXPECT_EQ(view.statusLine.back(), "Ready");
    EXPECT_FALSE(line.IsConnected());
    call->ShowError(&pager);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "There is no answer at the paging company.  Please check that you are using the correct phone number.");
}

TEST_F(TcpPageCallTest, ACancelWhileConnectingEndsTheCall)
{
    int waits = 0;
    pump.onWait = [&](int) { return ++waits == 40 ? PumpResult::Cancel : PumpResult::Continue; };
    EXPECT_EQ(Send(5), kCallCancelled);
    EXPECT_EQ(call->DialsMade(), 1);
    EXPECT_LT(clock.TickMs() - start, 20000u);
    EXPECT_EQ(line.Fd(), -1);  // the attempt is given up, not left open

    // A numeric page has no modem to key its digits on a network line.
    EXPECT_EQ(call->SendNumericPage("77", "2", "1234"), kCallNoDialtone);
}

}  // namespace
}  // namespace corvane::test
