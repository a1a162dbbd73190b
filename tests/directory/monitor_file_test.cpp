#include "directory/monitor_file.h"

#include <gtest/gtest.h>

#include "directory/pager_file.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

std::string W(int value)
{
    auto v = static_cast<std::uint16_t>(value);
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string Record(int code, int flags, int first = 1)
{
    return W(first) + W(code) + W(flags);
}

void Add(CPagerList& list, int code, int flags = 0)
{
    PagerRecord& r = list.AddBlank();
    r.Code = static_cast<std::int16_t>(code);
    r.AutoPageFlags = static_cast<std::uint16_t>(flags);
}

std::vector<int> Flags(const CPagerList& list)
{
    std::vector<int> flags;
    for (const auto& r : list.records()) flags.push_back(r->AutoPageFlags);
    return flags;
}

TEST(MonitorFile, RecordsSetTheFlagsOfLocalAndSharedPagersAndSkipUnknownCodes)
{
    CPagerList list;
    for (int code : {1, 2, -3, 4}) Add(list, code);
    list.at(3).AutoPageFlags = 6;  // no record for it: left as it was
    std::string bytes = Record(2, 5) + Record(-3, 2) + Record(99, 7) + Record(-99, 7) +
                        Record(1, 4, 0x7777);  // the first word is not looked at
    EXPECT_EQ(ReadMonitorRecords(bytes, list), 5u);
    EXPECT_EQ(Flags(list), (std::vector<int>{4, 5, 2, 6}));
}

TEST(MonitorFile, ALaterRecordForTheSameCodeWinsAndTheFirstPagerWithTheCodeGetsIt)
{
    CPagerList list;
    Add(list, 8);
    Add(list, 8);
    ReadMonitorRecords(Record(8, 1) + Record(8, 4), list);
    EXPECT_EQ(Flags(list), (std::vector<int>{4, 0}));
}

TEST(MonitorFile, ARecordCutShortEndsTheReading)
{
    for (std::size_t cut = 0; cut < 6; ++cut) {
        CPagerList list;
        Add(list, 1);
        Add(list, 2);
        std::string bytes = Record(1, 1) + Record(2, 2).substr(0, cut);
        EXPECT_EQ(ReadMonitorRecords(bytes, list), 1u) << "cut at " << cut;
        EXPECT_EQ(Flags(list), (std::vector<int>{1, 0})) << "cut at " << cut;
    }
}

TEST(MonitorFile, WriterKeepsPagersWithFlagsAndNeverTheScratchRecord)
{
    CPagerList list;
    Add(list, 3, 1);
    Add(list, 4, 0);
    Add(list, -7, 6);
    Add(list, 0, 7);  // the scratch record of a multi-pager edit
    Add(list, 32000, 0xFFFF);
    const std::string expected = std::string("\x01\x00\x03\x00\x01\x00", 6) +
                                 std::string("\x01\x00\xF9\xFF\x06\x00", 6) +
                                 std::string("\x01\x00\x00\x7D\xFF\xFF", 6);
    EXPECT_EQ(WriteMonitorRecords(list), expected);

    CPagerList back;
    for (int code : {3, 4, -7, 32000}) Add(back, code);
    ReadMonitorRecords(expected, back);
    EXPECT_EQ(Flags(back), (std::vector<int>{1, 0, 6, 0xFFFF}));
}

TEST(MonitorFile, LoadLocalAppliesItOverThePagerFile)
{
    test::CTempDir data;
    CMemorySettings settings;
    test::CRecordingMessageBox box;
    DataFiles files{data.path(), settings, box};

    // A layout-5 record with an automatic word reads as 7 unless MONITOR.DAT says otherwise.
    auto s = [](const std::string& text) { return W(static_cast<int>(text.size()) + 1) + text + '\0'; };
    std::string tail;
    for (int i = 0; i < 9; ++i) tail += s("");
    std::string layout5 = W(5) + s("") + W(80) + W(0) + W(0) + W(1) + s("Old") + s("") + tail;
    data.Write("PAGERS.DAT", layout5 + W(1) + layout5 + W(2));
    data.Write("MONITOR.DAT", Record(2, 4) + Record(17, 1) + "\x01");

    CPagerList list;
    list.LoadLocal(files);
    EXPECT_EQ(Flags(list), (std::vector<int>{7, 4}));

    // Without MONITOR.DAT nothing is assigned, and nothing is said.
    std::remove(data.File("MONITOR.DAT").c_str());
    data.Write("PAGERS.DAT", WritePagerRecords(list));
    CPagerList again;
    again.LoadLocal(files);
    EXPECT_EQ(Flags(again), (std::vector<int>{0, 0}));
    EXPECT_TRUE(box.shown.empty());
}

}  // namespace
}  // namespace corvane
