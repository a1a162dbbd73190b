// Voice calls through the monitor modem, against the paging central's modem under the
// fake clock: the dial, the long silent wait for the user, the re-dials, the messages.

#include "callmon/voice_numbers.h"
#include "engine/modem_page_call.h"
#include "tests/callmon/callmon_fixture.h"
#include "tests/sim/paging_central.h"
#include "tests/sim/sim_port.h"

namespace corvane::test {
namespace {

using sim::DialOutcome;

class VoiceDialTest : public CallMonitorTest {
protected:
    // A fresh modem on the monitor line with these first dial outcomes.
    void Modem(std::vector<DialOutcome> dials, DialOutcome later = DialOutcome::Connect)
    {
        sim::SimScript script;
        script.numeric = true;  // a connected voice call stays silent, as a numeric line does
        script.dials = std::move(dials);
        script.laterDials = later;
        central = std::make_unique<sim::CPagingCentral>(script);
        line = std::make_unique<sim::CSimPort>(*central, clock);
        ports.monitorLine = line.get();
        pump.ready = [this] { return line->ReadyFor(pump.lastFd); };
        boxes.shown.clear();
        dir.Write("log.txt", "");
    }
    int Dial(const std::string& number = "555-1234")
    {
        PagerRecord amy;
        amy.UserName = "Amy";
        return monitor->VoiceDial(amy, number);
    }
    std::string Box() const { return boxes.shown.empty() ? "" : boxes.shown.back().caption + ": " + boxes.shown.back().text; }

    std::unique_ptr<sim::CPagingCentral> central;
    std::unique_ptr<sim::CSimPort> line;
};

TEST_F(VoiceDialTest, TheModemDialsAndWaitsForTheUserThenLetsGoOfTheLine)
{
    Start();
    struct Case {
        const char* what;
        std::vector<DialOutcome> dials;
        DialOutcome later;
        int result, dialsMade;
        std::string box;
    };
    const std::string noDialtone =
        "Page Error: There is no dialtone on the phone line.  Please check the connection of the phone line to the modem.";
    const Case cases[] = {
        {"the user takes the call", {}, DialOutcome::Connect, kCallOk, 1, ""},
        {"busy twice, then through", {DialOutcome::Busy, DialOutcome::Busy}, DialOutcome::Connect, kCallOk, 3, ""},
        {"no dial tone, every time", {}, DialOutcome::NoDialtone, kCallNoDialtone, 101, noDialtone},
        {"busy, every time", {}, DialOutcome::Busy, kCallBusy, 101, "Page Error: The pager phone number is busy."},
    };
    for (const Case& c : cases) {
        Modem(c.dials, c.later);
        EXPECT_EQ(Dial(), c.result) << c.what;
        EXPECT_EQ(central->Dials(), c.dialsMade) << c.what;
        EXPECT_EQ(line->writes.at(0).bytes, "ATDT5551234\r") << c.what;
        EXPECT_EQ(Box(), c.box) << c.what;
        // Only a call that went through is a voice call in the log (stamped when it ended).
        const std::string log = dir.Read("log.txt");
        EXPECT_EQ(log.substr(std::min(log.size(), kAt.size())), c.result == kCallOk ? "Amy: Voice call to 555-1234\n" : "")
            << c.what;
    }
    // The last dial of a call that went through: 129 s of silence, then the guard second.
    Modem({});
    Dial();
    EXPECT_EQ(line->WriteTime("+++") - line->WriteTime("ATDT5551234\r"), 130000u);
    EXPECT_EQ(line->CountWrites("ATH\r"), 1);
    EXPECT_EQ(view.pageInProgress.back(), false);
}

TEST_F(VoiceDialTest, PrefixPulseCancelAndAModemThatCannotBeOpened)
{
    Start();
    settings.Write(key::DialPrefix, "9,");
    settings.Write(key::DialingMethod, "1");
    settings.Write(key::DialingSpeaker, "2");  // the voice dial keeps the modem's own speaker setting
    Modem({});
    const std::uint64_t start = clock.TickMs();
    pump.onWait = [&](int) { return clock.TickMs() - start > 5000 ? PumpResult::Cancel : PumpResult::Continue; };
    EXPECT_EQ(Dial(), kCallCancelled);
    pump.onWait = nullptr;
    EXPECT_EQ(line->writes.at(0).bytes, "ATDP9,5551234\r");
    EXPECT_EQ(Box(), "");
    EXPECT_EQ(dir.Read("log.txt"), kAt + "Amy: Voice call to 555-1234\n");

    // Closed, the monitor modem is opened for the call and closed after it.
    Modem({});
    ports.CloseMonitorPort();
    ports.events.clear();
    EXPECT_EQ(Dial(), kCallOk);
    EXPECT_EQ(ports.events, (std::vector<std::string> {"open monitor", "close monitor"}));

    ports.monitorOpenResult = false;
    EXPECT_EQ(Dial(), kCallPortNotOpen);
    EXPECT_EQ(Box(), "Page Error: The COM port for the paging modem is not open.");

    // A stored number cannot add a command of its own to the dial.
    ports.monitorOpenResult = true;
    Modem({});
    EXPECT_EQ(Dial("555-1234\rATZ;\x85"), kCallOk);
    EXPECT_EQ(line->writes.at(0).bytes, "ATDP9,5551234\r");
    // A number written +country (area) number is dialled from the dialing location.
    Modem({});
    EXPECT_EQ(Dial("+1 (555) 987-6543"), kCallOk);
    EXPECT_EQ(line->writes.at(0).bytes, "ATDP9,15559876543\r");

    queue.pageInProgress = true;
    EXPECT_EQ(Dial(), -1);
    EXPECT_EQ(Box(), "Paging Error: There is a page currently in progress.  Please try again once the page has been sent.");
}

TEST_F(VoiceDialTest, VoiceDialsTheTwoVoiceNumbersAndOtherTheData)
{
    PagerRecord pager;
    pager.VoiceOne = "555-1234";
    pager.VoiceTwo = "(555) 987-6543";
    pager.CustomData = "locker 12";
    settings.Write(key::Voice2Label, "Cell");
    EXPECT_EQ(VoiceNumbersOf(pager, settings, VoiceButton::Voice),
              (std::vector<VoiceNumber> {{"Work", "555-1234"}, {"Cell", "(555) 987-6543"}}));
    EXPECT_EQ(VoiceNumbersOf(pager, settings, VoiceButton::Other), (std::vector<VoiceNumber> {{"Other", "locker 12"}}));
    pager.VoiceOne = "none";
    pager.CustomData.clear();
    EXPECT_EQ(VoiceNumbersOf(pager, settings, VoiceButton::Voice), (std::vector<VoiceNumber> {{"Cell", "(555) 987-6543"}}));
    EXPECT_TRUE(VoiceNumbersOf(pager, settings, VoiceButton::Other).empty());
    EXPECT_EQ(DialableNumber("9,W(555) 987-6543#*\r\n;ATH+x"), "9,W(555) 987-6543#*");
    EXPECT_EQ(DialableNumber("+1 (555) 987-6543\r\nATH"), "+1 (555) 987-6543");
}

}  // namespace
}  // namespace corvane::test
