// SCHEDS.DAT: every layout version read, version 4 written, damage anywhere.

#include <gtest/gtest.h>

#include "pim/schedule_file.h"
#include "pim/schedule_list.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

std::string W(int value)
{
    auto v = static_cast<std::uint16_t>(value);
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
std::string D(std::int32_t value) { return W(value & 0xFFFF) + W((value >> 16) & 0xFFFF); }
std::string S(const std::string& text) { return W(static_cast<int>(text.size()) + 1) + text + '\0'; }

// The part every version shares: next time, texts, pagers, unit, message source.
std::string Tail(std::int32_t next, int unit, int source = 1)
{
    return D(next) + S("Server down") + S("911") + D(3) + D(-7) + D(0) + W(unit) + W(source);
}

CScheduledPage Expected(std::int16_t unit, std::int16_t interval, std::int16_t skip = 0, std::int16_t remaining = 1,
                        std::int16_t limited = 0)
{
    CScheduledPage p;
    p.nextTime = 983955900;
    p.alphaText = "Server down";
    p.numericText = "911";
    p.pagers = {3, -7};
    p.unit = unit;
    p.interval = interval;
    p.messageSource = kSourcePrompt;
    p.skipIfMissed = skip;
    p.remaining = remaining;
    p.limited = limited;
    return p;
}

TEST(ScheduleFileTest, EveryVersionIsReadAndVersionOneUnitsAreConverted)
{
    struct Case {
        std::string bytes;
        CScheduledPage expected;
    };
    const Case cases[] = {
        {W(4) + W(2) + W(1) + W(1) + W(15) + Tail(983955900, kUnitMinute), Expected(kUnitMinute, 15, 1, 2, 1)},
        {W(3) + W(1) + W(6) + Tail(983955900, kUnitHour), Expected(kUnitHour, 6, 1)},
        {W(2) + W(3) + Tail(983955900, kUnitWeek), Expected(kUnitWeek, 3)},
        // Version 1: 1 day, 2 week, 3 month, 4 year; anything else stays as it was.
        {W(1) + Tail(983955900, 1), Expected(kUnitDay, 1)},
        {W(1) + Tail(983955900, 2), Expected(kUnitWeek, 1)},
        {W(1) + Tail(983955900, 3), Expected(kUnitMonth, 1)},
        {W(1) + Tail(983955900, 4), Expected(kUnitMonth, 12)},
        {W(1) + Tail(983955900, 0), Expected(kUnitNone, 0)},
        {W(7) + Tail(983955900, 5), Expected(kUnitMonth, 0)},  // an unknown version reads as version 1
    };
    for (const Case& c : cases) {
        ScheduleReadResult read = ReadSchedules(c.bytes);
        EXPECT_FALSE(read.damaged);
        ASSERT_EQ(read.schedules.size(), 1u);
        EXPECT_EQ(read.schedules[0], c.expected) << "version " << int(c.bytes[0]);
    }
}

TEST(ScheduleFileTest, VersionFourIsWrittenAndReadBackUnchanged)
{
    const std::string v4 = W(4) + W(2) + W(1) + W(1) + W(15) + Tail(983955900, kUnitMinute);
    CScheduledPage second = Expected(kUnitNone, 0);
    second.nextTime = -978307200;  // 1939: before 1970 is a negative time
    second.alphaText = std::string(1200, 'x');
    second.pagers.clear();

    std::vector<CScheduledPage> pages = ReadSchedules(v4).schedules;
    EXPECT_EQ(WriteSchedules(pages), v4);
    pages.push_back(second);
    std::vector<CScheduledPage> again = ReadSchedules(WriteSchedules(pages)).schedules;
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0], pages[0]);
    // A text longer than a reader's buffer is cut, or no reader could read the file.
    second.alphaText.resize(999);
    EXPECT_EQ(again[1], second);
    // An older file is written in the newest layout.
    EXPECT_EQ(WriteSchedules(ReadSchedules(W(1) + Tail(983955900, 4)).schedules),
              W(4) + W(1) + W(0) + W(0) + W(12) + Tail(983955900, kUnitMonth));
}

TEST(ScheduleFileTest, DamageAnywhereKeepsTheWholeRecordsBeforeIt)
{
    const std::string first = W(4) + W(1) + W(0) + W(0) + W(1) + Tail(983955900, kUnitDay);
    const std::string file = first + W(2) + W(5) + Tail(983956000, kUnitHour);
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        ScheduleReadResult read = ReadSchedules(std::string_view(file).substr(0, cut));
        std::size_t whole = cut >= first.size() ? 1 : 0;
        EXPECT_EQ(read.schedules.size(), whole) << "cut at " << cut;
        EXPECT_EQ(read.damaged, cut != 0 && cut != first.size()) << "cut at " << cut;
    }
    for (std::size_t at = 0; at < file.size(); ++at) {
        for (char bad : {'\x00', '\xFF', '\x7F'}) {
            std::string damaged = file;
            damaged[at] = bad;
            ScheduleReadResult read = ReadSchedules(damaged);
            if (at >= first.size()) {
                EXPECT_EQ(read.schedules.at(0), ReadSchedules(first).schedules.at(0)) << at;
            }
        }
    }
}

TEST(ScheduleFileTest, AMissingFileIsAnEmptyListAndADamagedOneKeepsItsWholeRecords)
{
    CTempDir dir;
    CScheduleList list;
    EXPECT_TRUE(list.Load(dir.File("SCHEDS.DAT"), 0));
    EXPECT_TRUE(list.Entries().empty());
    dir.Write("SCHEDS.DAT", W(2) + W(5) + Tail(983956000, kUnitHour) + W(4) + W(1));
    EXPECT_FALSE(list.Load(dir.File("SCHEDS.DAT"), 0));
    ASSERT_EQ(list.Entries().size(), 1u);
    EXPECT_EQ(list.Entries()[0].page.interval, 5);
}

}  // namespace
}  // namespace corvane::test
