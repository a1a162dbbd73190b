// One SendAll of 1,000 pages to 100 pagers, delivered to a real SNPP server on loopback
// (Net::SNPP::Server, started by bench/snpp_compare.sh, which passes its port in
// SNPP_BENCH_PORT). Reports pages per second (wall clock) and the CPU time the client
// spent per page.
//
//   SNPP_BENCH_PORT=port [SNPP_BENCH_ROUNDS=5] snpp_bench
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/poll_pump.h"
#include "net/snpp_client.h"
#include "tests/support/fakes.h"

namespace corvane {
namespace {

constexpr int kPages = 1000;
constexpr int kPagers = 100;

double CpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The same pages the Perl client of snpp_compare.sh sends.
std::string PageText(int i)
{
    char text[128];
    std::snprintf(text, sizeof text, "Benchmark page %04d to pager %03d: the quick brown fox jumps over the lazy dog", i,
                  i % kPagers);
    return text;
}

void BM_SnppSendAll(benchmark::State& state, std::string dial)
{
    std::vector<PagerRecord> pagers(kPagers);
    for (int p = 0; p < kPagers; ++p) pagers[p].PagerID = std::to_string(5550000 + p);
    std::vector<std::string> texts;
    for (int i = 0; i < kPages; ++i) texts.push_back(PageText(i));

    CSystemClock clock;
    CPollPump pump;
    test::CRecordingMessageBox boxes;
    double cpu = 0;
    for (auto _ : state) {
        double before = CpuSeconds();
        CSnppClient client({nullptr, pump, clock, boxes}, dial, 0);
        for (int i = 0; i < kPages; ++i) client.AddPage(true, pagers[i % kPagers], texts[i], "");
        int result = client.SendAll();
        cpu += CpuSeconds() - before;
        if (result != 0) {
            state.SkipWithError(("SendAll failed with " + std::to_string(result) + ": " + client.ErrorText()).c_str());
            return;
        }
    }
    double pages = static_cast<double>(state.iterations()) * kPages;
    state.SetItemsProcessed(static_cast<std::int64_t>(pages));
    state.counters["pages_per_s"] = benchmark::Counter(pages, benchmark::Counter::kIsRate);
    state.counters["cpu_us_per_page"] = benchmark::Counter(cpu * 1e6 / pages);
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv)
{
    const char* port = std::getenv("SNPP_BENCH_PORT");
    if (!port) {
        std::fprintf(stderr, "snpp_bench: set SNPP_BENCH_PORT to the port of an SNPP server on 127.0.0.1 "
                             "(bench/snpp_compare.sh starts one)\n");
        return 2;
    }
    const char* roundsText = std::getenv("SNPP_BENCH_ROUNDS");
    int rounds = roundsText ? std::atoi(roundsText) : 5;
    benchmark::RegisterBenchmark("SnppSendAll/1000pages/100pagers", corvane::BM_SnppSendAll,
                                 std::string("SNPP:127.0.0.1:") + port)
        ->Iterations(rounds > 0 ? rounds : 1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
