#include "engine/page_spool.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/spool_entry.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

namespace fs = std::filesystem;

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char c : bytes) hex += std::string{digits[c >> 4], digits[c & 15]};
    return hex;
}

std::vector<std::string> Names(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class PageSpoolTest : public ::testing::Test {
protected:
    std::unique_ptr<CPageSpool> NewSpool()
    {
        auto spool = std::make_unique<CPageSpool>(folder, clock);
        start = spool->Open();
        return spool;
    }
    std::uint64_t Keep(CPageSpool& spool, const std::string& name, int mode = kSendCommand,
                       int origin = kOriginCommand)
    {
        PageRequest request{origin, name, "", "", "message for " + name};
        EXPECT_TRUE(spool.Keep(request, mode));
        return request.spoolId;
    }
    std::vector<std::string> RestoredNames() const
    {
        std::vector<std::string> names;
        for (const auto& request : start.requests) names.push_back(request.name);
        return names;
    }

    CTempDir dir;
    std::string folder = dir.path() + "spool/Corvane/";
    CFakeClock clock;
    SpoolStart start;
};

TEST(SpoolEntryTest, AnEntryIsWrittenInItsExactBytesAndReadBack)
{
    SpooledRequest entry;
    entry.id = 7;
    entry.queuedAt = 983955900;
    entry.origin = kOriginCommand;
    entry.sendMode = kSendCommand;
    entry.name = "John";
    entry.phoneOverride = "555";
    entry.message = std::string("Call\0me\n\xe9", 9);
    const std::string bytes = EncodeSpoolEntry(entry);
    EXPECT_EQ(Hex(bytes), "435652510100320000000700000000000000bcf9a53a000000000202040000004a6f686e030000003535350000"
                          "00000900000043616c6c006d650ae9bb14276f");

    SpooledRequest back;
    ASSERT_TRUE(DecodeSpoolEntry(bytes, back));
    EXPECT_EQ(back.id, 7u);
    EXPECT_EQ(back.queuedAt, 983955900);
    EXPECT_EQ(back.sendMode, kSendCommand);
    EXPECT_EQ(back.name, "John");
    EXPECT_EQ(back.phoneOverride, "555");
    EXPECT_EQ(back.idOverride, "");
    EXPECT_EQ(back.message, entry.message);
}

TEST_F(PageSpoolTest, ARequestStaysUntilReleasedAndComesBackInOrderWithTheQuietestSend)
{
    auto spool = NewSpool();
    const std::uint64_t waiting = Keep(*spool, "Ann", kSendNone);
    const std::uint64_t scheduled = Keep(*spool, "Bob", kSendScheduled, kOriginProgram);
    const std::uint64_t released = Keep(*spool, "Cy");
    PageRequest byOrigin{kOriginProgram, "Dee", "", "", "typed"};
    ASSERT_TRUE(spool->Keep(byOrigin, kSendByOrigin));
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"000000000001.req", "000000000002.req", "000000000003.req",
                                                       "000000000004.req", "lock"}));
    spool->Release(released);
    EXPECT_FALSE(fs::exists(spool->PathOf(released)));
    spool.reset();  // the program dies

    spool = NewSpool();
    EXPECT_EQ(RestoredNames(), (std::vector<std::string>{"Ann", "Bob", "Dee"}));
    EXPECT_EQ(start.requests[0].spoolId, waiting);
    EXPECT_EQ(start.requests[1].spoolId, scheduled);
    EXPECT_EQ(start.requests[2].message, "typed");
    EXPECT_EQ(start.sendMode, kSendScheduled);  // no boxes for any of them
    EXPECT_EQ(Keep(*spool, "Eve"), 5u);         // the ids go on after the last one
    const std::vector<SpooledRequest> pending = spool->Pending();
    ASSERT_EQ(pending.size(), 4u);
    EXPECT_EQ(pending[0].sendMode, kSendNone);
    EXPECT_EQ(pending[2].sendMode, kSendInteractive);  // the program's own send, by its origin

    // A send asked for: the request that waited is to be sent after a restart too.
    spool->SendRequested(start.requests, kSendCommand);
    spool.reset();
    spool = NewSpool();
    EXPECT_EQ(spool->Pending()[0].sendMode, kSendCommand);
    spool->Taken(start.requests, kSendCommand);
    EXPECT_TRUE(spool->Pending()[0].sending);
}

TEST_F(PageSpoolTest, DamagedEntriesAreMovedAsideWithAMessageAndPartsNeverAcknowledgedAreDropped)
{
    auto spool = NewSpool();
    Keep(*spool, "Ann");
    Keep(*spool, "Bob");
    spool.reset();
    std::string good = dir.Read("spool/Corvane/000000000001.req");
    std::string flipped = good;
    flipped[30] ^= 0x01;
    SpooledRequest strange;
    strange.id = 9;
    strange.origin = kOriginCommand;
    std::string badOrigin = EncodeSpoolEntry(strange);
    badOrigin[26] = 9;  // the origin byte, with a checksum that fits it
    badOrigin.resize(badOrigin.size() - 4);
    const std::uint32_t crc = Crc32(badOrigin);
    for (int i = 0; i < 4; ++i) badOrigin += static_cast<char>((crc >> (8 * i)) & 0xFF);
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"000000000003.req", good.substr(0, good.size() - 1)},  // cut short
        {"000000000004.req", flipped},
        {"000000000005.req", good},                              // another entry's contents
        {"000000000006.req", ""},
        {"000000000009.req", badOrigin},
        {"000000000010.req", good + "x"},
    };
    for (const auto& [name, bytes] : damaged) dir.Write("spool/Corvane/" + name, bytes);
    dir.Write("spool/Corvane/000000000011.tmp", good.substr(0, 10));
    dir.Write("spool/Corvane/notes.txt", "kept by someone");

    spool = NewSpool();
    EXPECT_EQ(RestoredNames(), (std::vector<std::string>{"Ann", "Bob"}));
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"000000000001.req", "000000000002.req", "damaged", "lock",
                                                       "notes.txt"}));
    std::vector<std::string> moved;
    for (const auto& [name, bytes] : damaged) moved.push_back("moved to " + folder + "damaged/" + name);
    EXPECT_EQ(start.damaged, moved);
    EXPECT_EQ(dir.Read("spool/Corvane/damaged/000000000004.req"), flipped);
    EXPECT_EQ(DamagedEntriesMessage({"moved to /d/damaged/000000000003.req", "/d/x.req (left in place: busy)"}),
              "The page spool held requests that could not be read.  They were not sent: moved to "
              "/d/damaged/000000000003.req, /d/x.req (left in place: busy).");
    EXPECT_EQ(Keep(*spool, "Cy"), 11u);  // no id is used twice, the damaged ones' included
}

TEST_F(PageSpoolTest, ASpoolThatCannotBeWrittenSaysSoOnceAndHoldsTheRequestInMemory)
{
    dir.Write("spool", "a file where the folder belongs");
    auto spool = NewSpool();
    std::string warning;
    ASSERT_TRUE(spool->TakeWarning(warning));
    EXPECT_EQ(warning, "The page spool cannot be written (" + dir.path() +
                           "spool/Corvane: Not a directory).  Until it can, requests from other programs and command files "
                           "are refused; other pages are still sent, but are lost if the program ends before they "
                           "are delivered.");
    PageRequest request{kOriginProgram, "Ann", "", "", "hello"};
    EXPECT_FALSE(spool->Keep(request, kSendInteractive));
    EXPECT_FALSE(spool->TakeWarning(warning)) << "said once while it goes on failing";
    ASSERT_EQ(spool->Pending().size(), 1u);
    EXPECT_FALSE(spool->Pending()[0].kept);
    EXPECT_EQ(spool->Pending()[0].id, request.spoolId);

    fs::remove(dir.File("spool"));
    EXPECT_EQ(Keep(*spool, "Bob"), request.spoolId + 1);
    EXPECT_TRUE(fs::exists(spool->PathOf(request.spoolId + 1)));
    EXPECT_FALSE(spool->TakeWarning(warning));
    fs::remove_all(dir.File("spool"));
    dir.Write("spool", "");
    PageRequest again{kOriginProgram, "Cy", "", "", ""};
    EXPECT_FALSE(spool->Keep(again, kSendInteractive));
    EXPECT_TRUE(spool->TakeWarning(warning)) << "a spool that fails again is reported again";
}

TEST_F(PageSpoolTest, OneFolderServesOneProgramAtATime)
{
    auto first = NewSpool();
    auto second = NewSpool();
    PageRequest request{kOriginCommand, "Ann", "", "", ""};
    EXPECT_FALSE(second->Keep(request, kSendCommand));
    std::string warning;
    ASSERT_TRUE(second->TakeWarning(warning));
    EXPECT_NE(warning.find(folder + ": used by another running copy of the program"), std::string::npos) << warning;
    first.reset();
    EXPECT_TRUE(second->Keep(request, kSendCommand));
}

}  // namespace
}  // namespace corvane::test
