// The TAP call against the in-process paging central under the fake clock: what goes
// on the wire, when, and what the call makes of every answer.

#include "tests/engine/modem_page_call_fixture.h"

#include "engine/transports.h"

namespace corvane::test {
namespace {

using sim::DialOutcome;
using sim::TapReply;

const std::string kDial = "ATDT5551212\r";
const std::string kLogon = "\x1bPG1PW\r";
const std::string kLogoff = "\x04\r";

std::vector<std::string> Writes(const sim::CSimPort& port)
{
    std::vector<std::string> writes;
    for (const auto& w : port.writes) writes.push_back(w.bytes);
    return writes;
}

TEST(TapBlock, ChecksumOf123AbcIs17BSentAs17Semicolon)
{
    const std::string block = CModemPageCall::BuildBlock("123", "ABC");
    EXPECT_EQ(block, std::string("\x02" "123\r" "ABC\r" "\x03" "17;\r"));
    EXPECT_EQ(CModemPageCall::Checksum(std::string("\x02" "123\r" "ABC\r" "\x03")), "17;");
}

TEST(TapBlock, ChecksumKeepsTwelveBitsAndAgreesWithTheTerminal)
{
    // 300 bytes of 'z' sum far above 0xFFF; the terminal computes its own sum.
    for (const std::string& message : {std::string(300, 'z'), std::string("~~~ ???"), std::string(), std::string(1, '\x7f')}) {
        std::string through = std::string(1, kStx) + "5551234\r" + message + "\r" + kEtx;
        EXPECT_EQ(CModemPageCall::Checksum(through), sim::CPagingCentral::Checksum(through)) << message;
    }
    unsigned sum = 0;
    std::string big = std::string(1, kStx) + "1\r" + std::string(300, 'z') + "\r" + kEtx;
    for (char c : big) sum += static_cast<unsigned char>(c);
    ASSERT_GT(sum, 0xFFFu);
    const std::string chars = CModemPageCall::Checksum(big);
    EXPECT_EQ(chars[0] - '0', static_cast<int>((sum >> 8) & 0xF));
    EXPECT_EQ(chars[2] - '0', static_cast<int>(sum & 0xF));
}

TEST(TapBlock, MessageAndPagerIdAreCleaned)
{
    EXPECT_EQ(CModemPageCall::SanitiseMessage("Tab\there\x85!\x7f\x1f"), "Tab here !\x7f ");
    EXPECT_EQ(CModemPageCall::PagerIdDigits("12-3 4a5"), "12345");
    EXPECT_EQ(CModemPageCall::PagerIdDigits("abc"), "");
}

TEST_F(ModemCallTest, TwoPagersInOneCallGoOutByteForByte)
{
    script.password = "PW";
    auto call = MakeCall();
    PagerRecord& ann = Pager("Ann", "123");
    PagerRecord& bob = Pager("Bob", "4567");
    call->AddPage(true, ann, "ABC", "ABC logged");
    call->AddPage(true, bob, "Meeting at 10", "Meeting at 10");

    EXPECT_EQ(call->SendAlphaPages(), kCallOk);

    EXPECT_EQ(Writes(*port), (std::vector<std::string> {kDial, kLogon, Block("123", "ABC"),
                                                          Block("4567", "Meeting at 10"), kLogoff, "+++", "ATH\r"}));
    EXPECT_EQ(central->Pages(), (std::vector<sim::AcceptedPage> {{"123", "ABC"}, {"4567", "Meeting at 10"}}));
    EXPECT_TRUE(central->Errors().empty()) << central->Errors().front();
    EXPECT_EQ(Statuses(), (std::vector<int> {0, 0}));
    EXPECT_EQ(view.statusLine, (std::vector<std::string> {"Dialing 5551212", "Connected", "Awaiting logon prompt",
                                                          "Logging in", "Sending page(s)", "Logging off",
                                                          "Hanging up", "Ready"}));
    EXPECT_EQ(call->CountedPages(), 2);
    ASSERT_EQ(call->Counted().size(), 2u);
    EXPECT_EQ(call->Counted()[0].logText, "ABC logged");
    EXPECT_FALSE(central->Online());  // hung up
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ModemCallTest, TheDialogueKeepsItsPausesAndWaits)
{
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "Hi", "Hi");
    ASSERT_EQ(call->SendAlphaPages(), kCallOk);

    const std::uint64_t dial = Time(kDial);
    // CONNECT after 3 s, 2 s settling, "ID=" at 6 s, 2 s more before the logon.
    EXPECT_EQ(Time(kLogon) - dial, 8000u);
    // ACK 300 ms later, the go-ahead 500 ms after that, then 2 s before the first block.
    EXPECT_EQ(Time(Block("1", "Hi")) - Time(kLogon), 2800u);
    EXPECT_EQ(Time(kLogoff) - Time(Block("1", "Hi")), 300u);
    // The escape comes a second after the logoff reply.
    EXPECT_EQ(Time("+++") - Time(kLogoff), 1300u);
    EXPECT_EQ(Time("ATH\r") - Time("+++"), 1000u);
}

TEST_F(ModemCallTest, PagesAddedFirstGoFirstAndOnlyCountedOnesAreLogged)
{
    auto call = MakeCall();
    PagerRecord& ann = Pager("Ann", "1");
    call->AddPage(false, ann, "second...", "");
    call->AddPage(true, ann, "third", "whole text");
    call->AddPageFirst(false, ann, "first...", "");
    EXPECT_EQ(ann.DeliveryStatus, 0);
    EXPECT_EQ(call->CountedPages(), 1);
    ASSERT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(central->Pages(), (std::vector<sim::AcceptedPage> {{"1", "first..."}, {"1", "second..."}, {"1", "third"}}));
    ASSERT_EQ(call->Counted().size(), 1u);
    EXPECT_EQ(call->Counted()[0].entry, &ann);
    EXPECT_EQ(call->Counted()[0].logText, "whole text");
}

TEST_F(ModemCallTest, WhatTheTerminalReceivesIsCleaned)
{
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "12-3 a4"), "Tab\there\x85", "");
    ASSERT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(central->Pages(), (std::vector<sim::AcceptedPage> {{"1234", "Tab here "}}));
    EXPECT_TRUE(central->Errors().empty());
}

TEST_F(ModemCallTest, TheChecksum17BReachesTheTerminal)
{
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "123"), "ABC", "");
    ASSERT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_NE(port->AllWritten().find(std::string("\x03" "17;\r")), std::string::npos);
    EXPECT_EQ(central->Pages().size(), 1u);
}

struct DialCase {
    std::string prefix;
    std::string phone;
    int method;
    int speaker;
    std::string line;
};

TEST_F(ModemCallTest, DialCommandFromPrefixNumberMethodAndSpeaker)
{
    const DialCase cases[] = {
        {"", "555-1212", 0, 1, "ATDT5551212\r"},
        {"9,", "555-1212", 0, 1, "ATDT9,5551212\r"},
        {"", "1-800-555-1212", 1, 0, "ATM2DP18005551212\r"},
        {"", "5551212", 7, 2, "ATM0DP5551212\r"},
        {"", "5551212", 0, 5, "ATDT5551212\r"},
        // No number translation here: a canonical number is dialled as entered.
        {"9,", "+1 (212) 555-1212", 0, 1, "ATDT9,+1 (212) 5551212\r"},
    };
    for (const DialCase& c : cases) {
        settings.Write(key::DialPrefix, c.prefix);
        script = {};
        script.laterDials = DialOutcome::Busy;
        StartCentral();
        CallOptions options;
        options.phone = c.phone;
        options.attempts = 0;
        options.dialMethod = c.method;
        options.speaker = c.speaker;
        auto call = MakeCall(options);
        EXPECT_EQ(call->SendAlphaPages(), kCallBusy);
        ASSERT_FALSE(port->writes.empty());
        EXPECT_EQ(port->writes.front().bytes, c.line) << c.phone;
        EXPECT_TRUE(central->Errors().empty()) << c.phone;
    }
}

TEST_F(ModemCallTest, DirectLineWritesNoModemCommand)
{
    script.direct = true;
    StartCentral();
    CallOptions options;
    options.init = "DIRECT";
    auto call = MakeCall(options);
    EXPECT_TRUE(call->IsDirect());
    call->AddPage(true, Pager("Ann", "42"), "Direct", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(Writes(*port), (std::vector<std::string> {kLogon, Block("42", "Direct"), kLogoff}));
    EXPECT_EQ(view.statusLine.front(), "Connected");
    EXPECT_EQ(central->Pages().size(), 1u);
    EXPECT_TRUE(central->Errors().empty());
}

TEST_F(ModemCallTest, DialAttemptsZeroDialsOnce)
{
    script.laterDials = DialOutcome::Busy;
    CallOptions options;
    options.attempts = 0;
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendAlphaPages(), kCallBusy);
    EXPECT_EQ(central->Dials(), 1);
    EXPECT_EQ(port->CountWrites("+++"), 0);  // no hang-up after a failed dial
    EXPECT_EQ(view.statusLine.back(), "Ready");
}

TEST_F(ModemCallTest, AlwaysBusyLineIsDialledSixTimesTenSecondsApart)
{
    script.laterDials = DialOutcome::Busy;
    auto call = MakeCall();  // DialAttempts 5
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallBusy);

    EXPECT_EQ(port->CountWrites(kDial), 6);
    EXPECT_EQ(port->CountWrites("\r"), 5);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(Time("\r", k) - Time(kDial, k), 3000u) << k;       // the lone CR when BUSY comes
        EXPECT_EQ(Time(kDial, k + 1) - Time("\r", k), 10000u) << k;  // the pause before the re-dial
    }
    EXPECT_EQ(std::count(view.statusLine.begin(), view.statusLine.end(), "Busy, waiting 10 seconds for retry"), 5);
    EXPECT_EQ(std::count(view.statusLine.begin(), view.statusLine.end(), "Dialing 5551212"), 6);
    EXPECT_EQ(port->CountWrites("+++"), 0);
    EXPECT_EQ(Statuses(), (std::vector<int> {0}));
}

TEST_F(ModemCallTest, BusyTwiceThenConnects)
{
    script.dials = {DialOutcome::Busy, DialOutcome::Busy};
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "third time lucky", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(central->Dials(), 3);
    EXPECT_EQ(central->Pages().size(), 1u);
}

TEST_F(ModemCallTest, DialFailuresEndWithTheirCodes)
{
    struct Case {
        DialOutcome outcome;
        int result;
        const char* retryText;
    };
    const Case cases[] = {
        {DialOutcome::NoDialtone, kCallNoDialtone, "No carrier, waiting 10 seconds for retry"},
        {DialOutcome::NoDialTone, kCallNoDialtone, "No carrier, waiting 10 seconds for retry"},
        {DialOutcome::NoAnswer, kCallNoAnswer, "No carrier, waiting 10 seconds for retry"},
        {DialOutcome::Busy, kCallBusy, "Busy, waiting 10 seconds for retry"},
    };
    for (const Case& c : cases) {
        script = {};
        script.laterDials = c.outcome;
        StartCentral();
        view.statusLine.clear();
        CallOptions options;
        options.attempts = 1;
        auto call = MakeCall(options);
        EXPECT_EQ(call->SendAlphaPages(), c.result);
        EXPECT_EQ(central->Dials(), 2);
        EXPECT_EQ(std::count(view.statusLine.begin(), view.statusLine.end(), c.retryText), 1) << c.result;
    }
}

TEST_F(ModemCallTest, NoAnswerWaitsTheConnectionWait)
{
    script.laterDials = DialOutcome::NoAnswer;
    CallOptions options;
    options.attempts = 0;
    options.connectionWait = 45;
    auto call = MakeCall(options);
    const std::uint64_t start = clock.TickMs();
    EXPECT_EQ(call->SendAlphaPages(), kCallNoAnswer);
    EXPECT_EQ(clock.TickMs() - start, 45000u);
}

TEST_F(ModemCallTest, TerminalThatPromptsOnlyAfterACr)
{
    script.idPrompt = sim::IdPrompt::AfterCr;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    // The first 2-second wait passes silently; then one CR brings the prompt.
    EXPECT_EQ(port->CountWrites("\r"), 1);
    EXPECT_EQ(Time("\r") - Time(kDial), 3000u + 2000u + 2000u);
}

TEST_F(ModemCallTest, TerminalThatNeverPromptsGetsFiveCrsThenCode7)
{
    script.idPrompt = sim::IdPrompt::Never;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallNoIdPrompt);
    EXPECT_EQ(port->CountWrites("\r"), 5);
    for (int k = 1; k < 5; ++k) EXPECT_EQ(Time("\r", k + 1) - Time("\r", k), 2000u);
    EXPECT_EQ(port->CountWrites("+++"), 1);
    EXPECT_EQ(port->CountWrites("ATH\r"), 1);
    EXPECT_EQ(central->Logons(), 0);
}

TEST_F(ModemCallTest, RetransmitAlsoEndsThePromptPhase)
{
    script.idText = "please retransmit";
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
}

TEST_F(ModemCallTest, LogonIsRepeatedOnNakAndRefusedAfterSix)
{
    script.logonReplies.assign(5, TapReply::Nak);
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(central->Logons(), 6);

    script = {};
    script.logonReplies.assign(6, TapReply::Nak);
    StartCentral();
    auto refused = MakeCall();
    refused->AddPage(true, Pager("Bob", "2"), "x", "");
    EXPECT_EQ(refused->SendAlphaPages(), kCallLogonRefused);
    EXPECT_EQ(central->Logons(), 6);
    EXPECT_EQ(central->Blocks(), 0);
    EXPECT_EQ(port->CountWrites("ATH\r"), 1);
}

TEST_F(ModemCallTest, LogonAnsweredWithEscEotIsRefusedAtOnce)
{
    script.logonReplies = {TapReply::EscEot};
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallLogonRefused);
    EXPECT_EQ(central->Logons(), 1);
}

TEST_F(ModemCallTest, SilentLogonStillWaitsForTheGoAhead)
{
    script.logonReplies = {TapReply::None};
    script.goAheadDelayMs = 12000;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(central->Logons(), 1);
    EXPECT_EQ(Time(Block("1", "x")) - Time(kLogon), 300u + 12000u + 2000u);
}

TEST_F(ModemCallTest, NoGoAheadIsCode12AfterThirtySeconds)
{
    script.goAhead = false;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallNoGoAhead);
    EXPECT_EQ(Time("+++") - Time(kLogon), 300u + 30000u + 1000u);
    EXPECT_EQ(central->Blocks(), 0);
}

TEST_F(ModemCallTest, NakedMiddlePageStopsTheRest)
{
    script.blockReplies = {{2, TapReply::Nak}, {3, TapReply::Nak}, {4, TapReply::Nak}};
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    call->AddPage(true, Pager("Bob", "2"), "two", "");
    call->AddPage(true, Pager("Cid", "3"), "three", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallNotAcknowledged);
    EXPECT_EQ(central->Blocks(), 4);  // one, then two three times; three is never sent
    EXPECT_EQ(port->CountWrites(Block("2", "two")), 3);
    EXPECT_EQ(port->CountWrites(Block("3", "three")), 0);
    EXPECT_EQ(Statuses(), (std::vector<int> {0, 3, 3}));
    EXPECT_EQ(port->CountWrites(kLogoff), 1);
    EXPECT_EQ(central->Pages(), (std::vector<sim::AcceptedPage> {{"1", "one"}}));
}

TEST_F(ModemCallTest, UnansweredBlockCountsAsNak)
{
    script.blockReplies = {{1, TapReply::None}, {2, TapReply::None}, {3, TapReply::None}};
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallNotAcknowledged);
    EXPECT_EQ(Time(Block("1", "one"), 2) - Time(Block("1", "one"), 1), 30000u);
    EXPECT_EQ(Statuses(), (std::vector<int> {3}));
}

TEST_F(ModemCallTest, RejectedPageIsRetriedTwiceAndTheOthersStillGo)
{
    script.blockReplies = {{1, TapReply::Rs}, {2, TapReply::Rs}, {3, TapReply::Rs}};
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    call->AddPage(true, Pager("Bob", "2"), "two", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallRejected);
    EXPECT_EQ(port->CountWrites(Block("1", "one")), 3);
    EXPECT_EQ(Statuses(), (std::vector<int> {4, 0}));
    EXPECT_EQ(central->Pages(), (std::vector<sim::AcceptedPage> {{"2", "two"}}));
}

TEST_F(ModemCallTest, RejectedOnceThenAccepted)
{
    script.blockReplies = {{1, TapReply::Rs}};
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(Statuses(), (std::vector<int> {0}));
}

TEST_F(ModemCallTest, RsToTheLogoffIsCode13EvenWhenEveryBlockWasTaken)
{
    script.logoffReply = TapReply::Rs;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    call->AddPage(true, Pager("Bob", "2"), "two", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallRejected);
    EXPECT_EQ(Statuses(), (std::vector<int> {0, 0}));
    EXPECT_EQ(port->CountWrites("ATH\r"), 1);
}

TEST_F(ModemCallTest, EscEotToABlockSkipsTheLogoff)
{
    script.blockReplies = {{1, TapReply::EscEot}};
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallRejected);
    EXPECT_EQ(Statuses(), (std::vector<int> {2}));
    EXPECT_EQ(port->CountWrites(kLogoff), 0);
    EXPECT_EQ(port->CountWrites("+++"), 1);
}

TEST_F(ModemCallTest, CarrierDroppedAfterTheLogoffStillHangsUp)
{
    script.dropCarrierAfterLogoff = true;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    // The escape goes unanswered in command mode; ATH follows after the 5-second wait.
    EXPECT_EQ(Time("ATH\r") - Time("+++"), 5000u);
    EXPECT_TRUE(central->Errors().empty());
}

TEST_F(ModemCallTest, CallWithoutPagesLogsOnAndOff)
{
    auto call = MakeCall();
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(central->Logons(), 1);
    EXPECT_EQ(port->CountWrites(kLogoff), 1);
    EXPECT_EQ(call->CountedPages(), 0);
}

TEST_F(ModemCallTest, GarbageAroundTheRepliesDoesNotMatter)
{
    script.connectText = "\x01garbage\x7f CONNECT 9600/V42\r\n";
    script.idText = "\r\nWelcome to Paging\r\nID=";
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
}

// ---- cancel and exit ----

TEST_F(ModemCallTest, CancelDuringABlockMarksItAndTheRestCancelledAndHangsUp)
{
    script.replyDelayMs = 5000;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    call->AddPage(true, Pager("Bob", "2"), "two", "");
    call->AddPage(true, Pager("Cid", "3"), "three", "");
    const std::string second = Block("2", "two");
    pump.onWait = [&](int) { return port->CountWrites(second) > 0 ? PumpResult::Cancel : PumpResult::Continue; };

    EXPECT_EQ(call->SendAlphaPages(), kCallCancelled);
    EXPECT_EQ(Statuses(), (std::vector<int> {0, 2, 2}));
    EXPECT_TRUE(call->Cancelled());
    EXPECT_FALSE(call->QuitRequested());
    EXPECT_EQ(port->CountWrites(Block("3", "three")), 0);
    EXPECT_EQ(port->CountWrites(kLogoff), 0);
    EXPECT_EQ(port->CountWrites("+++"), 1);
    EXPECT_EQ(port->CountWrites("ATH\r"), 1);
    // Once cancelled, the hang-up's waits leave the shell's events alone.
    EXPECT_GT(pump.waitsWithoutEvents, 20);
    EXPECT_EQ(view.statusLine.back(), "Ready");
}

TEST_F(ModemCallTest, ExitDuringTheCallIsACancelCarriedOutAfterwards)
{
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    pump.onWait = [&](int) {
        return port->CountWrites(kLogon) > 0 ? PumpResult::DeferredQuit : PumpResult::Continue;
    };
    EXPECT_EQ(call->SendAlphaPages(), kCallCancelled);
    EXPECT_TRUE(call->QuitRequested());
    EXPECT_EQ(central->Blocks(), 0);
    EXPECT_EQ(port->CountWrites("ATH\r"), 1);
}

TEST_F(ModemCallTest, CancelWhileDiallingHangsUp)
{
    pump.onWait = [&](int) { return PumpResult::Cancel; };
    auto call = MakeCall();
    EXPECT_EQ(call->SendAlphaPages(), kCallCancelled);
    EXPECT_EQ(port->CountWrites("+++"), 1);
    EXPECT_EQ(port->CountWrites("ATH\r"), 1);
}

TEST_F(ModemCallTest, CancelDuringTheRedialPauseDoesNotHangUp)
{
    script.laterDials = DialOutcome::Busy;
    auto call = MakeCall();
    pump.onWait = [&](int) { return port->CountWrites("\r") > 0 ? PumpResult::Cancel : PumpResult::Continue; };
    EXPECT_EQ(call->SendAlphaPages(), kCallCancelled);
    EXPECT_EQ(central->Dials(), 1);
    EXPECT_EQ(port->CountWrites("+++"), 0);
}

// ---- the port ----

TEST_F(ModemCallTest, PortNotOpenIsCode1)
{
    auto call = std::make_unique<CModemPageCall>(ModemCallDeps {settings, &view, pump, clock, boxes}, kDefaultInit,
                                                 "5551212", [] { return nullptr; }, 5, 60, 8, "");
    PagerRecord& ann = Pager("Ann", "1");
    call->AddPage(true, ann, "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallPortNotOpen);
    EXPECT_EQ(call->SendNumericPage("1", "2", "3"), kCallPortNotOpen);
    EXPECT_EQ(pump.waits, 0);
}

TEST_F(ModemCallTest, FailedDialWriteIsCode10WithoutHangUp)
{
    StartCentral();
    port->failWritesFrom = 1;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallWriteError);
    EXPECT_EQ(call->WriteError(), kCommTxFull);
    EXPECT_EQ(port->writes.size(), 1u);
}

TEST_F(ModemCallTest, FailedLogonWriteHangsUp)
{
    StartCentral();
    port->failWritesFrom = 2;
    port->failFlags = kCommIoError | kCommRxParity;
    auto call = MakeCall();
    EXPECT_EQ(call->SendAlphaPages(), kCallWriteError);
    EXPECT_EQ(call->WriteError(), kCommIoError);  // the parity flag is never an error
    EXPECT_EQ(port->CountWrites("+++"), 1);
}

TEST_F(ModemCallTest, ParityErrorsAloneAreIgnored)
{
    StartCentral();
    port->extraErrors = kCommRxParity;
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "x", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
}

TEST_F(ModemCallTest, FailedBlockWriteMarksTheRestAndIsCode10)
{
    StartCentral();
    port->failWritesFrom = 4;  // dial, logon, first block; the second block fails
    auto call = MakeCall();
    call->AddPage(true, Pager("Ann", "1"), "one", "");
    call->AddPage(true, Pager("Bob", "2"), "two", "");
    call->AddPage(true, Pager("Cid", "3"), "three", "");
    EXPECT_EQ(call->SendAlphaPages(), kCallWriteError);
    EXPECT_EQ(Statuses(), (std::vector<int> {0, 10, 10}));
    EXPECT_EQ(central->Pages().size(), 1u);
}

TEST_F(ModemCallTest, ClearsBreakAndPurgesBeforeDialling)
{
    StartCentral();
    auto call = MakeCall();
    call->SendAlphaPages();
    EXPECT_EQ(port->breaksCleared, 1);
    EXPECT_GE(port->receivePurges, 4);
}

// The send run's transports: the page slot's port, and every value from the settings
// and the pager entry.
class CSimPagePorts : public IPagePorts {
public:
    explicit CSimPagePorts(IBytePort* port) : m_port(port) {}
    bool OpenPagePort(bool, const std::string&) override { return true; }
    bool OpenMonitorPort(bool) override { return false; }
    void ClosePagePort() override { m_port = nullptr; }
    void CloseMonitorPort() override {}
    void EnsurePageBaud(bool, const std::string&) override {}
    bool IsMonitorOpen() const override { return false; }
    IBytePort* PagePort() override { return m_port; }

private:
    IBytePort* m_port;
};

TEST_F(ModemCallTest, TransportsBuildTheCallFromSettingsAndTheEntry)
{
    settings.Write(key::DialPrefix, "9,");
    settings.Write(key::DialingMethod, "1");
    settings.Write(key::DialingSpeaker, "2");
    settings.Write(key::DialAttempts, "0");
    script.laterDials = DialOutcome::NoAnswer;
    StartCentral();
    CSimPagePorts ports(port.get());
    CTransports transports({settings, ports, &view, pump, clock, boxes});
    PagerRecord& ann = Pager("Ann", "1");
    ann.PhoneNumber = "555-1212";
    ann.WaitForConnection = "7";
    auto call = transports.NewModemCall(ann);
    ASSERT_NE(call, nullptr);
    const std::uint64_t start = clock.TickMs();
    EXPECT_EQ(call->SendAlphaPages(), kCallNoAnswer);
    EXPECT_EQ(clock.TickMs() - start, 7000u);
    EXPECT_EQ(Writes(*port), (std::vector<std::string> {"ATM0DP9,5551212\r"}));
    EXPECT_FALSE(call->IsSnpp());
}

TEST_F(ModemCallTest, TransportsTakeThePasswordAndTheInitialisationString)
{
    settings.Write(key::PageInitializationString, "DIRECT");
    script.direct = true;
    script.password = "SECRET";
    StartCentral();
    CSimPagePorts ports(port.get());
    CTransports transports({settings, ports, &view, pump, clock, boxes});
    PagerRecord& ann = Pager("Ann", "1");
    ann.SystemPassword = "SECRET";
    auto call = transports.NewModemCall(ann);
    call->AddPage(true, ann, "x", "x");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);
    EXPECT_EQ(port->writes.front().bytes, "\x1bPG1SECRET\r");
    EXPECT_TRUE(central->Errors().empty());
    // The port is looked up when the call sends: a closed page port is code 1.
    ports.ClosePagePort();
    EXPECT_EQ(call->SendAlphaPages(), kCallPortNotOpen);
}

}  // namespace
}  // namespace corvane::test
