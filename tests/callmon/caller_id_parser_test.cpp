// The caller-ID reports of every form, read from the monitor line whole, one byte per
// read and split in two at every position: each way gives the same call.

#include "tests/callmon/callmon_fixture.h"
#include "tests/sim/caller_id_reports.h"

namespace corvane::test {
namespace {

using namespace sim;
using Mode = CCallerIdState::Mode;

struct Heard {
    std::string number, name;
    int rings;
    Mode mode;
    std::size_t buffered;
    bool operator==(const Heard&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Heard& h)
{
    return out << "{\"" << h.number << "\", \"" << h.name << "\", " << h.rings << ", mode " << static_cast<int>(h.mode)
               << ", " << h.buffered << " buffered}";
}

class CallerIdParserTest : public CallMonitorTest {
protected:
    // A fresh monitor that reads the bytes in the pieces given, one read each.
    Heard Read(const std::vector<std::string>& pieces)
    {
        monitor.reset();
        Start();
        for (const std::string& piece : pieces) Hear(piece);
        const CCallerIdState& c = monitor->Caller();
        return {c.Number(), c.Name(), c.RingCount(), c.CurrentMode(), c.BufferedBytes()};
    }
};

const std::string kSingle = SingleDataMessage("09301224", "6095551212");
// The checksum byte of this one is 0: every other byte adds up to 256 times 13.
const std::string kMultipleZeroSum =
    MultipleDataMessage({{1, "04121804"}, {2, "5551234567"}, {7, "ANN C WOOD"}});

TEST_F(CallerIdParserTest, EveryReportFormGivesTheSameCallHoweverItIsRead)
{
    // The classic single data message: September 30, 12:24, 609-555-1212, checksum 0x51.
    ASSERT_EQ(ToHex(kSingle), "041230393330313232343630393535353132313251");
    ASSERT_EQ(kMultipleZeroSum.back(), '\0');
    const std::string blockedName = MultipleDataMessage({{2, "5551234567"}, {8, "P"}});
    const std::string idle = "\r\nRING\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        int numberRings;
        Heard heard;
    };
    const Case cases[] = {
        {"modem report: the name keeps the space after '='", kRingLine + KeywordReport("5551234567", "JOHN SMITH"), 3,
         {"5551234567", " JOHN SMITH", 1, Mode::Scanning, 0}},
        {"NumberRings 0: complete at the end of the name line", kRingLine + KeywordReport("5551234567", "JOHN SMITH"),
         0, {"5551234567", " JOHN SMITH", kReportComplete, Mode::Scanning, 0}},
        {"NAME: directly followed by the name", "NAME:JOHN\r", 3, {"", "JOHN", 0, Mode::Scanning, 0}},
        {"a report with ':' separators", KeywordReport("5551234567", "JOHN", ":"), 3,
         {"5551234567", "JOHN", 0, Mode::Scanning, 0}},
        {"number O", "\r\nNAME = JOHN\r\nNMBR = O\r\n", 3, {kOutOfArea, "", 0, Mode::Scanning, 0}},
        {"number P", "CID=P\r\n", 3, {kBlockedByCaller, "", 0, Mode::Scanning, 0}},
        {"no name line: with NumberRings 0 only the rings count", kRingLine + KeywordReport("5551234567", ""), 0,
         {"5551234567", "", 1, Mode::Scanning, 0}},
        {"date and time digits after the number are not hexadecimal text",
         "\r\nNMBR = 5551234567\r\nNAME = JOHN\r\nDATE = 0412\r\nTIME = 1804\r\n", 0,
         {"5551234567", " JOHN", kReportComplete, Mode::Scanning, 0}},
        {"single data message as raw bytes", idle + kSingle, 3, {"6095551212", "", 1, Mode::Scanning, 0}},
        {"single data message as hexadecimal text", idle + HexText(kSingle), 3, {"6095551212", "", 1, Mode::Scanning, 0}},
        {"the ANI-323 way: NumberRings 0 completes with the data message", kSingle, 0,
         {"6095551212", "", kReportComplete, Mode::Scanning, 0}},
        {"a wrong checksum empties number and name", "NMBR = 5551234\r\n" + WrongChecksum(kSingle), 3,
         {"", "", 0, Mode::Scanning, 0}},
        {"a wrong checksum in hexadecimal text too", "NMBR = 5551234\r\n" + HexText(WrongChecksum(kSingle)), 3,
         {"", "", 0, Mode::Scanning, 0}},
        {"hexadecimal text cut short", "NMBR = 5551234\r\n" + ToHex(kSingle).substr(0, 20) + "\r\n", 3,
         {"", "", 0, Mode::Scanning, 0}},
        {"multiple data message as raw bytes, checksum byte 0", kMultipleZeroSum, 3,
         {"5551234567", "ANN C WOOD", 0, Mode::Scanning, 0}},
        {"multiple data message as hexadecimal text", "\r\n" + HexText(kMultipleZeroSum), 3,
         {"5551234567", "ANN C WOOD", 0, Mode::Scanning, 0}},
        {"name withheld: the number stays", HexText(blockedName), 3,
         {"5551234567", kBlockedByCaller, 0, Mode::Scanning, 0}},
        {"number out of area", MultipleDataMessage({{7, "JOHN"}, {4, "O"}}), 3, {kOutOfArea, "", 0, Mode::Scanning, 0}},
        {"Rochelle line with its line designation", UnitLine("5551234", "JOHN", "2"), 3,
         {"5551234", "JOHN (Line 2)", 0, Mode::Scanning, 0}},
        {"Rochelle line, number withheld, no designation", UnitLine("P", "SMITH", ""), 3,
         {kBlockedByCaller, "", 0, Mode::Scanning, 0}},
        {"Rochelle line without its commas", "+1,5551234\r\n", 3, {"5551234", "", 0, Mode::Scanning, 0}},
        {"Rochelle rings", kUnitRing + kUnitRingOther + kUnitRing, 3, {"", "", 3, Mode::Scanning, 0}},
        {"a message whose checksum is 0x04 does not swallow the next ring",
         kRingLine + SingleDataMessage("04121804", "0000014") + kRingLine, 3, {"0000014", "", 2, Mode::Scanning, 0}},
        {"control and 8-bit bytes in a name become spaces", "NAME = J\aO\xE9N\x7F\r", 3,
         {"", " J O N ", 0, Mode::Scanning, 0}},
        {"a name that never ends stops growing", "NAME = " + std::string(100000, 'X'), 3,
         {"", " " + std::string(kMaxFieldLength - 1, 'X'), 0, Mode::Name, 0}},
        {"hexadecimal text that never ends is dropped", "\r\n04" + std::string(100000, '1') + kRingLine, 3,
         {"", "", 1, Mode::Scanning, 0}},
        {"a length byte of 255 with three bytes after it waits, bounded", "\r\n" + std::string("\x04\xff" "abc"), 3,
         {"", "", 0, Mode::RawMessage, 5}},
    };
    for (const Case& c : cases) {
        settings.Write(key::NumberRings, std::to_string(c.numberRings));
        EXPECT_EQ(Read({c.bytes}), c.heard) << c.what << ": whole";
        if (c.bytes.size() > 1000) continue;
        std::vector<std::string> bytes;
        for (char b : c.bytes) bytes.emplace_back(1, b);
        EXPECT_EQ(Read(bytes), c.heard) << c.what << ": a byte per read";
        for (std::size_t at = 1; at < c.bytes.size(); ++at)
            EXPECT_EQ(Read({c.bytes.substr(0, at), c.bytes.substr(at)}), c.heard) << c.what << ": split at " << at;
    }
}

TEST_F(CallerIdParserTest, ACallEndsTenSecondsAfterItsLastRingAndAReportOutlivesAnOldRing)
{
    Start();
    Hear(kRingLine);
    Poll(10);
    EXPECT_EQ(monitor->Caller().RingCount(), 1);
    Poll(1);
    EXPECT_EQ(monitor->Caller().RingCount(), kNoCall);

    // A report long after the last ring still makes a call that the ageing keeps.
    settings.Write(key::NumberRings, "0");
    Hear(KeywordReport("5551234567", "JOHN"));
    Poll(1);
    EXPECT_EQ(monitor->Caller().RingCount(), kReportComplete);

    // A clock set back ends the call rather than keeping it for ever.
    clock.SetNow(clock.Now() - 3600);
    Poll(1);
    EXPECT_EQ(monitor->Caller().RingCount(), kNoCall);
}

TEST_F(CallerIdParserTest, AMessageThatStopsHalfWayIsDroppedAfterFiveSilentSeconds)
{
    Start();
    Hear(std::string("\x04\xff" "abc"));
    Poll(5);
    EXPECT_EQ(monitor->Caller().CurrentMode(), Mode::RawMessage);
    Poll(1);
    EXPECT_EQ(monitor->Caller().CurrentMode(), Mode::Scanning);
    Hear(kRingLine);
    EXPECT_EQ(monitor->Caller().RingCount(), 1);
}

}  // namespace
}  // namespace corvane::test
