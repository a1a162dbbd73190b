// Mail filters: which filter takes a message and when, their descriptions, the editor's
// conversions, and FILTERS.DAT in its three forms, written back, damaged and reloaded.

#include <gtest/gtest.h>

#include "directory/damaged_file.h"
#include "mail/filter_file.h"
#include "mail/mail_filter_list.h"
#include "settings/memory_settings.h"
#include "tests/directory/directory_helpers.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

CMailFilter Filter(std::initializer_list<std::tuple<std::int16_t, std::int16_t, std::string>> conditions,
                   std::string code = "")
{
    CMailFilter f;
    std::size_t i = 0;
    for (const auto& [field, comparison, keyword] : conditions) {
        f.fields[i] = field;
        f.comparisons[i] = comparison;
        f.keywords[i++] = keyword;
    }
    f.code = std::move(code);
    return f;
}

std::tm At(int weekday, int hour, int minute)
{
    std::tm t{};
    t.tm_wday = weekday;
    t.tm_hour = hour;
    t.tm_min = minute;
    return t;
}

const MailFields kMail{"Ops Desk", "urgent: server down", "Disk full on db1", "Ann Bob"};
const std::tm kWednesdayMorning = At(3, 9, 5);

TEST(MailFilterTest, ConditionsInUseMustAllHoldWhateverTheCase)
{
    struct Case {
        CMailFilter filter;
        bool matches;
    } cases[] = {
        {Filter({{kFieldSubject, kCompareContains, "URGENT"}}), true},
        {Filter({{kFieldSubject, kCompareContains, "Urgent"}, {kFieldBody, kCompareContains, "DB1"}}), true},
        {Filter({{kFieldSubject, kCompareContains, "urgent"}, {kFieldFrom, kCompareNotContains, "desk"}}), false},
        {Filter({{kFieldTo, kCompareContains, "bob"}, {kFieldFrom, kCompareNotContains, "boss"}}), true},
        {Filter({{kFieldTo, kCompareContains, "carl"}}), false},
        // Not in use: an empty keyword, no field, no comparison. They neither help nor block.
        {Filter({{kFieldFrom, kCompareNotContains, ""}, {kFieldUnused, kCompareContains, "zzz"},
                 {kFieldBody, kCompareUnused, "zzz"}}),
         true},
        {Filter({}), true},
        // A field no editor offers tests an empty text.
        {Filter({{7, kCompareContains, "o"}}), false},
        {Filter({{7, kCompareNotContains, "o"}}), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilterMatches(c.filter, kMail, kWednesdayMorning), c.matches) << DescribeFilter(c.filter);
}

TEST(MailFilterTest, DayBoxesAndTheTimeWindowWhichNeverRunsPastMidnight)
{
    CMailFilter night;
    night.windowStart = 22 * 60;  // 22:00 to 06:00 is taken as 06:00 to 22:00
    night.windowEnd = 6 * 60;
    CMailFilter weekdays;
    weekdays.weekendsOff = -1;
    CMailFilter never;
    never.weekendsOff = never.weekdaysOff = -1;
    struct Case {
        const CMailFilter& filter;
        std::tm at;
        bool matches;
    } cases[] = {
        {night, At(3, 6, 0), true},   {night, At(3, 22, 0), true}, {night, At(3, 22, 1), false},
        {night, At(3, 5, 59), false}, {weekdays, At(6, 12, 0), false}, {weekdays, At(0, 12, 0), false},
        {weekdays, At(5, 23, 59), true}, {CMailFilter{}, At(0, 0, 0), true}, {CMailFilter{}, At(6, 23, 59), true},
        {never, At(3, 12, 0), false},  {never, At(6, 12, 0), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FilterMatches(c.filter, kMail, c.at), c.matches)
            << "day " << c.at.tm_wday << " " << c.at.tm_hour << ":" << c.at.tm_min;
}

TEST(MailFilterTest, TheFirstMatchingFilterInListOrderWins)
{
    CMailFilterList list;
    list.NewFilter() = Filter({{kFieldSubject, kCompareContains, "nothing like it"}}, "1");
    list.NewFilter() = Filter({{kFieldSubject, kCompareContains, "server"}}, "2");
    list.NewFilter() = Filter({}, "3");
    const std::time_t wednesday = 983955900;  // 03/07/01 09:05 UTC (the tests run in UTC)
    ASSERT_NE(list.Match(kMail, wednesday), nullptr);
    EXPECT_EQ(list.Match(kMail, wednesday)->code, "2");
    EXPECT_TRUE(list.MoveUp(2));
    EXPECT_EQ(list.Match(kMail, wednesday)->code, "3");
    EXPECT_FALSE(list.MoveUp(0));
    EXPECT_FALSE(list.MoveDown(2));
    list.DeleteFilter(1);
    list.DeleteFilter(1);
    EXPECT_EQ(list.Match(kMail, wednesday), nullptr);
    EXPECT_FALSE(list.AnyTestsBody());
    list.NewFilter() = Filter({{kFieldBody, kCompareNotContains, "x"}});
    EXPECT_TRUE(list.AnyTestsBody());
}

TEST(MailFilterTest, Descriptions)
{
    EXPECT_EQ(DescribeFilter(CMailFilter{}), "<blank>");
    EXPECT_EQ(DescribeFilter(Filter({{kFieldFrom, kCompareContains, ""}})), "<blank>");
    EXPECT_EQ(DescribeFilter(Filter({}, "411")), "Code 411: ");
    EXPECT_EQ(DescribeFilter(Filter({{kFieldSubject, kCompareContains, "URGENT"},
                                     {kFieldUnused, kCompareContains, "skipped"},
                                     {kFieldTo, kCompareNotContains, "Sales"}},
                                    "911")),
              "Code 911: Subject contains URGENT and To does not contain Sales");
    EXPECT_EQ(DescribeFilter(Filter({{kFieldBody, kCompareNotContains, "test"}, {kFieldFrom, kCompareContains, "Ops"}})),
              "Body does not contain test and From contains Ops");
}

TEST(MailFilterTest, TheEditorsTimesAndPageLimit)
{
    struct Case {
        FilterTime time;
        std::int16_t minutes;
    } cases[] = {{{12, 0, false}, 0}, {{12, 0, true}, 720}, {{12, 30, false}, 30}, {{1, 5, true}, 785},
                 {{11, 59, true}, 1439}, {{9, 0, false}, 540}};
    for (const Case& c : cases) {
        EXPECT_EQ(FilterMinutes(c.time), c.minutes);
        FilterTime back = FilterTimeOf(c.minutes);
        EXPECT_EQ(std::tie(back.hour, back.minute, back.pm), std::tie(c.time.hour, c.time.minute, c.time.pm));
    }
    for (auto [typed, pages] : std::initializer_list<std::pair<const char*, int>>{
             {"3", 3}, {"0", 1}, {"-2", 1}, {"", 1}, {"two", 1}, {"99999", 32767}})
        EXPECT_EQ(FilterPageLimit(typed), pages) << typed;
}

// ---- FILTERS.DAT ----

// The fields from the selectors on, as every form has them.
std::string Conditions()
{
    return W(1) + W(2) + W(-1) + W(0) + W(1) + W(-1) + W(1) + W(0) + W(1) + S("URGENT") + S("test") + S("") +
           S("911");
}

CMailFilter ConditionsFilter()
{
    CMailFilter f;
    f.fields = {1, 2, -1};
    f.comparisons = {0, 1, -1};
    f.keywords = {"URGENT", "test", ""};
    f.includeFrom = 1, f.includeSubject = 0, f.includeBody = 1;
    f.code = "911";
    return f;
}

TEST(FiltersFileTest, EachFormReadsAndIsWrittenInTheCurrentOne)
{
    CMailFilter current = ConditionsFilter();
    current.weekendsOff = -1, current.weekdaysOff = 0, current.windowStart = 480, current.windowEnd = 1080;
    current.maximumPages = 3;
    const std::string currentBytes = W(-3) + W(-1) + W(0) + W(480) + W(1080) + W(3) + Conditions();
    CMailFilter pageLimitForm = ConditionsFilter();
    pageLimitForm.maximumPages = 4;
    const std::string oldest = Conditions();  // starts with field selector 1

    FilterReadResult read = ReadFilters(currentBytes + W(-2) + W(4) + Conditions() + oldest);
    EXPECT_FALSE(read.damaged);
    ASSERT_EQ(read.filters.size(), 3u);
    EXPECT_EQ(read.filters[0], current);
    EXPECT_EQ(read.filters[1], pageLimitForm);  // all day, all week
    EXPECT_EQ(read.filters[2], ConditionsFilter());  // one page
    EXPECT_EQ(WriteFilters(read.filters), currentBytes + W(-3) + W(0) + W(0) + W(0) + W(1439) + W(4) + Conditions() +
                                              W(-3) + W(0) + W(0) + W(0) + W(1439) + W(1) + Conditions());
    EXPECT_EQ(ReadFilters(WriteFilters(read.filters)).filters, read.filters);
    // A page limit below one is one page.
    EXPECT_EQ(ReadFilters(W(-2) + W(0) + Conditions()).filters.at(0).maximumPages, 1);
}

TEST(FiltersFileTest, DamageAnywhereKeepsTheWholeFiltersBeforeIt)
{
    const std::string first = W(-3) + W(0) + W(-1) + W(0) + W(1439) + W(2) + Conditions();
    const std::string file = first + W(-2) + W(5) + Conditions();
    for (std::size_t cut = 0; cut < file.size(); ++cut) {
        FilterReadResult read = ReadFilters(std::string_view(file).substr(0, cut));
        EXPECT_EQ(read.filters.size(), cut >= first.size() ? 1u : 0u) << "cut at " << cut;
        EXPECT_EQ(read.damaged, cut != 0 && cut != first.size()) << "cut at " << cut;
    }
    for (std::size_t at = first.size(); at < file.size(); ++at) {
        for (char bad : {'\x00', '\xFF', '\x7F'}) {
            std::string damaged = file;
            damaged[at] = bad;
            EXPECT_EQ(ReadFilters(damaged).filters.at(0), ReadFilters(first).filters.at(0)) << at;
        }
    }
}

TEST(FiltersFileTest, TheListLoadsKeepsADamagedFileBesideItAndSaves)
{
    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    DataFiles files{dir.path(), settings, boxes};
    CMailFilterList list;
    EXPECT_TRUE(list.Load(files));  // no file: no filters
    EXPECT_TRUE(list.empty());

    const std::string damaged = W(-2) + W(2) + Conditions() + W(-3) + W(0);
    dir.Write("FILTERS.DAT", damaged);
    EXPECT_FALSE(list.Load(files));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(boxes.Texts(), "Mail Filter Read Error: Record 2 of the local mail filter data file " +
                                 dir.File("FILTERS.DAT") +
                                 " is damaged.  Only the mail filters before it were loaded.  The damaged file has "
                                 "been kept as " +
                                 dir.File("FILTERS.DAT.damaged") + ".\n");
    EXPECT_EQ(dir.Read("FILTERS.DAT.damaged"), damaged);
    EXPECT_FALSE(list.Load(files));  // told once
    EXPECT_EQ(boxes.shown.size(), 1u);

    list.NewFilter().code = "42";
    ASSERT_TRUE(list.Save(files));
    CMailFilterList again;
    EXPECT_TRUE(again.Load(files));
    EXPECT_EQ(again.Filters(), list.Filters());
    EXPECT_EQ(again.Filters()[1], [] {
        CMailFilter fresh;
        fresh.code = "42";
        return fresh;
    }());
}

}  // namespace
}  // namespace corvane::test
