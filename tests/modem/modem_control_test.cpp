// The page modem's initialisation string rewritten for the line speed, and the
// initialisation exchange, against the in-process paging central under the fake clock.

#include "modem/modem_control.h"

#include <gtest/gtest.h>

#include "tests/sim/paging_central.h"
#include "tests/sim/sim_port.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

// Every row of the family table, as the modem makers document their speed commands.
struct Row {
    long baud;
    const char* ampN;
    const char* s37;
    const char* ms64;
    const char* msB103Long;
    const char* msB103Short;
    const char* percentB;
    const char* dollarMb;
};

const Row kRows[] = {
    {1200, "&N2", "S37=5", "+MS=69,0,1200,1200", "+MS=B212,0,1200,1200,1200,1200", "+MS=B212,0,1200,1200", "%B1200", "$MB1200"},
    {2400, "&N3", "S37=6", "+MS=11,0,2400,2400", "+MS=V34,0,2400,2400,2400,2400", "+MS=V34,0,2400,2400", "%B2400", "$MB2400"},
    {4800, "&N4", "S37=7", "+MS=11,0,4800,4800", "+MS=V34,0,4800,4800,4800,4800", "+MS=V34,0,4800,4800", "%B4800", "$MB4800"},
    {7200, "&N5", "S37=8", "+MS=11,0,7200,7200", "+MS=V34,0,7200,7200,7200,7200", "+MS=V34,0,7200,7200", "%B7200", "$MB7200"},
    {9600, "&N6", "S37=9", "+MS=11,0,9600,9600", "+MS=V34,0,9600,9600,9600,9600", "+MS=V34,0,9600,9600", "%B9600", "$MB9600"},
    {12000, "&N7", "S37=10", "+MS=11,0,12000,12000", "+MS=V34,0,12000,12000,12000,12000", "+MS=V34,0,12000,12000", "%B12000", "$MB12000"},
    {14400, "&N8", "S37=11", "+MS=11,0,14400,14400", "+MS=V34,0,14400,14400,14400,14400", "+MS=V34,0,14400,14400", "%B14400", "$MB14400"},
    {16800, "&N9", "S37=26", "+MS=11,0,16800,16800", "+MS=V34,0,16800,16800,16800,16800", "+MS=V34,0,16800,16800", "%B16800", "$MB16800"},
    {19200, "&N10", "S37=12", "+MS=11,0,19200,19200", "+MS=V34,0,19200,19200,19200,19200", "+MS=V34,0,19200,19200", "%B19200", "$MB19200"},
    {21600, "&N11", "S37=33", "+MS=11,0,21600,21600", "+MS=V34,0,21600,21600,21600,21600", "+MS=V34,0,21600,21600", "%B21600", "$MB21600"},
    {24000, "&N12", "S37=29", "+MS=11,0,24000,24000", "+MS=V34,0,24000,24000,24000,24000", "+MS=V34,0,24000,24000", "%B24000", "$MB24000"},
    {26400, "&N13", "S37=34", "+MS=11,0,26400,26400", "+MS=V34,0,26400,26400,26400,26400", "+MS=V34,0,26400,26400", "%B26400", "$MB26400"},
    {28800, "&N14", "S37=15", "+MS=11,0,28800,28800", "+MS=V34,0,28800,28800,28800,28800", "+MS=V34,0,28800,28800", "%B28800", "$MB28800"},
};

TEST(PreparePageInitString, EveryFamilyAtEveryRate)
{
    const std::string base = "M1Q0X4E0V1";
    for (const Row& row : kRows) {
        const std::pair<std::string, std::string> families[] = {
            {"&N1", row.ampN},
            {"S37=3", row.s37},
            {"S37=1", row.s37},
            {"+MS=64,0,300,300", row.ms64},
            {"+MS=B103,0,300,300,300,300", row.msB103Long},
            {"+MS=B103,0,300,300", row.msB103Short},
            {"%B300", row.percentB},
            {"$MB300", row.dollarMb},
        };
        for (const auto& [token, replacement] : families)
            EXPECT_EQ(PreparePageInitString(base + token + "S7=255", row.baud), base + replacement + "S7=255")
                << token << " at " << row.baud;
    }
}

TEST(PreparePageInitString, EdgeCases)
{
    struct Case {
        const char* what;
        std::string in;
        long baud;
        std::string out;
    };
    const Case cases[] = {
        {"default string with &N1 at 9600", "M1Q0X4E0V1S7=255&N1", 9600, "M1Q0X4E0V1S7=255&N6"},
        {"'=' and AT: AT removed once, no rewriting", "=AT&N1", 9600, "&N1"},
        {"the same without '=' at 300", "AT&N1", 300, "&N1"},
        {"only the first family is rewritten", "S37=3&N1", 2400, "S37=3&N3"},
        {"every occurrence of the token", "&N1X4&N1", 1200, "&N2X4&N2"},
        {"an unknown rate leaves it alone", "&N1", 57600, "&N1"},
        {"a family found at an unknown rate stops the search", "&N1S37=3", 115200, "&N1S37=3"},
        {"no token", "M1Q0X4E0V1S7=255", 9600, "M1Q0X4E0V1S7=255"},
        {"exactly AT becomes empty", "AT", 9600, ""},
        {"a lone A stays", "A", 9600, "A"},
        {"a lower-case at goes too", "at&N1", 1200, "&N2"},
        {"the long +MS form is not cut short", "+MS=B103,0,300,300,300,300", 2400, "+MS=V34,0,2400,2400,2400,2400"},
        {"'=' alone", "=", 9600, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(PreparePageInitString(c.in, c.baud), c.out) << c.what;
}

class InitialiseTest : public ::testing::Test {
protected:
    void Start(const std::string& reply = "OK\r\n")
    {
        script.initReply = reply;
        central = std::make_unique<sim::CPagingCentral>(script);
        port = std::make_unique<sim::CSimPort>(*central, clock);
        pump.ready = [this] { return port->ReadyFor(pump.lastFd); };
        boxes.shown.clear();
    }
    bool Init(const std::string& text, ModemRole role, bool show = true)
    {
        return InitialiseModem(*port, text, role, show, {pump, clock, boxes});
    }
    std::string Shown() const { return boxes.shown.empty() ? "" : boxes.shown.back().text; }

    test::CFakeClock clock;
    test::CFakePump pump {clock};
    test::CRecordingMessageBox boxes;
    sim::SimScript script;
    std::unique_ptr<sim::CPagingCentral> central;
    std::unique_ptr<sim::CSimPort> port;
};

const std::string kPageUnknown =
    "Unable to initialize the page modem.  There is an unrecognized command in the initialization string.";
const std::string kMonitorUnknown =
    "Unable to initialize the monitor modem.  There is an unrecognized command in the initialization string.";
const std::string kPageSilent = "Unable to initialize the page modem.  No response was received.";

TEST_F(InitialiseTest, WhatIsSentForEachRole)
{
    const std::tuple<std::string, ModemRole, std::string> cases[] = {
        {"M1Q0X4E0V1S7=255", ModemRole::Page, "ATM1Q0X4E0V1S7=255\r"},
        {"DIRECT", ModemRole::Page, ""},  // the page modem only
        {"DIRECT", ModemRole::Monitor, "ATDIRECT\r"},
        {"ATM1Q0X4E0V1S7=255", ModemRole::Monitor, "ATATM1Q0X4E0V1S7=255\r"},  // the monitor string is not trimmed
    };
    for (const auto& [text, role, written] : cases) {
        Start();
        const bool ready = Init(text, role);
        EXPECT_EQ(port->writes.empty() ? "" : port->writes[0].bytes, written) << text;
        if (role == ModemRole::Page) {
            EXPECT_TRUE(ready && boxes.shown.empty()) << text;
        }
    }
    EXPECT_EQ(pump.waits, pump.waitsWithoutEvents);  // the wait cannot be cancelled
}

TEST_F(InitialiseTest, RepliesAndTheirTexts)
{
    struct Case {
        const char* what;
        std::string reply;
        std::uint64_t lateMs;  // sent by hand this long after the command, instead of the reply
        ModemRole role;
        std::string text;  // empty: ready
        bool fullWait;     // the 5 seconds pass
    };
    const Case cases[] = {
        {"page ERROR", "ERROR\r\n", 0, ModemRole::Page, kPageUnknown, false},
        {"monitor ERROR", "ERROR\r\n", 0, ModemRole::Monitor, kMonitorUnknown, false},
        {"page silent", "", 0, ModemRole::Page, kPageSilent, true},
        {"monitor silent", "", 0, ModemRole::Monitor, kMonitorUnknown, true},
        {"OK without CR LF", "OK", 0, ModemRole::Page, kPageSilent, true},
        {"OK with a bare CR", "OK\r", 0, ModemRole::Page, kPageSilent, true},
        {"ERROR wins when both arrive", "OK\r\nERROR\r\n", 200, ModemRole::Page, kPageUnknown, false},
        {"OK late but in time", "\r\nOK\r\n", 4950, ModemRole::Page, "", false},
    };
    for (const Case& c : cases) {
        Start(c.lateMs ? "" : c.reply);
        if (c.lateMs) central->Send(c.reply, clock.TickMs() + c.lateMs);
        const std::uint64_t start = clock.TickMs();
        EXPECT_EQ(Init("M1", c.role), c.text.empty()) << c.what;
        EXPECT_EQ(Shown(), c.text) << c.what;
        EXPECT_LE(boxes.shown.size(), 1u);
        for (const auto& box : boxes.shown) {
            EXPECT_EQ(box.caption, "Communications Error");
            EXPECT_EQ(box.icon, MbIcon::Warning);
        }
        if (c.fullWait) {
            EXPECT_EQ(clock.TickMs() - start, 5000u) << c.what;
        }
    }
    Start("ERROR\r\n");
    EXPECT_FALSE(Init("M1", ModemRole::Page, false));
    EXPECT_TRUE(boxes.shown.empty()) << "silent without messages";
}

TEST_F(InitialiseTest, WriteFailureTexts)
{
    Start();
    port->failWritesFrom = 1;
    port->failFlags = kCommTxFull | kCommRxParity;
    EXPECT_FALSE(Init("M1", ModemRole::Page));
    EXPECT_EQ(Shown(), "Unable to write to the page modem port.  Error code 256.");
    EXPECT_FALSE(Init("M1", ModemRole::Monitor));
    EXPECT_EQ(Shown(), "Unable to write to the monitor modem port.  Error code 256.");
}

}  // namespace
}  // namespace corvane
