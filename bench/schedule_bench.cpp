// Scheduled pages at scale: 10,000 schedules in SCHEDS.DAT, the due test that every
// one-second tick runs over them, and a tick on which one of them fires (and the file is
// written again). And a calendar file of 20 MB read for its reminders.
#include <benchmark/benchmark.h>

#include <string>

#include "common/file_io.h"
#include "pim/calendar_reader.h"
#include "pim/schedule_file.h"
#include "pim/schedule_list.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

constexpr std::time_t kNow = 1714989600;  // 05/06/24 10:00 UTC
constexpr int kSchedules = 10000;

// Schedules of every kind, due from an hour after now on.
std::string TenThousandSchedules()
{
    std::vector<CScheduledPage> pages;
    for (int i = 0; i < kSchedules; ++i) {
        CScheduledPage& p = pages.emplace_back();
        p.nextTime = kNow + 3600 + 60 * i;
        p.unit = static_cast<std::int16_t>(i % 6);
        p.interval = static_cast<std::int16_t>(1 + i % 5);
        p.alphaText = "Scheduled message number " + std::to_string(i);
        p.numericText = std::to_string(i);
        p.pagers = {1 + i % 100, 2 + i % 100};
    }
    return WriteSchedules(pages);
}

void BM_LoadTenThousandSchedules(benchmark::State& state)
{
    test::CTempDir dir;
    dir.Write(kSchedulesFile, TenThousandSchedules());
    CScheduleList list;
    for (auto _ : state) list.Load(dir.File(kSchedulesFile), kNow);
    state.counters["schedules"] = static_cast<double>(list.Entries().size());
}
BENCHMARK(BM_LoadTenThousandSchedules)->Unit(benchmark::kMillisecond);

// The tick with nothing due: the cost every second of the program's life.
void BM_DueTestPerTickOverTenThousand(benchmark::State& state)
{
    test::CTempDir dir;
    dir.Write(kSchedulesFile, TenThousandSchedules());
    CScheduleList list;
    list.Load(dir.File(kSchedulesFile), kNow);
    int fired = 0;
    auto fire = [&fired](const CScheduledPage&) { ++fired; };
    list.Tick(kNow, fire);  // the first pass after loading
    std::time_t now = kNow;
    for (auto _ : state) list.Tick(++now % 3000 + kNow, fire);
    if (fired != 0) state.SkipWithError("a schedule fired");
}
BENCHMARK(BM_DueTestPerTickOverTenThousand)->Unit(benchmark::kNanosecond);

// A tick on which one of the 10,000 fires: it moves on (or goes) and the file is
// written whole.
void BM_TickThatFiresOneOfTenThousand(benchmark::State& state)
{
    test::CTempDir dir;
    dir.Write(kSchedulesFile, TenThousandSchedules());
    CScheduleList list;
    list.Load(dir.File(kSchedulesFile), kNow);
    std::time_t now = kNow + 3600;
    for (auto _ : state) {
        list.Tick(now, [](const CScheduledPage&) {});
        now += 60;
    }
}
BENCHMARK(BM_TickThatFiresOneOfTenThousand)->Unit(benchmark::kMillisecond)->Iterations(200);

// 20 MB of meetings, each with a reminder, read for the next 90 days.
void BM_ReadTwentyMegabyteCalendar(benchmark::State& state)
{
    std::string text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\n";
    for (int i = 0; text.size() < (20u << 20); ++i) {
        char day[16];
        std::snprintf(day, sizeof day, "2024%02d%02d", 1 + (i / 28) % 12, 1 + i % 28);
        text += "BEGIN:VEVENT\r\nUID:event-" + std::to_string(i) + "@example.com\r\nDTSTAMP:20240101T000000Z\r\n" +
                "DTSTART:" + day + "T090000Z\r\nDTEND:" + day + "T100000Z\r\nSUMMARY:Meeting " + std::to_string(i) +
                " on the quarterly planning\r\nDESCRIPTION:Agenda, minutes and the list of everyone who is to come "
                "along to the meeting.\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nTRIGGER:-PT15M\r\n"
                "END:VALARM\r\nEND:VEVENT\r\n";
    }
    text += "END:VCALENDAR\r\n";
    std::size_t reminders = 0;
    for (auto _ : state) {
        CCalendarReader reader({kNow, kNow + 90 * 86400, true}, 1);
        reader.Read(text);
        reminders = reader.Take().reminders.size();
    }
    state.counters["reminders"] = static_cast<double>(reminders);
    state.counters["MB"] = static_cast<double>(text.size()) / (1 << 20);
}
BENCHMARK(BM_ReadTwentyMegabyteCalendar)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
