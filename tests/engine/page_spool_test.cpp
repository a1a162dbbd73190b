#include "engine/page_spool.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/journal_record.h"
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

SpooledRequest Request(std::uint64_t id, const std::string& name, int mode = kSendCommand)
{
    SpooledRequest request;
    request.id = id;
    request.queuedAt = 983955900;
    request.origin = kOriginCommand;
    request.sendMode = mode;
    request.name = name;
    request.message = "message for " + name;
    return request;
}

TEST(JournalRecordTest, RecordsAreWrittenInTheirExactBytesAndReadBackOnlyWhole)
{
    SpooledRequest request = Request(7, "John");
    request.phoneOverride = "555";
    request.message = std::string("Call\0me\n\xe9", 9);
    const std::string bytes = EncodeRequestRecord(request);
    EXPECT_EQ(Hex(bytes), "4356525101320000000700000000000000bcf9a53a000000000202040000004a6f686e0300000035353500"
                          "0000000900000043616c6c006d650ae94a5b3381");
    EXPECT_EQ(Hex(EncodeSendModeRecord(7, kSendScheduled)), "43565251020900000007000000000000000325093b39");
    EXPECT_EQ(Hex(EncodeReleasedRecord(7)), "43565251030800000007000000000000002c02e371");

    JournalRecord record;
    std::size_t size = 0;
    ASSERT_EQ(ReadJournalRecord(bytes + "more", record, size), RecordRead::Whole);
    EXPECT_EQ(size, bytes.size());
    EXPECT_EQ(record.kind, JournalKind::Request);
    EXPECT_EQ(record.request.id, 7u);
    EXPECT_EQ(record.request.queuedAt, 983955900);
    EXPECT_EQ(record.request.phoneOverride, "555");
    EXPECT_EQ(record.request.message, request.message);

    std::string flipped = bytes;
    flipped[40] ^= 0x20;
    std::string badOrigin = bytes.substr(0, bytes.size() - 4);
    badOrigin[25] = 4;  // the origin, under a checksum that fits it
    const std::uint32_t crc = Crc32(badOrigin);
    for (int i = 0; i < 4; ++i) badOrigin += static_cast<char>((crc >> (8 * i)) & 0xFF);
    const std::vector<std::pair<std::string, RecordRead>> cases = {
        {bytes.substr(0, bytes.size() - 1), RecordRead::Incomplete},  // an append cut off
        {"CVR", RecordRead::Incomplete},
        {"", RecordRead::Incomplete},
        {flipped, RecordRead::Damaged},
        {"XVRQ" + bytes.substr(4), RecordRead::Damaged},
        {badOrigin, RecordRead::Damaged},
        {EncodeReleasedRecord(0), RecordRead::Damaged},
    };
    for (const auto& [input, expected] : cases) EXPECT_EQ(ReadJournalRecord(input, record, size), expected) << Hex(input);
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
    std::string Journal() const { return dir.Read("spool/Corvane/journal"); }

    CTempDir dir;
    std::string folder = dir.path() + "spool/Corvane/";
    CFakeClock clock;
    SpoolStart start;
};

TEST_F(PageSpoolTest, ARequestStaysUntilReleasedAndComesBackInOrderWithTheQuietestSend)
{
    auto spool = NewSpool();
    EXPECT_EQ(Journal(), "");
    const std::uint64_t waiting = Keep(*spool, "Ann", kSendNone);
    Keep(*spool, "Bob", kSendScheduled, kOriginProgram);
    const std::uint64_t released = Keep(*spool, "Cy");
    PageRequest byOrigin{kOriginProgram, "Dee", "", "", "typed"};
    ASSERT_TRUE(spool->Keep(byOrigin, kSendByOrigin));
    spool->Release(released);
    spool.reset();  // the program dies

    spool = NewSpool();
    EXPECT_EQ(RestoredNames(), (std::vector<std::string>{"Ann", "Bob", "Dee"}));
    EXPECT_EQ(start.requests[0].spoolId, waiting);
    EXPECT_EQ(start.requests[2].message, "typed");
    EXPECT_EQ(start.sendMode, kSendScheduled);  // no boxes for any of them
    const std::vector<SpooledRequest> pending = spool->Pending();
    ASSERT_EQ(pending.size(), 3u);
    EXPECT_EQ(pending[0].sendMode, kSendNone);
    EXPECT_EQ(pending[2].sendMode, kSendInteractive);  // the program's own send, by its origin
    std::string rewritten;
    for (const SpooledRequest& request : pending) rewritten += EncodeRequestRecord(request);
    EXPECT_EQ(Journal(), rewritten) << "only what is pending, after each start";
    EXPECT_EQ(Keep(*spool, "Eve"), 5u);  // the ids go on after the last one

    // A send asked for: the request that waited is to be sent after a restart too.
    spool->SendRequested(start.requests, kSendCommand);
    spool.reset();
    spool = NewSpool();
    EXPECT_EQ(spool->Pending()[0].sendMode, kSendCommand);
    spool->Taken(start.requests, kSendCommand);
    EXPECT_TRUE(spool->Pending()[0].sending);
    for (const SpooledRequest& request : spool->Pending()) spool->Release(request.id);
    EXPECT_EQ(Journal(), "") << "emptied when nothing is pending";
}

TEST_F(PageSpoolTest, DamageIsMovedAsideWithAMessageAndTheRecordsAfterItAreRead)
{
    std::string flipped = EncodeRequestRecord(Request(2, "Bob"));
    flipped[30] ^= 0x01;
    const std::string before = EncodeRequestRecord(Request(1, "Ann"));
    const std::string garbage = "CVRQ\x01 lost in the middle";
    std::string journal = before + flipped + EncodeRequestRecord(Request(3, "Cy")) + garbage +
                          EncodeRequestRecord(Request(4, "Dee", kSendNone)) + EncodeReleasedRecord(3) +
                          EncodeSendModeRecord(4, kSendScheduled);
    const std::string cutOff = EncodeRequestRecord(Request(5, "Eve")).substr(0, 20);
    fs::create_directories(folder);
    dir.Write("spool/Corvane/journal", journal + cutOff);
    dir.Write("spool/Corvane/journal.new", "a rewrite that a crash cut off");

    auto spool = NewSpool();
    EXPECT_EQ(RestoredNames(), (std::vector<std::string>{"Ann", "Dee"}));
    EXPECT_EQ(spool->Pending()[1].sendMode, kSendScheduled);
    const std::size_t flippedAt = before.size();
    const std::size_t garbageAt = journal.find(garbage);
    const std::string moved = folder + "damaged/journal-983955900-";
    EXPECT_EQ(start.damaged, (std::vector<std::string>{"moved to " + moved + std::to_string(flippedAt),
                                                        "moved to " + moved + std::to_string(garbageAt)}));
    EXPECT_EQ(dir.Read("spool/Corvane/damaged/journal-983955900-" + std::to_string(flippedAt)), flipped);
    EXPECT_EQ(dir.Read("spool/Corvane/damaged/journal-983955900-" + std::to_string(garbageAt)), garbage);
    EXPECT_FALSE(fs::exists(folder + "journal.new"));
    EXPECT_EQ(Journal(), EncodeRequestRecord(Request(1, "Ann")) + EncodeRequestRecord(Request(4, "Dee", kSendScheduled)));
    EXPECT_EQ(Keep(*spool, "Fay"), 5u);
    EXPECT_EQ(DamagedEntriesMessage({"moved to /d/damaged/journal-1-0", "9 bytes at 0 of /d/journal (left in place: busy)"}),
              "The page spool held requests that could not be read.  They were not sent: moved to "
              "/d/damaged/journal-1-0, 9 bytes at 0 of /d/journal (left in place: busy).");

    // The same second again: nothing moved aside before is overwritten.
    spool.reset();
    dir.Write("spool/Corvane/journal", flipped);
    spool = NewSpool();
    EXPECT_EQ(start.damaged, (std::vector<std::string>{"moved to " + moved + "0"}));
    spool.reset();
    dir.Write("spool/Corvane/journal", garbage);
    spool = NewSpool();
    EXPECT_EQ(start.damaged, (std::vector<std::string>{"moved to " + moved + "0.1"}));
}

TEST_F(PageSpoolTest, ASpoolThatCannotBeWrittenSaysSoOnceAndHoldsTheRequestInMemory)
{
    dir.Write("spool", "a file where the folder belongs");
    auto spool = NewSpool();
    std::string warning;
    ASSERT_TRUE(spool->TakeWarning(warning));
    EXPECT_EQ(warning, "The page spool cannot be written (" + dir.path() +
                           "spool/Corvane: Not a directory).  Until it can, requests from other programs and command "
                           "files are refused; other pages are still sent, but are lost if the program ends before "
                           "they are delivered.");
    PageRequest request{kOriginProgram, "Ann", "", "", "hello"};
    EXPECT_FALSE(spool->Keep(request, kSendInteractive));
    EXPECT_FALSE(spool->TakeWarning(warning)) << "said once while it goes on failing";
    ASSERT_EQ(spool->Pending().size(), 1u);
    EXPECT_FALSE(spool->Pending()[0].kept);

    fs::remove(dir.File("spool"));
    EXPECT_EQ(Keep(*spool, "Bob"), request.spoolId + 1);
    EXPECT_EQ(Journal(), EncodeRequestRecord(spool->Pending()[1]));

    // Removed under the running program: made again, with what is pending in it.
    fs::remove_all(dir.File("spool"));
    Keep(*spool, "Cy");
    EXPECT_EQ(Journal(), EncodeRequestRecord(spool->Pending()[1]) + EncodeRequestRecord(spool->Pending()[2]));
    fs::remove_all(dir.File("spool"));
    dir.Write("spool", "");
    PageRequest again{kOriginProgram, "Dee", "", "", ""};
    EXPECT_FALSE(spool->Keep(again, kSendInteractive));
    EXPECT_TRUE(spool->TakeWarning(warning)) << "a spool that fails again is reported again";
}

TEST_F(PageSpoolTest, OneFolderServesOneProgramAtATimeAndALateComerKeepsWhatTheFirstLeft)
{
    auto first = NewSpool();
    Keep(*first, "Ann");
    Keep(*first, "Bob");
    auto second = NewSpool();
    PageRequest request{kOriginCommand, "Cy", "", "", ""};
    EXPECT_FALSE(second->Keep(request, kSendCommand));
    std::string warning;
    ASSERT_TRUE(second->TakeWarning(warning));
    EXPECT_NE(warning.find(folder + ": used by another running copy of the program"), std::string::npos) << warning;
    first.reset();

    // The second takes the folder over; the first one's requests go after the id it has
    // already given, and wait for the next start.
    PageRequest late{kOriginCommand, "Dee", "", "", ""};
    EXPECT_TRUE(second->Keep(late, kSendCommand));
    std::vector<std::string> pending;
    for (const SpooledRequest& r : second->Pending()) pending.push_back(std::to_string(r.id) + " " + r.name);
    EXPECT_EQ(pending, (std::vector<std::string>{"1 Cy", "2 Ann", "3 Bob", "4 Dee"}));
    second.reset();
    second = NewSpool();
    EXPECT_EQ(RestoredNames(), (std::vector<std::string>{"Ann", "Bob", "Dee"}));
}

}  // namespace
}  // namespace corvane::test
