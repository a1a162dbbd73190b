// The send run through the real modem page call to the in-process paging central, under
// the fake clock: what the central accepted and what the logs say must agree.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/transports.h"
#include "tests/engine/send_run_fixture.h"
#include "tests/sim/paging_central.h"
#include "tests/sim/sim_port.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

class SimSendRunTest : public SendRunTest {
protected:
    void StartCentral()
    {
        central = std::make_unique<sim::CPagingCentral>(script);
        line = std::make_unique<sim::CSimPort>(*central, clock);
        ports.port = line.get();
        pump.ready = [this] { return line->ReadyFor(pump.lastFd); };
    }
    PagerRecord& Member(const std::string& name, int pagesPerCall = 9999)
    {
        PagerRecord& p = AddPager(name);
        p.Groups = {"Ops"};
        p.PagesPerCall = static_cast<std::int16_t>(pagesPerCall);
        return p;
    }
    void RunReal()
    {
        if (!central) StartCentral();
        SendRunContext context {queue, pagers, files, ports, real, view, pump, clock};
        RunQueue(context, kSendInteractive);
    }
    // The log's lines without their timestamps: the fake clock moves through each call.
    static std::string Untimed(const std::string& log)
    {
        std::string lines;
        for (std::size_t at = 0; at < log.size();) {
            const std::size_t end = log.find('\n', at);
            lines += log.substr(at + kAt.size(), end - at - kAt.size() + 1);
            at = end + 1;
        }
        return lines;
    }
    std::vector<std::string> Accepted() const
    {
        std::vector<std::string> pages;
        for (const auto& page : central->Pages()) pages.push_back(page.pagerId + ":" + page.message);
        return pages;
    }

    sim::SimScript script;
    std::unique_ptr<sim::CPagingCentral> central;
    std::unique_ptr<sim::CSimPort> line;
    CTransports real {{settings, ports, &view, pump, clock, boxes}};
};

TEST_F(SimSendRunTest, APagesPerCallLimitBelowOneSendsOnePagePerCall)
{
    for (int limit : {0, -1}) {
        SCOPED_TRACE(limit);
        pagers.Clear();
        dir.Write("log.txt", "");
        boxes.shown.clear();
        StartCentral();
        Member("A", limit);
        Member("B", limit);
        Queue("Ops", "hi");
        RunReal();
        EXPECT_EQ(central->Logons(), 2);
        EXPECT_THAT(Accepted(), ElementsAre("11:hi", "12:hi"));
        EXPECT_EQ(Untimed(PageLog()), "A: hi\nB: hi\n");
        ASSERT_EQ(boxes.shown.size(), 1u) << boxes.Texts();
        EXPECT_EQ(boxes.shown[0].text, kDeliveredText);
    }
    EXPECT_EQ(ErrorLog(), "");
}

TEST_F(SimSendRunTest, EachPageOfAFailedCallIsLoggedByWhatTheTerminalSaid)
{
    struct Case {
        const char* what;
        void (*setUp)(sim::SimScript&);
        std::string pageLog, errorLog;
    };
    const Case cases[] = {
        {"NAK after an acknowledged block",
         [](sim::SimScript& s) {
             for (int block : {2, 3, 4}) s.blockReplies[block] = sim::TapReply::Nak;
         },
         "A: one\n", "Error 9 To B: two\nError 9 To C: three\n"},
        {"the line gone after an acknowledged block", [](sim::SimScript& s) { s.disappearAfterBlock = 2; },
         "A: one\n", "Error 10 To B: two\nError 10 To C: three\n"},
        {"busy before any block", [](sim::SimScript& s) { s.laterDials = sim::DialOutcome::Busy; }, "",
         "Error 4 To A: one\nError 4 To B: two\nError 4 To C: three\n"},
    };
    settings.Write(key::DialAttempts, "0");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pagers.Clear();
        dir.Write("log.txt", "");
        dir.Write("errorlog.txt", "");
        script = {};
        script.replyDelayMs = 50;
        c.setUp(script);
        StartCentral();
        for (auto [name, text] : {std::pair {"A", "one"}, {"B", "two"}, {"C", "three"}}) {
            AddPager(name);
            Queue(name, text);
        }
        RunReal();
        EXPECT_EQ(Untimed(PageLog()), c.pageLog);
        EXPECT_EQ(Untimed(ErrorLog()), c.errorLog);
    }
}

TEST_F(SimSendRunTest, APhoneOverrideHoldingACarriageReturnStaysInTheDialString)
{
    StartCentral();
    AddPager("Ann");
    queue.QueueRequest(kOriginCommand, "Ann", "555-1212\rATZ;", "", "hi");
    RunReal();
    // "ATZ" never reached the modem as a command of its own.
    EXPECT_THAT(central->Commands(), ElementsAre("ATDT5551212ATZ", "ATH"));
    EXPECT_EQ(Untimed(PageLog()), "Ann: hi\n");
}

}  // namespace
}  // namespace corvane::test
