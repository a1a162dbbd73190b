// The bytes of PAGERS.DAT in every layout and of MONITOR.DAT.

#include "directory/pager_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

#include "common/file_io.h"
#include "directory/monitor_file.h"
#include "tests/directory/file_bytes.h"

namespace corvane {
namespace {

using test::S;
using test::W;

std::vector<std::int16_t> Codes(const CPagerList& list)
{
    std::vector<std::int16_t> codes;
    for (const auto& r : list.records()) codes.push_back(r->Code);
    return codes;
}

// The tail every layout shares, and the record it loads as with the name "Bob".
std::string Tail(int code = 7)
{
    return S("30") + S("5") + S("1234") + S("1") + S("5551212") + S("555-0101") + S("555-0102") + S("2") +
           S("Call the desk") + W(code);
}

PagerRecord TailRecord()
{
    PagerRecord r;
    r.Code = 7;
    r.UserName = "Bob";
    r.WaitForConnection = "30", r.DelayTime = "5", r.PagerID = "1234", r.PagerType = "1";
    r.PhoneNumber = "5551212", r.VoiceOne = "555-0101", r.VoiceTwo = "555-0102";
    r.DefaultPageContent = "2", r.CustomMessage = "Call the desk";
    return r;
}

PagerRecord FullRecord()
{
    PagerRecord r;
    r.Code = 4242, r.AutoPageFlags = 5, r.PageCounter = 998, r.SendPageCounter = 1, r.MaximumPageLength = 240;
    r.Groups = {"Night Shift", "", "\xC9quipe, \"A\""};
    r.UserName = "Zo\xEB Park";
    r.WaitForConnection = "45", r.DelayTime = "12", r.PinDelayTime = "3";
    r.PhoneNumber = "SNPP:paging.example:444", r.VoiceOne = "", r.VoiceTwo = "+1 555 0100";
    r.CustomData = "Room 4", r.PagerID = "88123", r.PagerType = "1", r.DefaultPageContent = "0";
    r.CustomMessage = "Line one\r\nline two", r.SystemPassword = "", r.Separator = "#";
    r.ServiceName = "Metro Paging", r.BaudRate = "2400", r.PagesPerCall = 3;
    return r;
}

TEST(PagerFile, Layout14RoundTripsAndHasTheseExactBytes)
{
    CDataWriter out;
    WritePagerRecord(out, FullRecord());
    CPagerList list;
    PagerReadResult result = ReadPagerRecords(out.bytes(), list);
    EXPECT_EQ(result.records, 1u);
    EXPECT_FALSE(result.damaged);
    ASSERT_EQ(list.size(), 1u);
    PagerRecord expected = FullRecord();
    expected.AutoPageFlags = 0;  // MONITOR.DAT keeps it
    EXPECT_EQ(list.at(0), expected);

    PagerRecord r;  // the new-record defaults, empty strings among them
    r.Code = 3, r.UserName = "Al", r.Groups = {"G"};
    CDataWriter known;
    WritePagerRecord(known, r);
    static const char kBytes[] =
        "\x0E\x00" "\x0F\x27"
        "\x0A\x00<default>\x00" "\x02\x00" "2\x00" "\x07\x00<None>\x00" "\x02\x00*\x00"
        "\x01\x00\x00" "\x01\x00\x00"
        "\x50\x00" "\x00\x00" "\x00\x00"
        "\x03\x00" "Al\x00" "\x02\x00" "G\x00" "\x00\x00"
        "\x03\x00" "60\x00" "\x02\x00" "8\x00" "\x01\x00\x00" "\x02\x00" "0\x00"
        "\x01\x00\x00" "\x01\x00\x00" "\x01\x00\x00" "\x02\x00" "1\x00" "\x01\x00\x00"
        "\x03\x00";
    EXPECT_EQ(known.bytes(), std::string(kBytes, sizeof kBytes - 1));
}

TEST(PagerFile, EveryLayoutLoadsAsItsRecord)
{
    const std::string l1 = S("Bob") + S("Sales");
    const std::string l2 = W(1) + l1;
    const std::string l3 = W(12) + W(1) + l2;
    const std::string l4 = W(120) + l3;
    const std::string l5 = S("Room 4") + l4;
    const std::string late = S("pw") + S("Room 4") + W(120) + W(12) + W(1);
    const std::string groups = S("Bob") + S("Sales") + S("") + S("Night") + W(0);
    const std::string l10 = S("-") + late + groups;
    const std::string l13 = S("1200") + S("4") + S("Metro") + l10;
    // In layouts 2 to 7 any flag word but 0 means all three automatic pages; layouts 1 to 6
    // have a single group string.
    auto early = [](int layout) {
        return [layout](PagerRecord& r) {
            r.Groups = {"Sales"};
            if (layout >= 2) r.AutoPageFlags = 7;
            if (layout >= 3) r.PageCounter = 12, r.SendPageCounter = 1;
            if (layout >= 4) r.MaximumPageLength = 120;
            if (layout >= 5) r.CustomData = "Room 4";
            if (layout >= 6) r.SystemPassword = "pw";
        };
    };
    auto later = [](int layout, std::uint16_t flags, std::vector<std::string> groups = {"Sales", "", "Night"}) {
        return [=](PagerRecord& r) {
            r.Groups = groups;
            r.AutoPageFlags = flags;
            r.PageCounter = 12;
            r.SendPageCounter = 1;
            r.MaximumPageLength = 120;
            r.CustomData = "Room 4";
            r.SystemPassword = "pw";
            if (layout >= 10) r.Separator = "-";
            if (layout >= 11) r.ServiceName = "Metro";
            if (layout >= 12) r.PinDelayTime = "4";
            if (layout >= 13) r.BaudRate = "1200";
            if (layout >= 14) r.PagesPerCall = 2;
        };
    };
    struct Case {
        const char* name;
        std::string bytes;
        std::function<void(PagerRecord&)> expect;  // changes from TailRecord()
    };
    const std::vector<Case> cases = {
        // A name shorter than 14 bytes would read as a layout number: the format cannot tell.
        {"oldest", S("Robert Oldfield") + Tail(), [](PagerRecord& r) { r.UserName = "Robert Oldfield"; }},
        {"1", W(1) + l1 + Tail(), early(1)},
        {"1 empty group", W(1) + S("Bob") + S("") + Tail(), [](PagerRecord& r) { r.Groups = {""}; }},
        {"2", W(2) + l2 + Tail(), early(2)},
        {"2 no flags", W(2) + W(0) + l1 + Tail(), [](PagerRecord& r) { r.Groups = {"Sales"}; }},
        {"3", W(3) + l3 + Tail(), early(3)},
        {"4", W(4) + l4 + Tail(), early(4)},
        {"5 flag word 4", W(5) + S("Room 4") + W(120) + W(12) + W(1) + W(4) + l1 + Tail(), early(5)},
        {"6", W(6) + S("pw") + l5 + Tail(), early(6)},
        {"7 flag word 2", W(7) + late + W(2) + groups + Tail(), later(7, 7)},
        {"8 flag word 2", W(8) + late + W(2) + groups + Tail(), later(8, 2)},
        {"9", W(9) + late + groups + Tail(), later(9, 0)},
        {"9 group list ended by -1", W(9) + late + S("Bob") + S("Sales") + W(-1) + Tail(), later(9, 0, {"Sales"})},
        {"10", W(10) + l10 + Tail(), later(10, 0)},
        {"11", W(11) + S("Metro") + l10 + Tail(), later(11, 0)},
        {"12", W(12) + S("4") + S("Metro") + l10 + Tail(), later(12, 0)},
        {"13", W(13) + l13 + Tail(), later(13, 0)},
        {"14", W(14) + W(2) + l13 + Tail(), later(14, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("layout ") + c.name);
        CPagerList list;
        // Twice, to see that the record ends where the next begins.
        PagerReadResult result = ReadPagerRecords(c.bytes + c.bytes, list);
        EXPECT_EQ(result.records, 2u);
        EXPECT_FALSE(result.damaged);
        ASSERT_EQ(list.size(), 2u);
        PagerRecord expected = TailRecord();
        c.expect(expected);
        EXPECT_EQ(list.at(0), expected);
        EXPECT_EQ(list.at(1), expected);
    }
}

// The fuzzer's seeds are meant to be valid files, one per layout: see that they are.
TEST(PagerFile, SeedCorpusHoldsOneValidFilePerLayout)
{
    const char* source = std::getenv("CORVANE_SOURCE_DIR");
    std::filesystem::path root = source ? source : std::filesystem::path(__FILE__).parent_path() / "../..";
    std::filesystem::path folder = root / "tests/fuzz/corpus/pager_file_fuzz";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    std::set<int> layouts;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::string bytes;
        ASSERT_TRUE(ReadWholeFile(entry.path().string(), bytes));
        CPagerList list;
        PagerReadResult result = ReadPagerRecords(bytes, list);
        EXPECT_FALSE(result.damaged);
        EXPECT_EQ(result.records, 2u);
        int first = static_cast<unsigned char>(bytes[0]) | static_cast<unsigned char>(bytes[1]) << 8;
        layouts.insert(first >= 1 && first <= 14 ? first : 0);
    }
    EXPECT_EQ(layouts.size(), 15u);
}

TEST(PagerFile, DamageDropsTheRecordAndEverythingAfterIt)
{
    const std::string good = W(14) + W(2) + S("1200") + S("4") + S("Metro") + S("-") + S("pw") + S("Room 4") +
                             W(120) + W(12) + W(1) + S("Bob") + S("Sales") + W(0) + Tail(1);
    const std::string after = S("Ann") + Tail(3);
    const std::string badTail = S("30") + S("5");  // followed by a bad PagerID
    struct Case {
        const char* name;
        std::string damaged;
        bool atEnd = false;  // cut short: nothing may follow
    };
    const std::vector<Case> cases = {
        {"string longer than 1000", S("Bob") + badTail + W(1001) + std::string(1001, 'x') + S("") + Tail()},
        {"string length 0", S("Bob") + badTail + W(0) + S("") + Tail()},
        {"string length -5", S("Bob") + badTail + W(-5) + S("") + Tail()},
        {"oldest name of length 1001", W(1001) + std::string(1001, 'n') + Tail()},
        {"oldest name of length -2", W(-2) + Tail()},
        {"group longer than 1000", W(9) + S("pw") + S("") + W(80) + W(0) + W(0) + S("Bob") + W(1200) +
                                       std::string(1200, 'g') + W(0) + Tail()},
        {"string past the end", S("Bob") + badTail + W(40) + "short", true},
        {"no code", S("Bob") + Tail().substr(0, Tail().size() - 2), true},
        {"half a code", S("Bob") + Tail().substr(0, Tail().size() - 1), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CPagerList list;
        PagerReadResult result = ReadPagerRecords(good + c.damaged + (c.atEnd ? "" : after), list);
        EXPECT_TRUE(result.damaged);
        EXPECT_EQ(result.records, 1u);
        EXPECT_EQ(Codes(list), std::vector<std::int16_t>{1});
        EXPECT_EQ(list.at(0).UserName, "Bob");
    }
}

TEST(PagerFile, ARecordCutAnywhereIsDroppedAndTheOnesBeforeItKept)
{
    CDataWriter first, second;
    WritePagerRecord(first, FullRecord());
    PagerRecord other = FullRecord();
    other.Code = 9;
    WritePagerRecord(second, other);
    for (std::size_t cut = 0; cut < second.bytes().size(); ++cut) {
        CPagerList list;
        PagerReadResult result = ReadPagerRecords(first.bytes() + second.bytes().substr(0, cut), list);
        EXPECT_EQ(list.size(), 1u) << "cut at " << cut;
        EXPECT_EQ(result.records, 1u);
        // A single stray byte is too short to start a record; anything longer is damage.
        EXPECT_EQ(result.damaged, cut >= 2) << "cut at " << cut;
    }
}

TEST(PagerFile, LongestStringsAreKeptAndLongerOnesCutSoTheFileStaysReadable)
{
    CPagerList list;
    ReadPagerRecords(S(std::string(999, 'n')) + Tail(), list);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list.at(0).UserName.size(), 999u);

    CPagerList big;
    PagerRecord& r = big.AddBlank();
    r.Code = 1, r.CustomMessage = std::string(1500, 'm');
    big.AddBlank().Code = 2;
    CPagerList back;
    ReadPagerRecords(WritePagerRecords(big), back);
    EXPECT_EQ(Codes(back), (std::vector<std::int16_t>{1, 2}));
    EXPECT_EQ(back.at(0).CustomMessage, std::string(999, 'm'));
}

// MONITOR.DAT: six-byte records of an unused word, a pager code and its automatic flags.
std::string Monitor(int code, int flags, int first = 1) { return W(first) + W(code) + W(flags); }

std::vector<int> Flags(const CPagerList& list)
{
    std::vector<int> flags;
    for (const auto& r : list.records()) flags.push_back(r->AutoPageFlags);
    return flags;
}

CPagerList& WithCodes(CPagerList& list, std::initializer_list<std::pair<int, int>> pagers)
{
    for (auto [code, flags] : pagers) {
        PagerRecord& r = list.AddBlank();
        r.Code = static_cast<std::int16_t>(code), r.AutoPageFlags = static_cast<std::uint16_t>(flags);
    }
    return list;
}

TEST(MonitorFile, RecordsSetTheFlagsOfTheFirstPagerWithTheCodeAndAShortRecordEndsTheReading)
{
    CPagerList list;
    WithCodes(list, {{1, 0}, {2, 0}, {-3, 0}, {4, 6}, {8, 0}, {8, 0}});
    std::string bytes = Monitor(2, 5) + Monitor(-3, 2) + Monitor(99, 7) + Monitor(-99, 7) + Monitor(1, 4, 0x7777) +
                        Monitor(8, 1) + Monitor(8, 4);  // the later record for a code wins
    EXPECT_EQ(ReadMonitorRecords(bytes, list), 7u);
    EXPECT_EQ(Flags(list), (std::vector<int>{4, 5, 2, 6, 4, 0}));

    for (std::size_t cut = 0; cut < 6; ++cut) {
        CPagerList two;
        WithCodes(two, {{1, 0}, {2, 0}});
        EXPECT_EQ(ReadMonitorRecords(Monitor(1, 1) + Monitor(2, 2).substr(0, cut), two), 1u) << "cut at " << cut;
        EXPECT_EQ(Flags(two), (std::vector<int>{1, 0})) << "cut at " << cut;
    }
}

TEST(MonitorFile, WriterKeepsPagersWithFlagsAndNeverTheScratchRecord)
{
    CPagerList list;
    WithCodes(list, {{3, 1}, {4, 0}, {-7, 6}, {0, 7}, {32000, 0xFFFF}});
    const std::string expected = std::string("\x01\x00\x03\x00\x01\x00", 6) +
                                 std::string("\x01\x00\xF9\xFF\x06\x00", 6) +
                                 std::string("\x01\x00\x00\x7D\xFF\xFF", 6);
    EXPECT_EQ(WriteMonitorRecords(list), expected);
}

}  // namespace
}  // namespace corvane
