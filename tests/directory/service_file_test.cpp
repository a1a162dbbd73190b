// The bytes of SERVICES.DAT in every layout.

#include "directory/service_file.h"

#include <gtest/gtest.h>

#include "directory/data_file.h"
#include "directory/service_list.h"
#include "tests/directory/file_bytes.h"

namespace corvane {
namespace {

using test::S;
using test::W;

ServiceRecord FullService()
{
    ServiceRecord s;
    s.Code = 12, s.MaximumPageLength = 240, s.Name = "Metro Paging", s.PhoneNumber = "SNPP:10.0.0.5:444";
    s.WaitForConnection = "45", s.DelayTime = "3", s.PinDelayTime = "7", s.ServiceType = "1";
    s.SystemPassword = "secret", s.Separator = "#", s.BaudRate = "2400", s.PagesPerCall = 17;
    return s;
}

// The tail every layout shares: Separator to Code.
std::string Tail(const ServiceRecord& s)
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
    for (const Case& c : {Case{"layout 3", W(3) + S(s.BaudRate) + S(s.PinDelayTime) + Tail(s), withBaud},
                          Case{"layout 2", W(2) + S(s.PinDelayTime) + Tail(s), noBaud},
                          Case{"layout 1", W(1) + Tail(s), noPin}, Case{"first word 0", W(0) + Tail(s), noPin},
                          Case{"first word 9", W(9) + Tail(s), noPin}, Case{"first word -4", W(-4) + Tail(s), noPin},
                          Case{"zero inside a string", W(1) + W(6) + std::string("ab\0cd", 6) + Tail(s).substr(4), cut}}) {
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
