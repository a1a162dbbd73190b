// MODEMS.DAT: the reader, and the file the program ships; and the bounded reply text.

#include "modem/modem_types.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "modem/modem_control.h"
#include "modem/reply_text.h"
#include "tests/sim/paging_central.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

TEST(ModemTypes, NameCommaAndTheRestOfTheLineCutAtTwoHundredCharacters)
{
    test::CTempDir dir;
    CModemTypes types;
    EXPECT_FALSE(types.Load(dir.path()));
    dir.Write("MODEMS.DAT", "Hayes Compatible,M1Q0X4E0V1S7=255\r\n"
                            "Rockwell,+MS=64,0,300,300\n"
                            "\n"
                            "No String\n"
                            ",orphan string\n"
                            "Long," + std::string(300, 'X') + "\n"
                            "Direct Connect,DIRECT");
    ASSERT_TRUE(types.Load(dir.path()));
    EXPECT_EQ(types.types(), (std::vector<ModemType> {{"Hayes Compatible", "M1Q0X4E0V1S7=255"},
                                                       {"Rockwell", "+MS=64,0,300,300"},
                                                       {"No String", ""},
                                                       {"Long", std::string(200 - 5, 'X')},
                                                       {"Direct Connect", "DIRECT"}}));
    ASSERT_NE(types.Find("Rockwell"), nullptr);
    EXPECT_EQ(types.Find("Rockwell")->initString, "+MS=64,0,300,300");
    EXPECT_EQ(types.Find("rockwell"), nullptr);
}

TEST(ModemTypes, TheShippedFileHoldsRealModemsThatTakeTheirStrings)
{
    const char* source = std::getenv("CORVANE_SOURCE_DIR");
    ASSERT_NE(source, nullptr);
    CModemTypes types;
    ASSERT_TRUE(types.Load(std::string(source) + "/data/"));
    ASSERT_GE(types.types().size(), 10u);
    ASSERT_NE(types.Find(kDirectConnectType), nullptr);
    EXPECT_EQ(types.Find(kDirectConnectType)->initString, "DIRECT");
    ASSERT_NE(types.Find("Hayes Compatible"), nullptr);
    EXPECT_EQ(types.Find("Hayes Compatible")->initString, kDefaultInit);
    // Every other string is a command line a Hayes modem takes, with at most one speed
    // token, so that the rewriting for the line speed is unambiguous.
    for (const ModemType& type : types.types()) {
        if (type.name == kDirectConnectType) continue;
        sim::CPagingCentral modem;
        modem.Receive("AT" + PreparePageInitString(type.initString, 2400) + "\r", 1000);
        EXPECT_EQ(modem.TakeDue(2000), "OK\r\n") << type.name;
        EXPECT_TRUE(modem.Errors().empty()) << type.name;
    }
}

TEST(ReplyText, FloodsKeepOnlyTheRecentText)
{
    CReplyText text;
    for (int i = 0; i < 1000000; ++i) text.Append(static_cast<char>('a' + i % 26));
    EXPECT_LE(text.Text().size(), 2 * CReplyText::kKeep);
    text.Append('O');
    text.Append('K');
    EXPECT_TRUE(text.EndsWith("OK"));
    EXPECT_TRUE(text.Contains("OK"));
}

}  // namespace
}  // namespace corvane
