// The modem pages' choices: what the dialog tests do not reach (the machine's devices,
// the address limits, stored values the lists do not offer).

#include "app/core/port_choices.h"

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "settings/memory_settings.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;

TEST(PortChoices, SerialDevicesAreFoundByKindThenNumber)
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

TEST(PortChoices, TheServerAddressIsOneNumberWithTheFirstPartHighest)
{
    EXPECT_EQ(IpAddressSetting({192, 168, 1, 1}), "3232235777");
    EXPECT_EQ(IpAddressParts("3232235777"), (std::array<int, 4>{192, 168, 1, 1}));
    EXPECT_EQ(IpAddressParts("0"), (std::array<int, 4>{0, 0, 0, 0}));
    EXPECT_EQ(IpAddressParts("99999999999"), (std::array<int, 4>{255, 255, 255, 255}));
    EXPECT_EQ(IpAddressParts("x"), (std::array<int, 4>{0, 0, 0, 0}));
    for (const char* stored : {"EX", "MD", "SV", "/dev/ttyUSB0", "NONE"})
        EXPECT_EQ(StoredPortName(ShownPortName(stored)), stored);
}

TEST(PortChoices, StoredChoicesTheListsDoNotOfferAreKept)
{
    CModemTypes types;
    types.Parse("Hayes Compatible,ATZ1\nDirect Connect,DIRECT\n");
    CMemorySettings settings;
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

    // A line device still offered after a change of type stays chosen.
    paging.ChooseLineDevice("Corvane/md");
    paging.ChooseType("Direct Connect");
    paging.ChooseType("Hayes Compatible");
    EXPECT_EQ(paging.lineDevice, "Corvane/md");
    paging.ChooseType("");
    EXPECT_EQ(paging.init, "M1Q0X4E0V1S7=255");
}

}  // namespace
}  // namespace corvane::test
