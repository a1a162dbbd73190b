// Calls that ring long enough get a page for every pager marked for call pages: when it
// is scheduled, its texts, its due time, the sending pass through each transport, the
// retries, the logs; the pop-up; the monitor line followed through the event loop.

#include "directory/message_texts.h"
#include "tests/callmon/callmon_fixture.h"
#include "tests/sim/caller_id_reports.h"

namespace corvane::test {
namespace {

using namespace sim;
using Texts = std::vector<std::string>;

const std::string kAlpha = "CALL 09:05  Caller Number = (555)123-4567  Caller Name =  JOHN SMITH";

class CallPagesTest : public CallMonitorTest {
protected:
    CallPagesTest()
    {
        MessageTexts texts;
        texts.callPrefix = "CALL";
        SaveMessages(files.Path("MESSAGES.DAT"), texts);
        settings.Write(key::DelaySeconds, "0");
    }
    // A call of three rings with a modem's report after the first.
    void Call(const std::string& number = "5551234567", const std::string& name = "JOHN SMITH")
    {
        Hear(kRingLine + KeywordReport(number, name) + kRingLine + kRingLine);
    }
    std::size_t Pending() const { return monitor->PendingPages().size(); }
    Texts Lines(const std::string& name) const
    {
        Texts lines;
        std::string text = dir.Read(name);
        for (std::size_t at; (at = text.find('\n')) != std::string::npos; text.erase(0, at + 1))
            lines.push_back(text.substr(0, at));
        return lines;
    }
};

TEST_F(CallPagesTest, ACallIsScheduledOnceWhenItHasRungEnoughOrItsReportIsIn)
{
    settings.Write(key::DelaySeconds, "180");
    Start();
    Hear(kRingLine + KeywordReport("5551234567", "JOHN SMITH") + kRingLine);
    Ticks(1);
    EXPECT_EQ(Pending(), 0u);
    Hear(kRingLine);
    Ticks(1);
    ASSERT_EQ(Pending(), 1u);
    EXPECT_EQ(monitor->Caller().RingCount(), kCallScheduled);
    EXPECT_EQ(monitor->PendingPages().front().alphaText, kAlpha);
    Hear(kRingLine);
    Ticks(1);
    EXPECT_EQ(Pending(), 1u);

    // NumberRings 0: at the end of the name line, not before.
    Ticks(11);
    settings.Write(key::NumberRings, "0");
    Hear("\r\nNMBR = 5551234567\r\n");
    Ticks(1);
    EXPECT_EQ(Pending(), 1u);
    Hear("NAME = JOHN\r\n");
    Ticks(1);
    EXPECT_EQ(Pending(), 2u);

    // The call monitor off: the call is marked, and nothing is scheduled.
    Ticks(11);
    Call();
    Ticks(1, false);
    EXPECT_EQ(Pending(), 2u);
    EXPECT_EQ(monitor->Caller().RingCount(), kCallScheduled);
}

TEST_F(CallPagesTest, TheTextsCarryThePrefixTheTimeTheNumberAndTheName)
{
    struct Case {
        std::string number, name, alpha, numericTime, numericNumber;
    };
    const Case cases[] = {
        {"5551234567", "JOHN", "CALL 09:05  Caller Number = (555)123-4567  Caller Name = JOHN", "CALL09:05",
         "*5551234567"},
        {"5551234", "", "CALL 09:05  Caller Number = 555-1234", "CALL09:05", "*5551234"},
        {"", "", "CALL 09:05", "CALL09:05", ""},
        {"55512345", "X", "CALL 09:05  Caller Number = 55512345  Caller Name = X", "CALL09:05", "*55512345"},
    };
    for (const Case& c : cases) {
        PendingCallPage page = MakeCallPage("CALL", c.number, c.name, clock.Now(), 180);
        EXPECT_EQ(page.alphaText, c.alpha);
        EXPECT_EQ(page.numericTime, c.numericTime);
        EXPECT_EQ(page.numericNumber, c.numericNumber);
        EXPECT_EQ(page.due, clock.Now() + 180);
    }
    // The pop-up puts a space after the parenthesis (and shows seven digits as the page does).
    EXPECT_EQ(CCallerIdPopup::DisplayNumber("5551234"), "555-1234");
}

TEST_F(CallPagesTest, ASecondCallMovesEveryDueTimeWhenOneModemDoesBoth)
{
    settings.Write(key::DelaySeconds, "180");
    for (bool oneModem : {false, true}) {
        settings.Write(key::MonitorPort, oneModem ? "/dev/ttyS0" : "/dev/ttyS1");
        Start();
        const std::time_t first = clock.Now() + 1;
        Call();
        Ticks(1);
        Ticks(59);
        Call("5559876543", "");
        Ticks(1);
        const std::time_t second = first + 60;
        std::vector<std::time_t> dues;
        for (const PendingCallPage& page : monitor->PendingPages()) dues.push_back(page.due);
        const std::vector<std::time_t> expected =
            oneModem ? std::vector {second + 180, second + 180} : std::vector {first + 180, second + 180};
        EXPECT_EQ(dues, expected) << "one modem " << oneModem;
        Ticks(11);
    }
}

TEST_F(CallPagesTest, APassPagesEveryMarkedPagerThroughItsTransportAndLogsEach)
{
    PagerRecord& amy = AddPager("Amy");
    amy.SendPageCounter = 1;
    amy.PageCounter = 999;
    amy.MaximumPageLength = 50;
    PagerRecord& ned = AddPager("Ned", "0", "5550000");
    ned.Separator = "#";
    AddPager("Zed", "1", "5551212", kAutoPim);
    AddPager("Sam", "1", "SNPP:127.0.0.1:4444");
    pagers.Save(files);
    Start();
    Call();
    Ticks(1);

    EXPECT_EQ(Pending(), 0u);
    ASSERT_EQ(transports.calls.size(), 3u);
    const CallRecord& modem = transports.calls[0];
    EXPECT_FALSE(modem.snpp);
    // Numbered 0 after 999, cut at the page length, sent in one call.
    Texts pieces;
    for (const AddedPage& page : modem.pages) pieces.push_back(page.message);
    EXPECT_EQ(pieces, (Texts {"0- CALL 09:05  Caller Number = (555)123-4567  ...", "Caller Name =  JOHN SMITH"}));
    EXPECT_EQ(modem.alphaSends, 1);
    EXPECT_EQ(transports.calls[1].numeric, (std::vector<std::pair<std::string, std::string>> {
                                               {ned.PagerID, "CALL09:05#*5551234567"}}));
    EXPECT_TRUE(transports.calls[2].snpp);
    EXPECT_EQ(transports.calls[2].pages.at(0).message, kAlpha);

    EXPECT_EQ(Lines("log.txt"), (Texts {kAt + "Amy: 0- " + kAlpha, kAt + "Ned: CALL09:05#*5551234567",
                                        kAt + "Sam: " + kAlpha}));
    EXPECT_EQ(dir.Read("errorlog.txt"), "");
    EXPECT_EQ(view.statusField, (Texts {"Sending call monitor page to Amy", "Sending call monitor page to Ned",
                                        "Sending call monitor page to Sam", "Idle"}));
    EXPECT_EQ(view.pageInProgress, (std::vector<bool> {true, false}));
    EXPECT_EQ(ports.events.back(), "open monitor");
    CPagerList stored;
    stored.LoadLocal(files);
    EXPECT_EQ(stored.FindByName("Amy")->PageCounter, 0);
    EXPECT_EQ(pagers.FindByName("Amy")->PageCounter, 0);
}

TEST_F(CallPagesTest, AFailedPassIsRetriedForThePagersStillWithoutThePageUpToDialAttempts)
{
    AddPager("Amy");
    AddPager("Bob");
    settings.Write(key::DialAttempts, "5");
    // Amy's paging company is busy every time; Bob gets his page in the first pass.
    for (int call = 0; call < 7; ++call) transports.sendScripts.push_back([call](std::vector<AddedPage>&) {
        return call == 1 ? kCallOk : kCallBusy;
    });
    Start();
    Call();
    Ticks(1);
    EXPECT_EQ(Pending(), 1u);
    Ticks(10);
    EXPECT_EQ(Pending(), 0u);
    ASSERT_EQ(transports.calls.size(), 7u);  // six passes: Amy six times, Bob once
    EXPECT_EQ(Lines("log.txt"), (Texts {kAt + "Bob: " + kAlpha}));
    EXPECT_EQ(Lines("errorlog.txt"), Texts(6, kAt + "Error 4 To Amy: " + kAlpha));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(CallPagesTest, ACancelledCallEndsThePassAndAPortThatDoesNotOpenStillLetsSnppGo)
{
    AddPager("Amy");
    AddPager("Bob");
    AddPager("Sam", "1", "SNPP:127.0.0.1:4444");
    transports.sendScripts = {[](std::vector<AddedPage>&) { return kCallCancelled; }};
    Start();
    Call();
    Ticks(1);
    ASSERT_EQ(transports.calls.size(), 1u);
    EXPECT_EQ(Lines("errorlog.txt"), (Texts {kAt + "Error 2 To Amy: " + kAlpha}));

    // The next pass: the page port does not open; the modem pages fail with 1, SNPP goes.
    ports.openResult = false;
    transports.sendScripts = {[](std::vector<AddedPage>&) { return kCallPortNotOpen; },
                              [](std::vector<AddedPage>&) { return kCallPortNotOpen; }};
    Ticks(1);
    ASSERT_EQ(transports.calls.size(), 4u);
    EXPECT_TRUE(transports.calls[3].snpp);
    EXPECT_EQ(Lines("log.txt"), (Texts {kAt + "Sam: " + kAlpha}));
    EXPECT_EQ(Pending(), 1u);
}

TEST_F(CallPagesTest, AGatewayIsHandedEachTextAndAPageItDoesNotTakeIsAnError)
{
    settings.Write(key::PagePort, "SV");
    AddPager("Amy");
    AddPager("Ned", "0", "5550000").SendPageCounter = 1;
    Start();
    Call();
    Ticks(1);
    ASSERT_EQ(transports.gateway.size(), 2u);
    EXPECT_EQ(transports.gateway[0].text, kAlpha);
    EXPECT_EQ(transports.gateway[1].text, "CALL09:05**5551234567");
    EXPECT_FALSE(transports.gateway[0].showErrors);
    EXPECT_EQ(Pending(), 0u);

    transports.gatewayResult = false;
    Ticks(11);
    Call();
    Ticks(1);
    EXPECT_EQ(Lines("errorlog.txt"), (Texts {kAt + "Error 111 To Amy: " + kAlpha,
                                             kAt + "Error 111 To Ned: CALL09:05**5551234567"}));
    EXPECT_EQ(Pending(), 1u);
}

TEST_F(CallPagesTest, NothingIsSentWhileAPageIsInProgressAndWaitingPagesGoWhenMonitoringEnds)
{
    AddPager("Amy");
    settings.Write(key::DelaySeconds, "5");
    Start();
    Call();
    Ticks(1);
    queue.pageInProgress = true;
    Ticks(10);
    EXPECT_TRUE(transports.calls.empty());
    queue.pageInProgress = false;
    monitor->DiscardPendingPages();
    Ticks(1);
    EXPECT_TRUE(transports.calls.empty());
    EXPECT_EQ(Pending(), 0u);
}

TEST_F(CallPagesTest, ThePopupFollowsTheCallAndLogsItWhenItCloses)
{
    settings.Write(key::CIDPopup, "1");
    Start();
    Hear(kRingLine + KeywordReport("5551234567", "JOHN SMITH"));
    EXPECT_EQ(popup.events, (Texts {"show", "number ", "name ", "number (555) 123-4567", "name  JOHN SMITH"}));
    Poll(14);
    EXPECT_TRUE(monitor->Popup().IsOpen());
    Poll(1);
    EXPECT_FALSE(monitor->Popup().IsOpen());
    EXPECT_EQ(popup.events.back(), "hide");
    EXPECT_EQ(Lines("log.txt"), (Texts {"03/07/01 09:05AM Incoming Call: (555) 123-4567  JOHN SMITH"}));

    // The OK button closes it at once; "LogCID" 0 keeps the call out of the log.
    settings.Write(key::LogCID, "0");
    Poll(11);
    Hear(kRingLine);
    EXPECT_TRUE(monitor->Popup().IsOpen());
    monitor->ClosePopup();
    EXPECT_FALSE(monitor->Popup().IsOpen());
    EXPECT_EQ(Lines("log.txt").size(), 1u);

    // Without "CIDPopup" a call opens nothing.
    settings.Write(key::CIDPopup, "0");
    Poll(11);
    const std::size_t events = popup.events.size();
    Hear(kRingLine);
    EXPECT_EQ(popup.events.size(), events);
}

TEST_F(CallPagesTest, TheEventLoopWatchesTheLineThatIsOpenAndALineThatGoesIsOpenedAgain)
{
    Start(&reactor);
    EXPECT_EQ(reactor.watched, (std::vector<int> {42}));
    ports.line.inbox = kRingLine;
    reactor.callback();
    EXPECT_EQ(monitor->Caller().RingCount(), 1);

    // Unplugged in the middle of a report: the port is closed and the line not watched.
    ports.line.inbox = "\r\nNMBR = 555";
    ports.line.gone = true;
    reactor.callback();
    EXPECT_FALSE(ports.monitorOpen);
    EXPECT_TRUE(reactor.watched.empty());
    EXPECT_EQ(monitor->Caller().CurrentMode(), CCallerIdState::Mode::Scanning);

    // Tried again every ten seconds while it is wanted; back, it is watched again.
    ports.monitorOpenResult = false;
    ports.events.clear();
    Poll(9);
    EXPECT_TRUE(ports.events.empty());
    Poll(1);
    EXPECT_EQ(ports.events, (Texts {"open monitor"}));
    ports.line.gone = false;
    ports.monitorOpenResult = true;
    Poll(10);
    EXPECT_TRUE(ports.monitorOpen);
    EXPECT_EQ(reactor.watched, (std::vector<int> {42}));
    monitor->PollCallerId(false);  // not wanted: nothing more is tried
    EXPECT_EQ(ports.events.size(), 2u);
}

}  // namespace
}  // namespace corvane::test
