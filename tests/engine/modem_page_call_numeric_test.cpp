// Numeric pages: one command line that dials, waits and keys the PIN and the digits, against
// the paging central's numeric line under the fake clock.

#include "tests/engine/modem_page_call_fixture.h"

namespace corvane::test {
namespace {

class NumericTest : public ModemCallTest {
protected:
    void SetUp() override { script.numeric = true; }
    int Numeric(const CallOptions& o = {.phone = "555"}) { return MakeCall(o).SendNumericPage("77", "2", "1"); }
    std::uint64_t WaitMs() const { return Time("+++") - port->writes.front().atMs; }
};

TEST_F(NumericTest, CommandLinesAndTheirReplyWaits)
{
    struct Case {
        const char* what;
        int method, speaker, postDialDelay;
        std::string prefix, pin, pinDelay, text, postChar, postDelay, command;
        std::uint64_t waitMs;  // before the hang-up's one-second guard
    };
    const Case cases[] = {
        {"DelayTime 8, PinDelayTime 2: (2 + 8) * 1000 + 15000", 0, 1, 8, "", "77", "2", "12-34", "#", "",
         "ATDT555,,,,77,1234#\r", 25000},
        {"pulse: tones after the number", 1, 1, 8, "", "77", "2", "1234", "", "", "ATDP555,,,,T77,1234\r", 25000},
        {"empty PIN", 0, 1, 8, "", "", "2", "1234", "", "", "ATDT555,,,,1234\r", 25000},
        {"letters are not keyed", 0, 1, 8, "", "77", "2", "Call 555-1234 now *#", "", "", "ATDT555,,,,77,5551234*#\r",
         25000},
        {"odd delays lose their remainder", 0, 1, 9, "", "77", "3", "1", "", "", "ATDT555,,,,77,1\r", 27000},
        {"commas in the dial string add two seconds each", 0, 1, 8, "9,", "77", "2", "1", "", "",
         "ATDT9,555,,,,77,1\r", 27000},
        {"speaker off, no delays", 0, 2, 0, "", "5", "0", "1", "", "", "ATM0DT55551\r", 15000},
        {"the PIN loses control bytes and ';' but keeps dial modifiers and tone letters", 0, 1, 8, "", "7W\r7@;!AD",
         "2", "1", "", "", "ATDT555,,,,7W7@!AD,1\r", 25000},
        {"NumericPostDelay replaces the 15 s", 0, 1, 8, "", "77", "2", "1", "", "5000", "ATDT555,,,,77,1\r", 15000},
    };
    for (const Case& c : cases) {
        settings.Write(key::DialPrefix, c.prefix);
        settings.Write(key::NumericPostChar, c.postChar);
        if (!c.postDelay.empty()) settings.Write(key::NumericPostDelay, c.postDelay);  // the last case
        StartCentral();
        MakeCall({.phone = "555", .postDialDelay = c.postDialDelay, .dialMethod = c.method, .speaker = c.speaker});
        EXPECT_EQ(call->SendNumericPage(c.pin, c.pinDelay, c.text), kCallOk) << c.what;
        EXPECT_EQ(Writes().at(0), c.command) << c.what;
        EXPECT_EQ(WaitMs(), c.waitMs + 1000) << c.what;
        EXPECT_EQ(Count("ATH\r"), 1) << c.what;
        const std::string dialled = c.command.substr(c.command.find('D') + 1);
        EXPECT_EQ(central->NumericPages(), Texts {dialled.substr(0, dialled.size() - 1)}) << c.what;
        EXPECT_TRUE(central->Errors().empty()) << c.what;
    }
    EXPECT_EQ(view.statusLine, (Texts {"Dialing 555", "Hanging up", "Ready"}));
}

TEST_F(NumericTest, BusyWithinTheDiallingTimeIsBusyAndAfterItMeansThePageWasTaken)
{
    // The dialling time is (PinDelayTime 2 + DelayTime 8) s; BUSY at exactly that time counts
    // as taken, and a page taken is hung up.
    for (auto [busyAt, result] : {std::pair {5000, kCallBusy}, {10000, kCallOk}, {12000, kCallOk}}) {
        script.numericBusyAtMs = busyAt;
        StartCentral();
        EXPECT_EQ(Numeric({.phone = "555", .attempts = 0}), result) << busyAt;
        EXPECT_EQ(central->Dials(), 1);
        EXPECT_EQ(Count("+++"), result == kCallOk ? 1 : 0) << busyAt;
        if (busyAt != 10000) {
            EXPECT_EQ(central->NumericPages().size(), result == kCallOk ? 1u : 0u) << busyAt;
        }
    }
}

TEST_F(NumericTest, BusyAndNoDialtoneAreRedialledTenSecondsLater)
{
    script.dials = {DialOutcome::Busy, DialOutcome::Busy};
    EXPECT_EQ(Numeric({.phone = "555", .attempts = 2}), kCallOk);
    const std::string command = "ATDT555,,,,77,1\r";
    EXPECT_EQ(Count(command), 3);
    EXPECT_EQ(Time(command, 2) - Time("\r", 1), 10000u);
    EXPECT_EQ(Shown("Busy, waiting 10 seconds for retry"), 2);
    EXPECT_EQ(central->NumericPages().size(), 1u);

    for (auto outcome : {DialOutcome::NoDialtone, DialOutcome::NoDialTone}) {
        script.dials.clear();
        script.laterDials = outcome;
        StartCentral();
        EXPECT_EQ(Numeric({.phone = "555", .attempts = 1}), kCallNoDialtone);
        EXPECT_EQ(central->Dials(), 2);
        EXPECT_EQ(Shown("No dialtone, waiting 10 seconds for retry"), 1);
    }
    // A second numeric page on the same call gets its own re-dials.
    EXPECT_EQ(call->SendNumericPage("78", "2", "1"), kCallNoDialtone);
    EXPECT_EQ(central->Dials(), 4);
}

TEST_F(NumericTest, DirectLineIsCode3AtOnce)
{
    EXPECT_EQ(Numeric({.init = "DIRECT", .phone = "555"}), kCallNoDialtone);
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(pump.waits, 0);
}

TEST_F(NumericTest, CancelDuringTheWaitHangsUpBeforeTheDigitsAreKeyed)
{
    pump.onWait = [&](int) {
        return clock.TickMs() - port->writes.front().atMs >= 3000 ? PumpResult::Cancel : PumpResult::Continue;
    };
    EXPECT_EQ(Numeric(), kCallCancelled);
    EXPECT_EQ(Count("ATH\r"), 1);
    EXPECT_TRUE(central->NumericPages().empty());
}

TEST_F(NumericTest, FailedWriteIsCode10AndTheHangUpIsStillTried)
{
    StartCentral();
    port->failWritesFrom = 1;
    EXPECT_EQ(Numeric(), kCallWriteError);
    EXPECT_EQ(Count("+++"), 1);
}

TEST_F(NumericTest, TheSendRunFormTakesPagerIdAndPinDelay)
{
    settings.Write(key::NumericPostChar, "#");
    PagerRecord pager;
    pager.PagerID = "77";
    pager.PinDelayTime = "4";
    EXPECT_EQ(MakeCall({.phone = "555"}).SendNumericPage(pager, "12*34"), kCallOk);
    EXPECT_EQ(Writes().at(0), "ATDT555,,,,77,,12*34#\r");
}

}  // namespace
}  // namespace corvane::test
