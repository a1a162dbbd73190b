// The two port slots on real pseudo-terminals, with a paging central's modem on the far
// end in real time; and every failure text.

#include "modem/port_slots.h"

#include <gtest/gtest.h>

#include "modem/serial_speed.h"
#include "settings/memory_settings.h"
#include "tests/modem/pty_fixture.h"
#include "tests/sim/real_time_pump.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using Texts = std::vector<std::string>;

class PortSlotsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok);
        settings.Write(key::PagePortBaud, "300");
    }
    CPortSlots& Slots(const sim::SimScript& script = {})
    {
        if (slots) return *slots;
        central = std::make_unique<sim::CPagingCentral>(script);
        line = std::make_unique<sim::CPtyCentral>(*central, pty.master);
        pump = std::make_unique<sim::CRealTimePump>(line.get());
        slots = std::make_unique<CPortSlots>(settings, boxes, *pump, clock);
        return *slots;
    }
    bool LineIsFree(const std::string& path)
    {
        CSerialPort other;
        return other.Open(path) == OpenStatus::Ok;
    }
    long Speed(IBytePort* port) const { return port ? ReadSpeed(port->Fd()) : 0; }
    std::string Shown() const { return boxes.shown.empty() ? "" : boxes.shown.back().text; }

    test::CPty pty;
    CMemorySettings settings;
    test::CRecordingMessageBox boxes;
    CSystemClock clock;
    std::unique_ptr<sim::CPagingCentral> central;
    std::unique_ptr<sim::CPtyCentral> line;
    std::unique_ptr<sim::CRealTimePump> pump;
    std::unique_ptr<CPortSlots> slots;
};

TEST_F(PortSlotsTest, NoneStaysClosedSilentlyAndGatewayNamesOpenNoPort)
{
    EXPECT_FALSE(Slots().OpenPagePort(true, "<default>"));
    EXPECT_FALSE(Slots().OpenMonitorPort(true));
    EXPECT_EQ(Slots().PageHandle(), -1);
    for (const char* gateway : {"MD", "EX", "SV"}) {
        settings.Write(key::PagePort, gateway);
        EXPECT_TRUE(Slots().OpenPagePort(true, "<default>"));
        EXPECT_TRUE(Slots().IsPageGateway());
        EXPECT_EQ(Slots().PageHandle(), kGatewayHandle);
        EXPECT_EQ(Slots().PagePort(), nullptr);
        Slots().ClosePagePort();
        EXPECT_FALSE(Slots().IsPageGateway());
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PortSlotsTest, OpensAndInitialisesAtTheRewrittenSpeedAndReopensOnlyForAnotherOne)
{
    settings.Write(key::PagePort, pty.path);
    settings.Write(key::PagePortBaud, "9600");
    settings.Write(key::PageInitializationString, "ATM1Q0X4E0V1S7=255&N1");
    ASSERT_TRUE(Slots().OpenPagePort(true, "<default>")) << boxes.Texts();
    EXPECT_EQ(Slots().CurrentPageBaud(), 9600);
    EXPECT_EQ(Speed(Slots().PagePort()), 9600);
    EXPECT_TRUE(Slots().OpenPagePort(true, "1200"));  // opening an open port does nothing
    IBytePort* first = Slots().PagePort();
    Slots().EnsurePageBaud(true, "<default>");
    Slots().EnsurePageBaud(true, "9600");
    EXPECT_EQ(Slots().PagePort(), first);
    EXPECT_EQ(central->Commands(), (Texts {"ATM1Q0X4E0V1S7=255&N6"}));

    Slots().ClosePagePort();
    ASSERT_TRUE(Slots().OpenPagePort(true, "2400"));  // an explicit speed beats the setting
    EXPECT_EQ(Speed(Slots().PagePort()), 2400);
    Slots().EnsurePageBaud(true, "1200");
    EXPECT_EQ(Slots().CurrentPageBaud(), 1200);
    EXPECT_EQ(Speed(Slots().PagePort()), 1200);
    EXPECT_EQ(central->Commands(), (Texts {"ATM1Q0X4E0V1S7=255&N6", "ATM1Q0X4E0V1S7=255&N3", "ATM1Q0X4E0V1S7=255&N2"}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PortSlotsTest, AnInitialisationErrorClosesThePortAgainAndDirectSendsNothing)
{
    sim::SimScript script;
    script.initReply = "ERROR\r\n";
    settings.Write(key::PagePort, pty.path);
    EXPECT_FALSE(Slots(script).OpenPagePort(true, "<default>"));
    EXPECT_EQ(Shown(),
              "Unable to initialize the page modem.  There is an unrecognized command in the initialization string.");
    EXPECT_EQ(Slots().PagePort(), nullptr);
    EXPECT_TRUE(LineIsFree(pty.path));  // closed for real: another program could take it

    settings.Write(key::PageInitializationString, "DIRECT");
    EXPECT_TRUE(Slots().OpenPagePort(true, "<default>"));
    EXPECT_EQ(central->Commands().size(), 1u);
    EXPECT_EQ(pty.Drain(), "");
}

TEST_F(PortSlotsTest, OnePortInBothRolesIsSharedAndClosedOnce)
{
    settings.Write(key::PagePort, pty.path);
    settings.Write(key::MonitorPort, pty.path);
    settings.Write(key::PagePortBaud, "2400");
    settings.Write(key::MonitorInitializationString, "E0V1&N1");  // not rewritten
    ASSERT_TRUE(Slots().OpenMonitorPort(true)) << boxes.Texts();
    ASSERT_TRUE(Slots().OpenPagePort(true, "<default>"));
    EXPECT_TRUE(Slots().SharesOnePort());
    EXPECT_EQ(Slots().PagePort(), Slots().MonitorPort());
    EXPECT_EQ(central->Commands(), (Texts {"ATE0V1&N1"}));  // the page role sent no second one
    EXPECT_EQ(Speed(Slots().MonitorPort()), 2400);  // the page port's line settings

    Slots().ClosePagePort();
    EXPECT_FALSE(Slots().IsMonitorOpen());
    EXPECT_TRUE(LineIsFree(pty.path));
    ASSERT_TRUE(Slots().OpenPagePort(true, "<default>"));
    ASSERT_TRUE(Slots().OpenMonitorPort(true));
    Slots().CloseMonitorPort();
    EXPECT_FALSE(Slots().IsPageOpen());
}

TEST_F(PortSlotsTest, RochelleUnitsRunAtTheirOwnSpeedWithoutCommands)
{
    settings.Write(key::MonitorPort, pty.path);
    settings.Write(key::PagePortWordLen, "7");
    settings.Write(key::PagePortParity, "E");
    for (auto [type, baud] : {std::pair<const char*, long> {kRochelle2802, 2400}, {kRochelleAni323, 1200}}) {
        settings.Write(key::MonitorModemType, type);
        ASSERT_TRUE(Slots().OpenMonitorPort(true)) << type;
        EXPECT_EQ(Speed(Slots().MonitorPort()), baud) << type;
        termios tio {};
        tcgetattr(Slots().MonitorPort()->Fd(), &tio);
        EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u) << type;
        Slots().CloseMonitorPort();
    }
    EXPECT_TRUE(central->Commands().empty());
    EXPECT_EQ(pty.Drain(), "");
}

TEST_F(PortSlotsTest, EveryFailureTextUnderCommunicationsError)
{
    test::CTempDir dir;
    test::CLockHolder holder(pty.path);
    ASSERT_TRUE(holder.locked);
    test::CPty other;
    const Texts missing = {"The selected Page Modem Port does not exist.",
                           "The selected Monitor Modem Port does not exist."};
    const std::tuple<std::string, std::string, std::string, Texts> cases[] = {  // port, word length, page baud
        {dir.File("no-such-tty"), "7", "<default>", missing},
        {::access("/dev/ttyS8", F_OK) == 0 ? dir.File("no-such-tty") : "COM9", "7", "<default>", missing},
        {pty.path, "7", "<default>",
         {"The selected Page Modem Port is in use by another application.",
          "The selected Monitor Modem Port is in use by another application."}},
        {dir.path(), "7", "<default>",
         {"The selected Page Modem Port could not be opened.  Error code 21 was received.",
          "The selected Monitor Modem Port could not be opened."}},
        {"/dev/null", "7", "<default>",
         {"Unable to obtain page modem port parameters.", "Unable to create monitor modem port parameters."}},
        {other.path, "9", "<default>",
         {"Unable to set page modem port parameters.", "Unable to set monitor modem port parameters."}},
        {other.path, "8", "0", {"Unable to set page modem port parameters."}},
    };
    for (const auto& [port, wordLength, baud, texts] : cases) {
        settings.Write(key::PagePort, port);
        settings.Write(key::MonitorPort, texts.size() == 2 ? port : "NONE");
        settings.Write(key::PagePortWordLen, wordLength);
        boxes.shown.clear();
        EXPECT_FALSE(Slots().OpenPagePort(true, baud)) << port;
        EXPECT_FALSE(Slots().OpenMonitorPort(true)) << port;
        ASSERT_EQ(boxes.shown.size(), texts.size()) << port << "\n" << boxes.Texts();
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(boxes.shown[i].text, texts[i]);
            EXPECT_EQ(boxes.shown[i].caption, "Communications Error");
            EXPECT_EQ(boxes.shown[i].icon, MbIcon::Warning);
        }
        boxes.shown.clear();  // without messages every failure is silent
        EXPECT_FALSE(Slots().OpenPagePort(false, baud));
        EXPECT_FALSE(Slots().OpenMonitorPort(false));
        EXPECT_TRUE(boxes.shown.empty()) << port;
    }
    EXPECT_TRUE(LineIsFree(other.path));  // refused settings leave the line free
}

}  // namespace
}  // namespace corvane
