// The pager list at its largest: 32,000 pagers.
#include <benchmark/benchmark.h>

#include "directory/pager_list.h"
#include "engine/send_run.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

// Every code from 1 to 32000 taken but one, and the hint just past the free one, so
// that the search runs all the way round the list.
void BM_AllocateCodeWithOneFree(benchmark::State& state)
{
    CPagerList list;
    constexpr int kFree = 16000;
    for (int code = 1; code <= 32000; ++code)
        if (code != kFree) list.AddBlank().Code = static_cast<std::int16_t>(code);
    for (auto _ : state) {
        list.SetNextCodeHint(kFree + 1);
        benchmark::DoNotOptimize(list.AllocateCode());
    }
}
BENCHMARK(BM_AllocateCodeWithOneFree)->Unit(benchmark::kMicrosecond);

void BM_FindByNameLast(benchmark::State& state)
{
    CPagerList list;
    for (int i = 0; i < 32000; ++i) list.NewPager()->UserName = "Pager " + std::to_string(i);
    for (auto _ : state) benchmark::DoNotOptimize(list.FindByName("Pager 31999"));
}
BENCHMARK(BM_FindByNameLast)->Unit(benchmark::kMicrosecond);

// One group request over 32,000 members: the expansion, composition and batching of the
// send run with a transport that accepts at once.
void BM_ExpandGroupOf32000(benchmark::State& state)
{
    CPagerList pagers;
    for (int i = 0; i < 32000; ++i) {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = "Pager " + std::to_string(i);
        p.PagerType = "1";
        p.PhoneNumber = "SNPP:pager.example";
        p.Groups = {"Everyone"};
    }
    CMemorySettings settings;
    settings.Write(key::LogFileName, "/nonexistent/log.txt");
    test::CRecordingMessageBox boxes;
    DataFiles files{"/nonexistent/", settings, boxes};
    test::CFakeClock clock;
    test::CFakePump pump(clock);
    test::CFakeMainView view;
    test::CFakePorts ports;
    for (auto _ : state) {
        test::CScriptedTransports transports;
        CPageQueue queue;
        queue.QueueRequest(kOriginCommand, "Everyone", "", "", "Fire drill at 3");
        SendRunContext context{queue, pagers, files, ports, transports, view, pump, clock};
        RunQueue(context, kSendScheduled);
        benchmark::DoNotOptimize(transports.calls.size());
    }
}
BENCHMARK(BM_ExpandGroupOf32000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
