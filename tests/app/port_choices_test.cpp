#include "app/core/port_choices.h"

#include <fstream>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/memory_settings.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

class PortChoicesTest : public ::testing::Test {
protected:
    PortChoicesTest() { types.Parse("Hayes Compatible,ATZ1\nDirect Connect,DIRECT\n"); }
    CModemTypes types;
    CMemorySettings settings;
};

TEST_F(PortChoicesTest, SerialDevicesAreFoundByKindThenNumber)
{
    CTempDir dev;
    std::filesystem::create_directories(dev.File("serial/by-id"));
    for (const char* name : {"ttyS10", "ttyS2", "ttyUSB1", "ttyUSB0", "ttyACM0", "tty1", "ttyS", "serial/by-id/usb-X"})
        dev.Write(name, "");
    std::string root = dev.path().substr(0, dev.path().size() - 1);
    EXPECT_THAT(FindSerialDevices(root),
                ElementsAre(root + "/serial/by-id/usb-X", root + "/ttyUSB0", root + "/ttyUSB1", root + "/ttyACM0",
                            root + "/ttyS2", root + "/ttyS10"));
    EXPECT_TRUE(FindSerialDevices(root + "/none").empty());
}

TEST_F(PortChoicesTest, TheGatewaysAreStoredShortAndShownByTheirNames)
{
    CPagingChoices paging(types, {"/dev/ttyUSB0"});
    paging.Load(settings);
    EXPECT_THAT(paging.LineDevices(), ElementsAre("NONE", "/dev/ttyUSB0", "Corvane/ex", "Corvane/md", "Corvane/sv"));
    EXPECT_EQ(paging.lineDevice, "NONE");
    paging.ChooseLineDevice("Corvane/sv");
    paging.Store(settings);
    EXPECT_EQ(settings.Get(key::PagePort), "SV");
    EXPECT_TRUE(settings.Has(SettingScope::Machine, "Modem", "PagePort"));

    CPagingChoices again(types, {"/dev/ttyUSB0"});
    again.Load(settings);
    EXPECT_EQ(again.lineDevice, "Corvane/sv");
    for (const char* stored : {"EX", "MD", "SV", "/dev/ttyUSB0", "NONE"})
        EXPECT_EQ(StoredPortName(ShownPortName(stored)), stored);
}

TEST_F(PortChoicesTest, TheTypeFillsTheStringAndDirectConnectOffersTheComPorts)
{
    CPagingChoices paging(types, {});
    paging.Load(settings);
    EXPECT_EQ(paging.init, "M1Q0X4E0V1S7=255");
    EXPECT_THAT(paging.TypeNames(), ElementsAre("Hayes Compatible", "Direct Connect"));

    paging.ChooseType("Direct Connect");
    EXPECT_EQ(paging.init, "DIRECT");
    EXPECT_THAT(paging.LineDevices(),
                ElementsAre("NONE", "Corvane/ex", "Corvane/md", "Corvane/sv", "COM1", "COM2", "COM3", "COM4"));
    paging.ChooseLineDevice("COM2");

    paging.ChooseType("Hayes Compatible");
    EXPECT_EQ(paging.init, "ATZ1");
    EXPECT_EQ(paging.lineDevice, "NONE");  // the COM port went with the type
    EXPECT_THAT(paging.LineDevices(), ElementsAre("NONE", "Corvane/ex", "Corvane/md", "Corvane/sv"));

    paging.ChooseLineDevice("Corvane/md");
    paging.ChooseType("Direct Connect");
    paging.ChooseType("Hayes Compatible");
    EXPECT_EQ(paging.lineDevice, "Corvane/md");  // a choice still offered is kept

    paging.ChooseType("");
    EXPECT_EQ(paging.init, "M1Q0X4E0V1S7=255");
}

TEST_F(PortChoicesTest, APortThatIsNotOfferedNowIsKeptAndAnUnknownTypeIsNotStored)
{
    settings.Write(key::PagePort, "/dev/ttyUSB3");
    settings.Write(key::PageModemType, "Gone Modem");
    settings.Write(key::PageInitializationString, "ATX");
    CPagingChoices paging(types, {});
    paging.Load(settings);
    EXPECT_EQ(paging.lineDevice, "/dev/ttyUSB3");
    EXPECT_EQ(paging.LineDevices().back(), "/dev/ttyUSB3");
    EXPECT_EQ(paging.type, "");
    EXPECT_EQ(paging.init, "ATX");
    paging.Store(settings);
    EXPECT_EQ(settings.Get(key::PagePort), "/dev/ttyUSB3");
    EXPECT_EQ(settings.Get(key::PageModemType), "Gone Modem");
}

TEST_F(PortChoicesTest, TheServerAddressIsOneNumberWithTheFirstPartHighest)
{
    EXPECT_EQ(IpAddressSetting({192, 168, 1, 1}), "3232235777");
    EXPECT_EQ(IpAddressParts("3232235777"), (std::array<int, 4>{192, 168, 1, 1}));
    EXPECT_EQ(IpAddressParts("0"), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(IpAddressParts("99999999999"), (std::array<int, 4>{255, 255, 255, 255}));
    EXPECT_EQ(IpAddressParts("x"), (std::array<int, 4>{0, 0, 0, 0}));

    CPagingChoices paging(types, {});
    paging.Load(settings);
    paging.ip = {127, 0, 0, 1};
    paging.ipPort = "4444";
    paging.mailAddress = "pages@example.org";
    paging.Store(settings);
    EXPECT_EQ(settings.Get(key::IPAddress), "2130706433");
    EXPECT_EQ(settings.Get(key::IPPort), "4444");
    EXPECT_EQ(settings.Get(key::MailAddress), "pages@example.org");
}

TEST_F(PortChoicesTest, TheCallMonitorAlwaysOffersTheComPorts)
{
    CMonitorChoices monitor(types, {"/dev/ttyACM0"});
    monitor.Load(settings);
    EXPECT_THAT(monitor.LineDevices(), ElementsAre("NONE", "/dev/ttyACM0", "COM1", "COM2", "COM3", "COM4"));
    EXPECT_EQ(monitor.type, "");  // "NONE" is no type of MODEMS.DAT
    monitor.ChooseType("Hayes Compatible");
    monitor.ChooseLineDevice("/dev/ttyACM0");
    monitor.Store(settings);
    EXPECT_EQ(settings.Get(key::MonitorPort), "/dev/ttyACM0");
    EXPECT_EQ(settings.Get(key::MonitorModemType), "Hayes Compatible");
    EXPECT_EQ(settings.Get(key::MonitorInitializationString), "ATZ1");
}

TEST_F(PortChoicesTest, EightBitsMeanNoParityAndAParityMeansSevenBits)
{
    CPortSettingsChoices port;
    port.Load(settings);  // the defaults: 300, 7, E, 1
    EXPECT_EQ(port.baud, 0);
    EXPECT_EQ(port.wordLength, 0);
    EXPECT_EQ(port.parity, kParityEven);
    EXPECT_EQ(port.stopBits, 0);
    EXPECT_EQ(port.Warning(), nullptr);

    port.ChooseWordLength(kEightBits);
    EXPECT_EQ(port.parity, kParityNone);
    EXPECT_STREQ(port.Warning(), kWordLengthWarningText);  // even at 300 baud
    port.ChooseParity(3);
    EXPECT_EQ(port.wordLength, 0);
    port.ChooseParity(kParityEven);
    port.baud = 3;
    EXPECT_STREQ(port.Warning(), kBaudWarningText);
    port.Store(settings);
    EXPECT_EQ(settings.Get(key::PagePortBaud), "9600");
    EXPECT_EQ(settings.Get(key::PagePortParity), "E");
}

TEST_F(PortChoicesTest, AStoredValueNotInItsListLeavesTheChoiceEmptyAndIsNotOverwritten)
{
    settings.Write(key::PagePortBaud, "115200");
    settings.Write(key::PagePortParity, "S");
    CPortSettingsChoices port;
    port.Load(settings);
    EXPECT_EQ(port.baud, kNoChoice);
    EXPECT_EQ(port.parity, kNoChoice);
    port.stopBits = 1;
    port.Store(settings);
    EXPECT_EQ(settings.Get(key::PagePortBaud), "115200");
    EXPECT_EQ(settings.Get(key::PagePortParity), "S");
    EXPECT_EQ(settings.Get(key::PagePortStopBits), "2");
    EXPECT_STREQ(port.Warning(), kWordLengthWarningText);
}

}  // namespace
}  // namespace corvane::test
