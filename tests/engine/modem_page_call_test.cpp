// The TAP call against the in-process paging central under the fake clock: what goes on the
// wire and when, what the call makes of every answer, and its message boxes.

#include "tests/engine/modem_page_call_fixture.h"

#include "engine/transports.h"
#include "tests/engine/send_run_doubles.h"

namespace corvane::test {
namespace {

using Edit = void (*)(sim::SimScript&);

TEST(TapBlock, TheChecksumKeepsTwelveBitsInThreeCharactersAsTheTerminalComputesIt)
{
    // STX 1 2 3 CR A B C CR ETX sums to 0x17B: the characters '1', '7', ';'.
    EXPECT_EQ(Block("123", "ABC"), std::string("\x02" "123\r" "ABC\r" "\x03" "17;\r"));
    for (const std::string& message : {std::string(300, 'z'), std::string("~~~ ???"), std::string(), std::string("\x7f")}) {
        const std::string through = std::string(1, kStx) + "5551234\r" + message + "\r" + kEtx;
        EXPECT_EQ(CModemPageCall::Checksum(through), sim::CPagingCentral::Checksum(through)) << message;
    }
}

TEST_F(ModemCallTest, TwoPagersInOneCallGoOutByteForByteWithTheirPauses)
{
    script.password = "PW";
    MakeCall();
    call->AddPage(true, Pager("123"), "ABC", "ABC");
    call->AddPage(true, Pager("4567"), "Meeting at 10", "Meeting at 10");
    EXPECT_EQ(call->SendAlphaPages(), kCallOk);

    const std::string first = Block("123", "ABC"), second = Block("4567", "Meeting at 10");
    EXPECT_EQ(Writes(), (Texts {kDial, kLogon, first, second, kLogoff, "+++", "ATH\r"}));
    EXPECT_EQ(central->Pages(), (Pages {{"123", "ABC"}, {"4567", "Meeting at 10"}}));
    EXPECT_TRUE(central->Errors().empty()) << central->Errors().front();
    EXPECT_EQ(Statuses(), (std::vector<int> {0, 0}));
    EXPECT_TRUE(view.waitCursor.empty());  // only a cancelled call's hang-up shows it
    EXPECT_EQ(view.statusLine, (Texts {"Dialing 5551212", "Connected", "Awaiting logon prompt", "Logging in",
                                       "Sending page(s)", "Logging off", "Hanging up", "Ready"}));
    // CONNECT after 3 s, 2 s settling, "ID=" at 6 s, 2 s more before the logon; its ACK
    // 300 ms later, the go-ahead 500 ms after that, and 2 s before the first block.
    EXPECT_EQ(Time(kLogon) - Time(kDial), 8000u);
    EXPECT_EQ(Time(first) - Time(kLogon), 2800u);
    EXPECT_EQ(Time(second) - Time(first), 300u);
    EXPECT_EQ(Time(kLogoff) - Time(second), 300u);
    EXPECT_EQ(Time("+++") - Time(kLogoff), 1300u);  // a second after the logoff's reply
    EXPECT_EQ(Time("ATH\r") - Time("+++"), 1000u);
    EXPECT_EQ(port->breaksCleared, 1);
    EXPECT_GE(port->receivePurges, 4);
    EXPECT_FALSE(central->Online());
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(ModemCallTest, PagesGoInOrderCleanedAndOnlyCountedOnesAreLogged)
{
    MakeCall();
    PagerRecord& ann = Pager("12-3 a4");
    call->AddPage(false, ann, "second...", "");
    call->AddPage(true, ann, "Tab\there\x85!\x7f\x1f", "whole text");
    call->AddPageFirst(false, ann, "first...", "");
    EXPECT_EQ(ann.DeliveryStatus, 0);
    EXPECT_EQ(call->CountedPages(), 1);
    ASSERT_EQ(call->SendAlphaPages(), kCallOk);
    // Only the PagerID's digits go, and a byte outside printable 7-bit text becomes a space.
    EXPECT_EQ(central->Pages(), (Pages {{"1234", "first..."}, {"1234", "second..."}, {"1234", "Tab here !\x7f "}}));
    EXPECT_TRUE(central->Errors().empty());
    ASSERT_EQ(call->Counted().size(), 1u);
    EXPECT_EQ(call->Counted()[0].entry, &ann);
    EXPECT_EQ(call->Counted()[0].logText, "whole text");
}

TEST_F(ModemCallTest, DialResultsAndRedials)
{
    struct Case {
        std::vector<DialOutcome> first;
        DialOutcome later;
        int attempts, result, dials;
        const char* retryText;  // once per re-dial
    };
    const Case cases[] = {
        {{}, DialOutcome::Busy, 0, kCallBusy, 1, ""},
        {{}, DialOutcome::Busy, 1, kCallBusy, 2, "Busy, waiting 10 seconds for retry"},
        {{}, DialOutcome::NoDialtone, 1, kCallNoDialtone, 2, "No carrier, waiting 10 seconds for retry"},
        {{}, DialOutcome::NoDialTone, 1, kCallNoDialtone, 2, "No carrier, waiting 10 seconds for retry"},
        {{}, DialOutcome::NoAnswer, 1, kCallNoAnswer, 2, "No carrier, waiting 10 seconds for retry"},
        {{DialOutcome::Busy, DialOutcome::Busy}, DialOutcome::Connect, 5, kCallOk, 3, "Busy, waiting 10 seconds for retry"},
    };
    for (const Case& c : cases) {
        script.dials = c.first;
        script.laterDials = c.later;
        StartCentral();
        EXPECT_EQ(Send({"x"}, {.attempts = c.attempts}), c.result) << c.dials;
        EXPECT_EQ(central->Dials(), c.dials);
        EXPECT_EQ(Shown(c.retryText), c.dials - 1) << c.dials;
        EXPECT_EQ(Count("+++"), c.result == kCallOk ? 1 : 0) << "no hang-up after a failed dial";
        EXPECT_EQ(view.statusLine.back(), "Ready");
    }
}

TEST_F(ModemCallTest, AlwaysBusyLineIsDialledSixTimesTenSecondsApart)
{
    script.laterDials = DialOutcome::Busy;
    EXPECT_EQ(Send(), kCallBusy);  // DialAttempts 5
    EXPECT_EQ(Count(kDial), 6);
    EXPECT_EQ(Count("\r"), 5);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(Time("\r", k) - Time(kDial, k), 3000u) << k;       // the lone CR when BUSY comes
        EXPECT_EQ(Time(kDial, k + 1) - Time("\r", k), 10000u) << k;  // the pause before the re-dial
    }
    EXPECT_EQ(Shown("Busy, waiting 10 seconds for retry"), 5);
    EXPECT_EQ(Shown("Dialing 5551212"), 6);
    EXPECT_EQ(Statuses(), (std::vector<int> {kCallBusy}));  // never sent: no page reads as delivered
}

TEST_F(ModemCallTest, TerminalThatPromptsOnlyAfterACrGetsOneEveryTwoSecondsAtMostFive)
{
    script.idPrompt = sim::IdPrompt::AfterCr;
    EXPECT_EQ(Send(), kCallOk);
    // The first 2-second wait passes silently; then one CR brings the prompt.
    EXPECT_EQ(Count("\r"), 1);
    EXPECT_EQ(Time("\r") - Time(kDial), 3000u + 2000u + 2000u);

    script.idPrompt = sim::IdPrompt::Never;
    StartCentral();
    EXPECT_EQ(Send(), kCallNoIdPrompt);
    EXPECT_EQ(Count("\r"), 5);
    for (int k = 1; k < 5; ++k) EXPECT_EQ(Time("\r", k + 1) - Time("\r", k), 2000u);
    EXPECT_EQ(Count("ATH\r"), 1);
    EXPECT_EQ(central->Logons(), 0);
}

TEST_F(ModemCallTest, AnswersThatStillDeliver)
{
    const std::pair<Edit, int> cases[] = {  // the edit and the logons it takes
        {[](sim::SimScript& s) { s.connectText = "\x01garbage\x7f CONNECT 9600/V42\r\n"; }, 1},
        {[](sim::SimScript& s) { s.idText = "\r\nWelcome to Paging\r\nID="; }, 1},
        {[](sim::SimScript& s) { s.idText = "please retransmit"; }, 1},
        {[](sim::SimScript& s) { s.logonReplies.assign(5, TapReply::Nak); }, 6},
        {[](sim::SimScript& s) { s.blockReplies = {{1, TapReply::Rs}}; }, 1},
    };
    for (const auto& [edit, logons] : cases) {
        script = {};
        edit(script);
        StartCentral();
        EXPECT_EQ(Send(), kCallOk) << logons;
        EXPECT_EQ(central->Logons(), logons);
        EXPECT_EQ(central->Pages().size(), 1u);
        EXPECT_EQ(pagers.back().DeliveryStatus, 0);
    }
}

TEST_F(ModemCallTest, AnswersThatEndTheCallBeforeAnyBlock)
{
    struct Case {
        const char* what;
        Edit edit;
        int result, logons;
    };
    const Case cases[] = {
        {"half CONNECT", [](sim::SimScript& s) { s.connectText = "CONNEC"; }, kCallNoAnswer, 0},
        {"half prompt", [](sim::SimScript& s) { s.idText = "ID"; }, kCallNoIdPrompt, 0},
        {"six NAKs to the logon", [](sim::SimScript& s) { s.logonReplies.assign(6, TapReply::Nak); }, kCallLogonRefused, 6},
        {"ESC EOT to the logon", [](sim::SimScript& s) { s.logonReplies = {TapReply::EscEot}; }, kCallLogonRefused, 1},
        {"half go-ahead", [](sim::SimScript& s) { s.goAheadText = "\x1b["; }, kCallNoGoAhead, 1},
        {"go-ahead with the bytes apart", [](sim::SimScript& s) { s.goAheadText = "\x1b p"; }, kCallNoGoAhead, 1},
    };
    for (const Case& c : cases) {
        script = {};
        c.edit(script);
        StartCentral();
        EXPECT_EQ(Send({"x"}, {.attempts = 0}), c.result) << c.what;
        EXPECT_EQ(central->Logons(), c.logons) << c.what;
        EXPECT_EQ(central->Blocks(), 0) << c.what;
        EXPECT_EQ(view.statusLine.back(), "Ready") << c.what;
    }
}

TEST_F(ModemCallTest, SilentTerminalsAreWaitedForTheirFullTime)
{
    const std::string block = Block("1", "x");
    const std::tuple<Edit, int, std::string, std::string, int, std::uint64_t> cases[] = {  // from, to (nth), ms
        // No reply to the logon within its 10 s: the call still waits for the go-ahead.
        {[](sim::SimScript& s) {
             s.logonReplies = {TapReply::None};
             s.goAheadDelayMs = 12000;
         },
         kCallOk, kLogon, block, 1, 300 + 12000 + 2000},
        {[](sim::SimScript& s) { s.goAhead = false; }, kCallNoGoAhead, kLogon, "+++", 1, 300 + 30000 + 1000},
        // An unanswered block counts as NAK after 30 s.
        {[](sim::SimScript& s) { s.blockReplies = {{1, TapReply::None}, {2, TapReply::None}, {3, TapReply::None}}; },
         kCallNotAcknowledged, block, block, 2, 30000},
    };
    for (const auto& [edit, result, from, to, nth, ms] : cases) {
        script = {};
        edit(script);
        StartCentral();
        pagers.clear();
        EXPECT_EQ(Send(), result);
        EXPECT_EQ(Time(to, nth) - Time(from), ms) << result;
    }
}

TEST_F(ModemCallTest, RepliesToTheBlocksAndTheLogoff)
{
    struct Case {
        std::map<int, TapReply> blocks;  // by block number, retries counted
        TapReply logoff;
        int result;
        std::vector<int> statuses;
        Pages accepted;
        int blocksSent, logoffs;
    };
    const Case cases[] = {
        // NAKed three times, the middle page stops the rest: "three" is never sent.
        {{{2, TapReply::Nak}, {3, TapReply::Nak}, {4, TapReply::Nak}}, TapReply::EscEot, kCallNotAcknowledged,
         {0, 3, 3}, {{"1", "one"}}, 4, 1},
        // RS: sent twice more, then given up; the later pages still go.
        {{{1, TapReply::Rs}, {2, TapReply::Rs}, {3, TapReply::Rs}}, TapReply::EscEot, kCallRejected, {4, 0},
         {{"2", "two"}}, 4, 1},
        // RS to the logoff: code 13 although every block was taken.
        {{}, TapReply::Rs, kCallRejected, {0, 0}, {{"1", "one"}, {"2", "two"}}, 2, 1},
        // ESC EOT to a block ends the session: no logoff.
        {{{1, TapReply::EscEot}}, TapReply::EscEot, kCallRejected, {2}, {}, 1, 0},
    };
    for (const Case& c : cases) {
        script.blockReplies = c.blocks;
        script.logoffReply = c.logoff;
        StartCentral();
        pagers.clear();
        const Texts all = {"one", "two", "three"};
        EXPECT_EQ(Send(Texts(all.begin(), all.begin() + static_cast<long>(c.statuses.size()))), c.result);
        EXPECT_EQ(Statuses(), c.statuses);
        EXPECT_EQ(central->Pages(), c.accepted);
        EXPECT_EQ(central->Blocks(), c.blocksSent);
        EXPECT_EQ(Count(kLogoff), c.logoffs);
        EXPECT_EQ(Count("ATH\r"), 1);
    }
}

TEST_F(ModemCallTest, CarrierDroppedAfterTheLogoffStillHangsUp)
{
    script.dropCarrierAfterLogoff = true;
    EXPECT_EQ(Send({"one"}), kCallOk);
    // The escape goes unanswered in command mode; ATH follows after the 5-second wait.
    EXPECT_EQ(Time("ATH\r") - Time("+++"), 5000u);
    EXPECT_TRUE(central->Errors().empty());
}

TEST_F(ModemCallTest, FloodAfterConnectEndsByTheLogonPromptTimeOut)
{
    script.floodAfterConnect = true;
    script.floodBytesPerSecond = 200000;
    const std::uint64_t start = clock.TickMs();
    EXPECT_EQ(Send(), kCallNoIdPrompt);
    // Dial 3 s, settle 2 s, six prompt waits of 2 s, then the hang-up: the 1 s guard, the
    // modem's OK a second after "+++" found in the flood, the OK to ATH a pump interval on.
    EXPECT_EQ(clock.TickMs() - start, 3000u + 2000u + 12000u + 1000u + 1000u + kPumpIntervalMs);
    EXPECT_EQ(central->Logons(), 0);
}

TEST_F(ModemCallTest, DeviceThatDisappearsMidCallEndsTheCallPromptly)
{
    script.disappearAfterBlock = 2;
    EXPECT_EQ(Send({"one", "two", "three"}), kCallWriteError);
    EXPECT_EQ(Statuses(), (std::vector<int> {0, 10, 10}));
    // No 30-second wait for a line that is gone: a pump interval, then the hang-up's guard.
    EXPECT_LE(clock.TickMs() - Time(Block("2", "two")), 1000u + 3 * kPumpIntervalMs);
    EXPECT_EQ(central->Pages().size(), 1u);
}

// ---- cancel and exit ----

TEST_F(ModemCallTest, CancelDuringABlockMarksItAndTheRestCancelledAndHangsUp)
{
    script.replyDelayMs = 5000;
    pump.onWait = [&](int) { return Count(Block("2", "two")) > 0 ? PumpResult::Cancel : PumpResult::Continue; };
    EXPECT_EQ(Send({"one", "two", "three"}), kCallCancelled);
    EXPECT_EQ(Statuses(), (std::vector<int> {0, 2, 2}));
    EXPECT_TRUE(call->Cancelled());
    EXPECT_FALSE(call->QuitRequested());
    EXPECT_EQ(Writes(), (Texts {kDial, kLogon, Block("1", "one"), Block("2", "two"), "+++", "ATH\r"}));
    EXPECT_GT(pump.waitsWithoutEvents, 20);  // the hang-up's waits leave the shell's events alone
    EXPECT_EQ(view.waitCursor, (std::vector<bool> {true, false}));
    EXPECT_EQ(view.statusLine.back(), "Ready");
}

TEST_F(ModemCallTest, ExitDuringTheCallIsACancelCarriedOutAfterwards)
{
    pump.onWait = [&](int) { return Count(kLogon) > 0 ? PumpResult::DeferredQuit : PumpResult::Continue; };
    EXPECT_EQ(Send(), kCallCancelled);
    EXPECT_TRUE(call->QuitRequested());
    EXPECT_EQ(central->Blocks(), 0);
    EXPECT_EQ(Count("ATH\r"), 1);
}

TEST_F(ModemCallTest, CancelWhileDiallingHangsUpButNotInTheRedialPause)
{
    pump.onWait = [](int) { return PumpResult::Cancel; };
    EXPECT_EQ(Send({}), kCallCancelled);
    EXPECT_EQ(Writes(), (Texts {kDial, "+++", "ATH\r"}));

    script.laterDials = DialOutcome::Busy;
    StartCentral();
    pump.onWait = [&](int) { return Count("\r") > 0 ? PumpResult::Cancel : PumpResult::Continue; };
    EXPECT_EQ(Send({}), kCallCancelled);
    EXPECT_EQ(Writes(), (Texts {kDial, "\r"}));
}

// ---- the port ----

TEST_F(ModemCallTest, PortNotOpenIsCode1)
{
    CModemPageCall closed({settings, &view, pump, clock, boxes}, kDefaultInit, "5551212", [] { return nullptr; }, 5,
                          60, 8, "");
    closed.AddPage(true, Pager("1"), "x", "");
    EXPECT_EQ(closed.SendAlphaPages(), kCallPortNotOpen);
    EXPECT_EQ(closed.SendNumericPage("1", "2", "3"), kCallPortNotOpen);
    EXPECT_EQ(pump.waits, 0);
}

TEST_F(ModemCallTest, AFailedWriteIsCode10AndOnlyAFailedDialSkipsTheHangUp)
{
    struct Case {
        int failFrom;  // dial, logon, first block, second block ...
        unsigned flags, extra;
        int result;
        unsigned writeError;  // the parity flag is never an error
        int hangUps;
        std::vector<int> statuses;
    };
    const Case cases[] = {
        {1, kCommTxFull, 0, kCallWriteError, kCommTxFull, 0, {}},
        {2, kCommIoError | kCommRxParity, 0, kCallWriteError, kCommIoError, 1, {}},
        {4, kCommTxFull, 0, kCallWriteError, kCommTxFull, 1, {0, 10, 10}},
        {0, 0, kCommRxParity, kCallOk, 0, 1, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        StartCentral();
        port->failWritesFrom = c.failFrom;
        port->failFlags = c.flags;
        port->extraErrors = c.extra;
        pagers.clear();
        EXPECT_EQ(Send({"one", "two", "three"}), c.result) << c.failFrom;
        EXPECT_EQ(call->WriteError(), c.writeError) << c.failFrom;
        EXPECT_EQ(Count("ATH\r"), c.hangUps) << c.failFrom;
        if (!c.statuses.empty()) {
            EXPECT_EQ(Statuses(), c.statuses) << c.failFrom;
        }
    }
}

// ---- message boxes ----

TEST(ModemCallTexts, EverySingleAndGroupText)
{
    const std::tuple<int, const char*, const char*> texts[] = {  // the group text when it differs
        {1, "The COM port for the paging modem is not open.", nullptr},
        {2, "The page has been canceled.", "The pages have been canceled."},
        {3, "There is no dialtone on the phone line.  Please check the connection of the phone line to the modem.",
         nullptr},
        {4, "The pager phone number is busy.", nullptr},
        {5, "There is no answer at the paging company.  Please check that you are using the correct phone number.",
         nullptr},
        {6, "While sending the page, the modem stopped responding.",
         "While sending a group of pages, the modem stopped responding."},
        {7, "No response from central paging.  This may be due to an improper modem initialization string.", nullptr},
        {8, "Central paging not reporing ready.", nullptr},
        {9, "Central paging not acknowledging receipt of page.", nullptr},
        {10, "Error writing to page COM port.", nullptr},
        {11, "Cannot log into central paging.  This may be due to an improper modem initialization string.", nullptr},
        {12, "Did not receive go-ahead from central paging.  This may be due to an improper modem initialization "
             "string.",
         nullptr},
        {13,
         "The paging company would not accept the page.  The pager ID number may be invalid, or you may have set the "
         "maximum page length too high.",
         "The paging company would not accept one or more of your pages.  One or more of the pager ID numbers may be "
         "invalid, or you may have set the maximum page length too high.  Please refer to the ERRORLOG.TXT file for a "
         "list of which pager(s) caused this error."},
    };
    for (const auto& [code, single, group] : texts) {
        EXPECT_EQ(CModemPageCall::ResultText(code, false), single) << code;
        EXPECT_EQ(CModemPageCall::ResultText(code, true), group ? group : single) << code;
    }
    EXPECT_EQ(CModemPageCall::ResultText(0, false), "");
    EXPECT_EQ(CModemPageCall::ResultText(14, true), "");
}

TEST_F(ModemCallTest, ShowErrorNamesOnePagerOrUsesTheGroupTextAndSaysNothingOnSuccess)
{
    script.laterDials = DialOutcome::Busy;
    ASSERT_EQ(Send({"x"}, {.attempts = 0}), kCallBusy);
    call->ShowError(&pagers.back());

    pump.onWait = [](int) { return PumpResult::Cancel; };
    ASSERT_EQ(Send({"x", "y"}), kCallCancelled);
    call->ShowError(nullptr);

    pump.onWait = nullptr;
    script = {};
    StartCentral();
    port->failWritesFrom = 1;
    port->failFlags = kCommTxFull | kCommIoError;
    ASSERT_EQ(Send({"x"}), kCallWriteError);
    call->ShowError(&pagers.back());

    StartCentral();
    ASSERT_EQ(Send(), kCallOk);
    call->ShowError(nullptr);

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"The pager phone number is busy.", "Page to P1"},
        {"The pages have been canceled.", "Page Error"},
        {"No Write code 1280", "Page to P4"},
        {"Error writing to page COM port.", "Page to P4"},
    };
    ASSERT_EQ(boxes.shown.size(), expected.size()) << boxes.Texts();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(boxes.shown[i].text, expected[i].first);
        EXPECT_EQ(boxes.shown[i].caption, expected[i].second);
    }
    EXPECT_EQ(boxes.shown[0].icon, MbIcon::Warning);
}

// ---- built by the transports from the settings and the pager entry ----

TEST_F(ModemCallTest, TheTransportsDialFromTheSettingsAndTheEntry)
{
    struct Case {
        std::string prefix, phone, method, speaker, line;
    };
    const Case cases[] = {
        {"", "555-1212", "0", "1", "ATDT5551212\r"},
        {"9,", "555-1212", "0", "1", "ATDT9,5551212\r"},
        {"", "1-800-555-1212", "1", "0", "ATM2DP18005551212\r"},
        {"9,", "5551212", "7", "2", "ATM0DP9,5551212\r"},
        {"", "5551212", "0", "5", "ATDT5551212\r"},
        // A canonical number is dialled from the dialing location (by default country 1,
        // no area code of its own): long distance.
        {"9,", "+1 (212) 555-1212", "0", "1", "ATDT9,12125551212\r"},
    };
    settings.Write(key::DialAttempts, "0");
    script.laterDials = DialOutcome::NoAnswer;
    CFakePorts ports;
    CTransports transports({settings, ports, &view, pump, clock, boxes});
    PagerRecord& entry = Pager("1");
    entry.WaitForConnection = "7";
    for (const Case& c : cases) {
        settings.Write(key::DialPrefix, c.prefix);
        settings.Write(key::DialingMethod, c.method);
        settings.Write(key::DialingSpeaker, c.speaker);
        entry.PhoneNumber = c.phone;
        StartCentral();
        ports.port = port.get();
        const std::uint64_t start = clock.TickMs();
        EXPECT_EQ(transports.NewModemCall(entry)->SendAlphaPages(), kCallNoAnswer);
        EXPECT_EQ(clock.TickMs() - start, 7000u);  // one dial, waiting the entry's WaitForConnection
        EXPECT_EQ(Writes(), Texts {c.line});
        EXPECT_TRUE(central->Errors().empty()) << c.phone;
    }
}

TEST_F(ModemCallTest, TheTransportsTakeTheInitStringAndPasswordAndADirectLineWritesNoModemCommand)
{
    settings.Write(key::PageInitializationString, "DIRECT");
    script.direct = true;
    script.password = "SECRET";
    StartCentral();
    CFakePorts ports;
    ports.port = port.get();
    CTransports transports({settings, ports, &view, pump, clock, boxes});
    PagerRecord& entry = Pager("1");
    entry.SystemPassword = "SECRET";
    auto made = transports.NewModemCall(entry);
    made->AddPage(true, entry, "Direct", "Direct");
    EXPECT_EQ(made->SendAlphaPages(), kCallOk);
    EXPECT_EQ(Writes(), (Texts {"\x1bPG1SECRET\r", Block("1", "Direct"), kLogoff}));
    EXPECT_EQ(view.statusLine.front(), "Connected");
    EXPECT_EQ(central->Pages(), (Pages {{"1", "Direct"}}));
    ports.ClosePagePort();  // the port is looked up when the call sends: closed, it is code 1
    EXPECT_EQ(made->SendAlphaPages(), kCallPortNotOpen);
}

}  // namespace
}  // namespace corvane::test
