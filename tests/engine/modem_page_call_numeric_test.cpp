// Numeric pages: one command line that dials, waits and keys the PIN and the digits,
// against the paging central's numeric line under the fake clock.

#include "tests/engine/modem_page_call_fixture.h"

namespace corvane::test {
namespace {

class NumericTest : public ModemCallTest {
protected:
    void SetUp() override
    {
        script.numeric = true;
        options.phone = "555";
        options.postDialDelay = 8;
    }
    CallOptions options;
};

TEST_F(NumericTest, CommandLineAndReplyWaitOfTheClassicCase)
{
    settings.Write(key::NumericPostChar, "#");
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendNumericPage("77", "2", "12-34"), kCallOk);

    const std::string command = "ATDT555,,,,77,1234#\r";
    ASSERT_FALSE(port->writes.empty());
    EXPECT_EQ(port->writes.front().bytes, command);
    // Wait (2 + 8) * 1000 + 15000 ms, then the hang-up's one-second guard.
    EXPECT_EQ(Time("+++") - Time(command), 25000u + 1000u);
    EXPECT_EQ(port->CountWrites("ATH\r"), 1);
    EXPECT_EQ(central->NumericPages(), (std::vector<std::string> {"T555,,,,77,1234#"}));
    EXPECT_TRUE(central->Errors().empty());
    EXPECT_EQ(view.statusLine, (std::vector<std::string> {"Dialing 555", "Hanging up", "Ready"}));
}

struct CommandCase {
    const char* what;
    int method;
    int speaker;
    int postDialDelay;
    std::string prefix;
    std::string pin;
    std::string pinDelay;
    std::string text;
    std::string postChar;
    std::string command;
    std::uint64_t waitMs;  // before the hang-up starts
};

TEST_F(NumericTest, CommandLines)
{
    const CommandCase cases[] = {
        {"pulse: tones after the number", 1, 1, 8, "", "77", "2", "1234", "", "ATDP555,,,,T77,1234\r", 25000},
        {"empty PIN", 0, 1, 8, "", "", "2", "1234", "", "ATDT555,,,,1234\r", 25000},
        {"letters are not keyed", 0, 1, 8, "", "77", "2", "Call 555-1234 now *#", "", "ATDT555,,,,77,5551234*#\r",
         25000},
        {"odd delays lose their remainder", 0, 1, 9, "", "77", "3", "1", "", "ATDT555,,,,77,1\r", 27000},
        {"commas in the dial string add two seconds each", 0, 1, 8, "9,", "77", "2", "1", "",
         "ATDT9,555,,,,77,1\r", 27000},
        {"speaker off, no delays", 0, 2, 0, "", "5", "0", "1", "", "ATM0DT55551\r", 15000},
        {"PIN keeps only what a dial string may hold", 0, 1, 8, "", "7-7\r;H", "2", "1", "", "ATDT555,,,,77,1\r",
         25000},
    };
    for (const CommandCase& c : cases) {
        settings.Write(key::DialPrefix, c.prefix);
        settings.Write(key::NumericPostChar, c.postChar);
        StartCentral();
        CallOptions o = options;
        o.dialMethod = c.method;
        o.speaker = c.speaker;
        o.postDialDelay = c.postDialDelay;
        auto call = MakeCall(o);
        EXPECT_EQ(call->SendNumericPage(c.pin, c.pinDelay, c.text), kCallOk) << c.what;
        ASSERT_FALSE(port->writes.empty()) << c.what;
        EXPECT_EQ(port->writes.front().bytes, c.command) << c.what;
        EXPECT_EQ(Time("+++") - port->writes.front().atMs, c.waitMs + 1000) << c.what;
    }
}

TEST_F(NumericTest, NumericPostDelayLengthensTheWait)
{
    settings.Write(key::NumericPostDelay, "5000");
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallOk);
    EXPECT_EQ(Time("+++") - port->writes.front().atMs, 10000u + 5000u + 1000u);
}

TEST_F(NumericTest, BusyWithinTheDiallingTimeIsBusy)
{
    script.numericBusyAtMs = 5000;  // dialling time is 10 s
    options.attempts = 0;
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallBusy);
    EXPECT_EQ(central->Dials(), 1);
    EXPECT_EQ(port->CountWrites("+++"), 0);
    EXPECT_TRUE(central->NumericPages().empty());
}

TEST_F(NumericTest, BusyAfterTheDiallingTimeMeansThePageWasTaken)
{
    script.numericBusyAtMs = 12000;
    options.attempts = 0;
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallOk);
    EXPECT_EQ(port->CountWrites("+++"), 1);
    EXPECT_EQ(central->NumericPages().size(), 1u);
    EXPECT_EQ(std::count(view.statusLine.begin(), view.statusLine.end(), "Hanging up"), 1);
}

TEST_F(NumericTest, BusyAtExactlyTheDiallingTimeCountsAsTaken)
{
    script.numericBusyAtMs = 10000;
    options.attempts = 0;
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallOk);
}

TEST_F(NumericTest, BusyIsRedialledTenSecondsLater)
{
    script.dials = {sim::DialOutcome::Busy, sim::DialOutcome::Busy};
    options.attempts = 2;
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallOk);
    const std::string command = "ATDT555,,,,77,1\r";
    EXPECT_EQ(port->CountWrites(command), 3);
    EXPECT_EQ(Time(command, 2) - Time("\r", 1), 10000u);
    EXPECT_EQ(std::count(view.statusLine.begin(), view.statusLine.end(), "Busy, waiting 10 seconds for retry"), 2);
    EXPECT_EQ(central->NumericPages().size(), 1u);
}

TEST_F(NumericTest, NoDialtoneEitherFormIsCode3)
{
    for (auto outcome : {sim::DialOutcome::NoDialtone, sim::DialOutcome::NoDialTone}) {
        script.laterDials = outcome;
        StartCentral();
        view.statusLine.clear();
        options.attempts = 1;
        auto call = MakeCall(options);
        EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallNoDialtone);
        EXPECT_EQ(central->Dials(), 2);
        EXPECT_EQ(std::count(view.statusLine.begin(), view.statusLine.end(), "No dialtone, waiting 10 seconds for retry"),
                  1);
    }
}

TEST_F(NumericTest, DirectLineIsCode3AtOnce)
{
    options.init = "DIRECT";
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallNoDialtone);
    EXPECT_TRUE(port->writes.empty());
    EXPECT_EQ(pump.waits, 0);
}

TEST_F(NumericTest, CancelDuringTheWaitHangsUp)
{
    auto call = MakeCall(options);
    pump.onWait = [&](int) { return clock.TickMs() - port->writes.front().atMs >= 3000 ? PumpResult::Cancel
                                                                                       : PumpResult::Continue; };
    EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallCancelled);
    EXPECT_EQ(port->CountWrites("ATH\r"), 1);
    EXPECT_TRUE(central->NumericPages().empty());  // hung up before the digits were keyed
}

TEST_F(NumericTest, FailedWriteIsCode10)
{
    StartCentral();
    port->failWritesFrom = 1;
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallWriteError);
    EXPECT_EQ(port->CountWrites("+++"), 1);  // the hang-up is still tried
}

TEST_F(NumericTest, TheSendRunFormTakesPagerIdAndPinDelay)
{
    settings.Write(key::NumericPostChar, "#");
    auto call = MakeCall(options);
    PagerRecord pager;
    pager.PagerID = "77";
    pager.PinDelayTime = "4";
    EXPECT_EQ(call->SendNumericPage(pager, "12*34"), kCallOk);
    EXPECT_EQ(port->writes.front().bytes, "ATDT555,,,,77,,12*34#\r");
}

TEST_F(NumericTest, ASecondNumericPageOnTheSameCallGetsItsOwnRedials)
{
    script.laterDials = sim::DialOutcome::Busy;
    options.attempts = 1;
    auto call = MakeCall(options);
    EXPECT_EQ(call->SendNumericPage("77", "2", "1"), kCallBusy);
    EXPECT_EQ(call->SendNumericPage("78", "2", "1"), kCallBusy);
    EXPECT_EQ(central->Dials(), 4);
}

}  // namespace
}  // namespace corvane::test
