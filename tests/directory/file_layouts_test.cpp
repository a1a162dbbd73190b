// The bytes of PAGERS.DAT and SERVICES.DAT in every layout, and what damage does to them.

#include <gtest/gtest.h>

#include <functional>

#include "directory/data_file.h"
#include "directory/pager_file.h"
#include "directory/service_file.h"
#include "directory/service_list.h"
#include "tests/directory/directory_helpers.h"

namespace corvane {
namespace {

using test::Codes;
using test::CodesOf;
using test::S;
using test::W;

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
        EXPECT_EQ(CodesOf(list), Codes{1});
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
    EXPECT_EQ(CodesOf(back), (Codes{1, 2}));
    EXPECT_EQ(back.at(0).CustomMessage, std::string(999, 'm'));
}


ServiceRecord FullService()
{
    ServiceRecord s;
    s.Code = 12, s.MaximumPageLength = 240, s.Name = "Metro Paging", s.PhoneNumber = "SNPP:10.0.0.5:444";
    s.WaitForConnection = "45", s.DelayTime = "3", s.PinDelayTime = "7", s.ServiceType = "1";
    s.SystemPassword = "secret", s.Separator = "#", s.BaudRate = "2400", s.PagesPerCall = 17;
    return s;
}

// The tail every service layout shares: Separator to Code.
std::string ServiceTail(const ServiceRecord& s)
{
    return S(s.Separator) + S(s.SystemPassword) + W(s.MaximumPageLength) + S(s.Name) + S(s.WaitForConnection) +
           S(s.DelayTime) + S(s.ServiceType) + S(s.PhoneNumber) + W(s.Code);
}

TEST(ServiceFile, Layout4IsWrittenByteForByteAndRoundTripsEveryField)
{
    CServiceList list;
    ServiceRecord& a = list.AddBlank();
    a.Code = 3, a.Name = "A", a.Separator = "";
    // Layout 4, PagesPerCall, BaudRate, PinDelayTime, then the tail; "" is a length 1 and a zero.
    const std::string expected = W(4) + W(9999) + S("<default>") + S("2") + S("") + S("") + W(80) + S("A") +
                                 S("60") + S("8") + S("0") + S("") + W(3);
    ASSERT_EQ(S(""), std::string("\x01\x00\x00", 3));
    EXPECT_EQ(WriteServiceRecords(list), expected);

    CServiceList written;
    written.Duplicate(FullService());
    ServiceRecord second = FullService();
    second.Code = 32000;
    second.Name = std::string("caf\xE9 \x01", 6);  // bytes kept as they are
    second.PagesPerCall = -1;
    written.Duplicate(second);
    CServiceList read;
    ServiceReadResult result = ReadServiceRecords(WriteServiceRecords(written), read);
    EXPECT_EQ(result.records, 2);
    EXPECT_FALSE(result.damaged);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read.at(0), FullService());
    EXPECT_EQ(read.at(1), second);
}

TEST(ServiceFile, OlderLayoutsKeepTheDefaultsOfWhatTheyLack)
{
    const ServiceRecord s = FullService();
    ServiceRecord noBaud = s, noPin = s;
    noBaud.PagesPerCall = noPin.PagesPerCall = 9999;
    noBaud.BaudRate = noPin.BaudRate = "<default>";
    noPin.PinDelayTime = "2";
    ServiceRecord cut = noPin;  // a string is taken up to its first zero byte
    cut.Separator = "ab";
    struct Case {
        const char* name;
        std::string bytes;
        ServiceRecord expected;
    };
    ServiceRecord withBaud = noBaud;
    withBaud.BaudRate = s.BaudRate;
    for (const Case& c : {Case{"layout 3", W(3) + S(s.BaudRate) + S(s.PinDelayTime) + ServiceTail(s), withBaud},
                          Case{"layout 2", W(2) + S(s.PinDelayTime) + ServiceTail(s), noBaud},
                          Case{"layout 1", W(1) + ServiceTail(s), noPin}, Case{"first word 0", W(0) + ServiceTail(s), noPin},
                          Case{"first word 9", W(9) + ServiceTail(s), noPin}, Case{"first word -4", W(-4) + ServiceTail(s), noPin},
                          Case{"zero inside a string", W(1) + W(6) + std::string("ab\0cd", 6) + ServiceTail(s).substr(4), cut}}) {
        SCOPED_TRACE(c.name);
        CServiceList list;
        ASSERT_EQ(ReadServiceRecords(c.bytes, list).records, 1);
        EXPECT_EQ(list.at(0), c.expected);
    }
}

TEST(ServiceFile, ADamagedRecordStopsTheReadingAndKeepsEarlierRecords)
{
    CServiceList good;
    good.Duplicate(FullService());
    const std::string first = WriteServiceRecords(good);
    // A second record whose Name length word is the given value, then a third good record.
    auto withBadName = [&](int length) {
        return first + W(2) + S("2") + S("*") + S("") + W(80) + W(length) + std::string(1200, 'x') + first;
    };
    struct Case {
        const char* name;
        std::string bytes;
        bool damaged = true;
    };
    for (const Case& c : {Case{"length 0", withBadName(0)}, Case{"negative length", withBadName(-3)},
                          Case{"length 1001", withBadName(1001)},
                          Case{"cut inside a string", first + first.substr(0, 20)},
                          Case{"cut before the code", first + first.substr(0, first.size() - 1)},
                          Case{"one stray byte is no record", first + "\x04", false}}) {
        SCOPED_TRACE(c.name);
        CServiceList list;
        ServiceReadResult result = ReadServiceRecords(c.bytes, list);
        EXPECT_EQ(result.damaged, c.damaged);
        EXPECT_EQ(result.records, 1);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list.at(0), FullService());
    }
}

}  // namespace
}  // namespace corvane
