// The two port slots on real pseudo-terminals, with a paging central's modem on the far
// end in real time; and every failure text.

#include "modem/port_slots.h"

#include <gtest/gtest.h>

#include "modem/serial_speed.h"
#include "settings/memory_settings.h"
#include "tests/modem/pty_fixture.h"
#include "common/poll_pump.h"
#include "tests/sim/sim_process.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using Texts = std::vector<std::string>;

class PortSlotsTest : public ::testing::Test {
protected:
    void SetUp() override { settings.Write(key::PagePortBaud, "300"); }
    // The paging central's own process on the far end of a pseudo-terminal.
    void Start(const std::string& script = "")
    {
        ASSERT_TRUE(central.Start(dir.path(), script));
        settings.Write(key::PagePort, central.Line());
    }
    Texts Commands() const { return central.Records("COMMAND"); }
    std::string Received()  // every byte the central got, once it has stopped
    {
        central.Stop();
        std::string all;
        for (const std::string& chunk : central.Records("RX")) all += chunk.substr(chunk.find(' ') + 1);
        return all;
    }
    bool LineIsFree(const std::string& path)
    {
        CSerialPort other;
        return other.Open(path) == OpenStatus::Ok;
    }
    long Speed(IBytePort* port) const { return port ? ReadSpeed(port->Fd()) : 0; }
    std::string Shown() const { return boxes.shown.empty() ? "" : boxes.shown.back().text; }

    test::CTempDir dir;
    CMemorySettings settings;
    test::CRecordingMessageBox boxes;
    CSystemClock clock;
    CPollPump pump;
    test::CFakeMainView view;
    CPortSlots slots {settings, boxes, pump, clock, &view};
    sim::CSimProcess central;
};

TEST_F(PortSlotsTest, NoneStaysClosedSilentlyAndGatewayNamesOpenNoPort)
{
    EXPECT_FALSE(slots.OpenPagePort(true, "<default>"));
    EXPECT_FALSE(slots.OpenMonitorPort(true));
    EXPECT_EQ(slots.PageHandle(), -1);
    for (const char* gateway : {"MD", "EX", "SV"}) {
        settings.Write(key::PagePort, gateway);
        EXPECT_TRUE(slots.OpenPagePort(true, "<default>"));
        EXPECT_TRUE(slots.IsPageGateway());
        EXPECT_EQ(slots.PageHandle(), kGatewayHandle);
        EXPECT_EQ(slots.PagePort(), nullptr);
        slots.ClosePagePort();
        EXPECT_FALSE(slots.IsPageGateway());
    }
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(view.waitCursor.empty());  // no modem to wait for
}

TEST_F(PortSlotsTest, OpensAndInitialisesAtTheRewrittenSpeedAndReopensOnlyForAnotherOne)
{
    Start();
    settings.Write(key::PagePortBaud, "9600");
    settings.Write(key::PageInitializationString, "ATM1Q0X4E0V1S7=255&N1");
    ASSERT_TRUE(slots.OpenPagePort(true, "<default>")) << boxes.Texts();
    EXPECT_EQ(slots.CurrentPageBaud(), 9600);
    EXPECT_EQ(Speed(slots.PagePort()), 9600);
    EXPECT_TRUE(slots.OpenPagePort(true, "1200"));  // opening an open port does nothing
    IBytePort* first = slots.PagePort();
    slots.EnsurePageBaud(true, "<default>");
    slots.EnsurePageBaud(true, "9600");
    EXPECT_EQ(slots.PagePort(), first);
    EXPECT_EQ(Commands(), (Texts {"ATM1Q0X4E0V1S7=255&N6"}));

    slots.ClosePagePort();
    ASSERT_TRUE(slots.OpenPagePort(true, "2400"));  // an explicit speed beats the setting
    EXPECT_EQ(Speed(slots.PagePort()), 2400);
    slots.EnsurePageBaud(true, "1200");
    EXPECT_EQ(slots.CurrentPageBaud(), 1200);
    EXPECT_EQ(Speed(slots.PagePort()), 1200);
    EXPECT_EQ(Commands(), (Texts {"ATM1Q0X4E0V1S7=255&N6", "ATM1Q0X4E0V1S7=255&N3", "ATM1Q0X4E0V1S7=255&N2"}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(PortSlotsTest, AnInitialisationErrorClosesThePortAgainAndDirectSendsNothing)
{
    Start("init-reply ERROR\\r\\n\n");
    EXPECT_FALSE(slots.OpenPagePort(true, "<default>"));
    EXPECT_EQ(Shown(),
              "Unable to initialize the page modem.  There is an unrecognized command in the initialization string.");
    EXPECT_EQ(slots.PagePort(), nullptr);
    EXPECT_TRUE(LineIsFree(central.Line()));  // closed for real: another program could take it
    EXPECT_EQ(view.waitCursor, (std::vector<bool> {true, false}));  // up until the modem answered

    settings.Write(key::PageInitializationString, "DIRECT");
    EXPECT_TRUE(slots.OpenPagePort(true, "<default>"));
    slots.ClosePagePort();
    EXPECT_EQ(Received(), "ATM1Q0X4E0V1S7=255<CR>");  // only the first open's command
}

TEST_F(PortSlotsTest, OnePortInBothRolesIsSharedAndClosedOnce)
{
    Start();
    settings.Write(key::MonitorPort, central.Line());
    settings.Write(key::PagePortBaud, "2400");
    settings.Write(key::MonitorInitializationString, "E0V1&N1");  // not rewritten
    ASSERT_TRUE(slots.OpenMonitorPort(true)) << boxes.Texts();
    ASSERT_TRUE(slots.OpenPagePort(true, "<default>"));
    EXPECT_TRUE(slots.SharesOnePort());
    EXPECT_EQ(slots.PagePort(), slots.MonitorPort());
    EXPECT_EQ(Commands(), (Texts {"ATE0V1&N1"}));  // the page role sent no second one
    EXPECT_EQ(Speed(slots.MonitorPort()), 2400);  // the page port's line settings

    slots.ClosePagePort();
    EXPECT_FALSE(slots.IsMonitorOpen());
    EXPECT_TRUE(LineIsFree(central.Line()));
    ASSERT_TRUE(slots.OpenPagePort(true, "<default>"));
    ASSERT_TRUE(slots.OpenMonitorPort(true));
    slots.CloseMonitorPort();
    EXPECT_FALSE(slots.IsPageOpen());
}

TEST_F(PortSlotsTest, RochelleUnitsRunAtTheirOwnSpeedWithoutCommands)
{
    Start();
    settings.Write(key::MonitorPort, central.Line());
    settings.Write(key::PagePortWordLen, "7");
    settings.Write(key::PagePortParity, "E");
    for (auto [type, baud] : {std::pair<const char*, long> {kRochelle2802, 2400}, {kRochelleAni323, 1200}}) {
        settings.Write(key::MonitorModemType, type);
        ASSERT_TRUE(slots.OpenMonitorPort(true)) << type;
        EXPECT_EQ(Speed(slots.MonitorPort()), baud) << type;
        termios tio {};
        tcgetattr(slots.MonitorPort()->Fd(), &tio);
        EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u) << type;
        slots.CloseMonitorPort();
    }
    EXPECT_EQ(Received(), "");
}

TEST_F(PortSlotsTest, EveryFailureTextUnderCommunicationsError)
{
    test::CTempDir dir;
    test::CPty held, other;
    test::CLockHolder holder(held.path);
    ASSERT_TRUE(holder.locked);
    const Texts missing = {"The selected Page Modem Port does not exist.",
                           "The selected Monitor Modem Port does not exist."};
    const std::tuple<std::string, std::string, std::string, Texts> cases[] = {  // port, word length, page baud
        {dir.File("no-such-tty"), "7", "<default>", missing},
        {::access("/dev/ttyS8", F_OK) == 0 ? dir.File("no-such-tty") : "COM9", "7", "<default>", missing},
        {held.path, "7", "<default>",
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
        EXPECT_FALSE(slots.OpenPagePort(true, baud)) << port;
        EXPECT_FALSE(slots.OpenMonitorPort(true)) << port;
        ASSERT_EQ(boxes.shown.size(), texts.size()) << port << "\n" << boxes.Texts();
        for (std::size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(boxes.shown[i].text, texts[i]);
            EXPECT_EQ(boxes.shown[i].caption, "Communications Error");
            EXPECT_EQ(boxes.shown[i].icon, MbIcon::Warning);
        }
        boxes.shown.clear();  // without messages every failure is silent
        EXPECT_FALSE(slots.OpenPagePort(false, baud));
        EXPECT_FALSE(slots.OpenMonitorPort(false));
        EXPECT_TRUE(boxes.shown.empty()) << port;
    }
    EXPECT_TRUE(LineIsFree(other.path));  // refused settings leave the line free
}

}  // namespace
}  // namespace corvane
