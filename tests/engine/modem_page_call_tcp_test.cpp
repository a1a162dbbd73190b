// Connecting to a paging terminal on the network takes the dial's place: bounded by the
// service's connection wait, re-tried like a dial, and cancellable. The terminal here is a
// loopback listener whose queue is full, so that a connection never completes; the fake
// clock makes its waits instant.

#include <gtest/gtest.h>

#include "engine/modem_page_call.h"
#include "modem/tcp_line.h"
#include "settings/memory_settings.h"
#include "tests/net/loopback.h"
#include "tests/support/fakes.h"

namespace corvane::test {
namespace {

class TcpPageCallTest : public ::testing::Test {
protected:
    int Send(int dialAttempts)
    {
        CTcpLine* raw = &line;
        call = std::make_unique<CModemPageCall>(ModemCallDeps {settings, &view, pump, clock, boxes}, "M1Q0X4E0V1S7=255",
                                                name, [raw] { return raw; }, dialAttempts, 20, 8, "PW");
        call->AddPage(true, pager, "hello", "hello");
        start = clock.TickMs();
        return call->SendAlphaPages();
    }
    int Shown(const std::string& text) const
    {
        return static_cast<int>(std::count(view.statusLine.begin(), view.statusLine.end(), text));
    }

    CLoopbackListener terminal {0, true};
    const std::string name = "tcp:127.0.0.1:" + std::to_string(terminal.port());
    CTcpLine line {name};
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
    EXPECT_EQ(Shown("Connecting to " + name.substr(4)), 2);
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
