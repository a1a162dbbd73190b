// The two port slots on real pseudo-terminals, with a paging central's modem on the
// far end, in real time; and every failure text.

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

using test::CLockHolder;
using test::CPty;

class PortSlotsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok);
        settings.Write(key::PagePortBaud, "300");
    }
    void Modem(const sim::SimScript& script)
    {
        central = std::make_unique<sim::CPagingCentral>(script);
        line = std::make_unique<sim::CPtyCentral>(*central, pty.master);
        pump = std::make_unique<sim::CRealTimePump>(line.get());
        slots = std::make_unique<CPortSlots>(settings, boxes, *pump, clock);
    }
    CPortSlots& Slots()
    {
        if (!slots) Modem({});
        return *slots;
    }
    std::string Shown() const { return boxes.shown.empty() ? "" : boxes.shown.back().text; }

    CPty pty;
    CMemorySettings settings;
    test::CRecordingMessageBox boxes;
    CSystemClock clock;
    std::unique_ptr<sim::CPagingCentral> central;
    std::unique_ptr<sim::CPtyCentral> line;
    std::unique_ptr<sim::CRealTimePump> pump;
    std::unique_ptr<CPortSlots> slots;
};

TEST_F(PortSlotsTest, NoneStaysClosedSilently)
{
    EXPECT_FALSE(Slots().OpenPagePort(true, "<default>"));
    EXPECT_FALSE(Slots().OpenMonitorPort(true));
    EXPECT_EQ(Slots().PagePort(), nullptr);
    EXPECT_EQ(Slots().PageHandle(), -1);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PortSlotsTest, GatewayNamesOpenNoPort)
{
    for (const char* gateway : {"MD", "EX", "SV"}) {
        settings.Write(key::PagePort, gateway);
        EXPECT_TRUE(Slots().OpenPagePort(true, "<default>"));
        EXPECT_TRUE(Slots().IsPageGateway());
        EXPECT_EQ(Slots().PageHandle(), kGatewayHandle);
        EXPECT_EQ(Slots().PagePort(), nullptr);
        Slots().ClosePagePort();
        EXPECT_FALSE(Slots().IsPageGateway());
    }
}

TEST_F(PortSlotsTest, OpensInitialisesAtTheRewrittenSpeed)
{
    settings.Write(key::PagePort, pty.path);
    settings.Write(key::PagePortBaud, "9600");
    settings.Write(key::PageInitializationString, "ATM1Q0X4E0V1S7=255&N1");
    ASSERT_TRUE(Slots().OpenPagePort(true, "<default>")) << boxes.Texts();
    ASSERT_NE(Slots().PagePort(), nullptr);
    EXPECT_EQ(central->Commands(), (std::vector<std::string> {"ATM1Q0X4E0V1S7=255&N6"}));
    EXPECT_EQ(Slots().CurrentPageBaud(), 9600);
    EXPECT_EQ(ReadSpeed(Slots().PagePort()->Fd()), 9600);
    EXPECT_TRUE(boxes.shown.empty());
    // Opening an open port does nothing.
    EXPECT_TRUE(Slots().OpenPagePort(true, "1200"));
    EXPECT_EQ(central->Commands().size(), 1u);
}

TEST_F(PortSlotsTest, AnExplicitBaudBeatsTheSetting)
{
    settings.Write(key::PagePort, pty.path);
    ASSERT_TRUE(Slots().OpenPagePort(true, "2400"));
    EXPECT_EQ(Slots().CurrentPageBaud(), 2400);
    EXPECT_EQ(ReadSpeed(Slots().PagePort()->Fd()), 2400);
}

TEST_F(PortSlotsTest, EnsurePageBaudReopensOnlyForAnotherSpeed)
{
    settings.Write(key::PagePort, pty.path);
    settings.Write(key::PageInitializationString, "M1&N1");
    ASSERT_TRUE(Slots().OpenPagePort(true, "<default>"));
    IBytePort* first = Slots().PagePort();
    Slots().EnsurePageBaud(true, "<default>");
    Slots().EnsurePageBaud(true, "300");
    EXPECT_EQ(Slots().PagePort(), first);
    EXPECT_EQ(central->Commands().size(), 1u);

    Slots().EnsurePageBaud(true, "1200");
    EXPECT_EQ(Slots().CurrentPageBaud(), 1200);
    EXPECT_EQ(central->Commands(), (std::vector<std::string> {"ATM1&N1", "ATM1&N2"}));
    EXPECT_EQ(ReadSpeed(Slots().PagePort()->Fd()), 1200);
}

TEST_F(PortSlotsTest, InitialisationErrorClosesThePortAgain)
{
    sim::SimScript script;
    script.initReply = "ERROR\r\n";
    Modem(script);
    settings.Write(key::PagePort, pty.path);
    EXPECT_FALSE(Slots().OpenPagePort(true, "<default>"));
    EXPECT_EQ(Shown(),
              "Unable to initialize the page modem.  There is an unrecognized command in the initialization string.");
    EXPECT_EQ(Slots().PagePort(), nullptr);
    // Closed for real: another program could take the line now.
    CSerialPort other;
    EXPECT_EQ(other.Open(pty.path), OpenStatus::Ok);
}

TEST_F(PortSlotsTest, DirectSendsNothing)
{
    settings.Write(key::PagePort, pty.path);
    settings.Write(key::PageInitializationString, "DIRECT");
    EXPECT_TRUE(Slots().OpenPagePort(true, "<default>"));
    EXPECT_TRUE(central->Commands().empty());
    EXPECT_EQ(pty.Drain(), "");
}

TEST_F(PortSlotsTest, OnePortInBothRolesIsSharedAndClosedOnce)
{
    settings.Write(key::PagePort, pty.path);
    settings.Write(key::MonitorPort, pty.path);
    ASSERT_TRUE(Slots().OpenMonitorPort(true)) << boxes.Texts();
    ASSERT_TRUE(Slots().OpenPagePort(true, "<default>"));
    EXPECT_TRUE(Slots().SharesOnePort());
    EXPECT_EQ(Slots().PagePort(), Slots().MonitorPort());
    EXPECT_EQ(central->Commands().size(), 1u);  // the page role sent no second initialisation

    Slots().ClosePagePort();
    EXPECT_FALSE(Slots().IsMonitorOpen());
    EXPECT_EQ(Slots().PagePort(), nullptr);
    CSerialPort other;
    EXPECT_EQ(other.Open(pty.path), OpenStatus::Ok);
    other.Close();

    ASSERT_TRUE(Slots().OpenPagePort(true, "<default>"));
    ASSERT_TRUE(Slots().OpenMonitorPort(true));
    EXPECT_TRUE(Slots().SharesOnePort());
    Slots().CloseMonitorPort();
    EXPECT_EQ(Slots().PagePort(), nullptr);
    EXPECT_FALSE(Slots().IsPageOpen());
}

TEST_F(PortSlotsTest, RochelleUnitsRunAtTheirOwnSpeedWithoutCommands)
{
    settings.Write(key::MonitorPort, pty.path);
    settings.Write(key::PagePortBaud, "300");
    settings.Write(key::PagePortWordLen, "7");
    settings.Write(key::PagePortParity, "E");
    for (auto [type, baud] : {std::pair<const char*, long> {kRochelle2802, 2400}, {kRochelleAni323, 1200}}) {
        settings.Write(key::MonitorModemType, type);
        ASSERT_TRUE(Slots().OpenMonitorPort(true)) << type;
        EXPECT_EQ(ReadSpeed(Slots().MonitorPort()->Fd()), baud) << type;
        termios tio {};
        tcgetattr(Slots().MonitorPort()->Fd(), &tio);
        EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u) << type;
        Slots().CloseMonitorPort();
    }
    EXPECT_TRUE(central->Commands().empty());
    EXPECT_EQ(pty.Drain(), "");
}

TEST_F(PortSlotsTest, MonitorModemUsesThePagePortFramingAndItsOwnString)
{
    settings.Write(key::MonitorPort, pty.path);
    settings.Write(key::PagePortBaud, "2400");
    settings.Write(key::MonitorInitializationString, "E0V1&N1");  // not rewritten
    ASSERT_TRUE(Slots().OpenMonitorPort(true)) << boxes.Texts();
    EXPECT_EQ(central->Commands(), (std::vector<std::string> {"ATE0V1&N1"}));
    EXPECT_EQ(ReadSpeed(Slots().MonitorPort()->Fd()), 2400);
}

struct FailureCase {
    const char* what;
    std::string page;
    std::string monitor;
};

TEST_F(PortSlotsTest, EveryFailureTextUnderCommunicationsError)
{
    test::CTempDir dir;
    const std::string missing = dir.File("no-such-tty");
    struct Setup {
        const char* what;
        std::string port;
        std::string wordLength;
        std::string page;
        std::string monitor;
    };
    CLockHolder holder(pty.path);
    ASSERT_TRUE(holder.locked);
    const Setup cases[] = {
        {"missing", missing, "7", "The selected Page Modem Port does not exist.",
         "The selected Monitor Modem Port does not exist."},
        {"missing COM port", "COM9", "7", "The selected Page Modem Port does not exist.",
         "The selected Monitor Modem Port does not exist."},
        {"held by another process", pty.path, "7", "The selected Page Modem Port is in use by another application.",
         "The selected Monitor Modem Port is in use by another application."},
        {"not a device at all", dir.path(), "7",
         "The selected Page Modem Port could not be opened.  Error code 21 was received.",
         "The selected Monitor Modem Port could not be opened."},
        {"no line settings", "/dev/null", "7", "Unable to obtain page modem port parameters.",
         "Unable to create monitor modem port parameters."},
    };
    for (const Setup& c : cases) {
        if (std::string(c.what) == "missing COM port" && ::access("/dev/ttyS8", F_OK) == 0) continue;
        settings.Write(key::PagePort, c.port);
        settings.Write(key::MonitorPort, c.port);
        settings.Write(key::PagePortWordLen, c.wordLength);
        boxes.shown.clear();
        EXPECT_FALSE(Slots().OpenPagePort(true, "<default>")) << c.what;
        EXPECT_FALSE(Slots().OpenMonitorPort(true)) << c.what;
        ASSERT_EQ(boxes.shown.size(), 2u) << c.what;
        EXPECT_EQ(boxes.shown[0].text, c.page) << c.what;
        EXPECT_EQ(boxes.shown[1].text, c.monitor) << c.what;
        for (const auto& box : boxes.shown) {
            EXPECT_EQ(box.caption, "Communications Error");
            EXPECT_EQ(box.icon, MbIcon::Warning);
        }
        // Without messages every failure is silent.
        boxes.shown.clear();
        EXPECT_FALSE(Slots().OpenPagePort(false, "<default>"));
        EXPECT_FALSE(Slots().OpenMonitorPort(false));
        EXPECT_TRUE(boxes.shown.empty()) << c.what;
    }
}

TEST_F(PortSlotsTest, SettingsTheDriverRefuses)
{
    CPty other;
    settings.Write(key::PagePort, other.path);
    settings.Write(key::MonitorPort, other.path);
    settings.Write(key::PagePortWordLen, "9");
    EXPECT_FALSE(Slots().OpenPagePort(true, "<default>"));
    EXPECT_EQ(Shown(), "Unable to set page modem port parameters.");
    EXPECT_FALSE(Slots().OpenMonitorPort(true));
    EXPECT_EQ(Shown(), "Unable to set monitor modem port parameters.");
    settings.Write(key::PagePortWordLen, "8");
    EXPECT_FALSE(Slots().OpenPagePort(true, "0"));
    EXPECT_EQ(Shown(), "Unable to set page modem port parameters.");
    // Refused settings leave the line free.
    CSerialPort again;
    EXPECT_EQ(again.Open(other.path), OpenStatus::Ok);
}

}  // namespace
}  // namespace corvane
