// Processor time of idle monitoring: the call monitor with its line open (a pseudo-terminal
// that stays silent), watched by the poll loop, and the one-second tick, for 60 s (or
// $CALLMON_IDLE_SECONDS). Nothing arrives, so nothing should run but the tick: the
// line is waited on in poll(), never read in a loop.
//
// Counters: wall_s, cpu_ms (user + system time of this process), cpu_percent.

#include <benchmark/benchmark.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "app/core/poll_loop.h"
#include "callmon/call_monitor.h"
#include "common/clock.h"
#include "common/poll_pump.h"
#include "modem/port_slots.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

double CpuSeconds()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class CNoTransports final : public ITransports {
public:
    std::unique_ptr<IPageCall> NewModemCall(const PagerRecord&) override { return nullptr; }
    std::unique_ptr<IPageCall> NewSnppClient(const PagerRecord&) override { return nullptr; }
    bool HandToGateway(const PagerRecord&, const std::string&, bool) override { return false; }
};

class CNoPopup final : public ICallerIdView {};

void BM_IdleMonitoring(benchmark::State& state)
{
    const char* configured = std::getenv("CALLMON_IDLE_SECONDS");
    const int seconds = configured ? std::atoi(configured) : 60;

    int master = -1, slave = -1;
    char name[128] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    test::CTempDir dir;
    CMemorySettings settings;
    // A caller-ID unit takes no initialisation: the line is simply open.
    settings.Write(key::MonitorPort, name);
    settings.Write(key::MonitorModemType, kRochelle2802);
    test::CRecordingMessageBox boxes;
    CSystemClock clock;
    CPollPump pump;
    CPollLoop loop(clock);
    CPortSlots ports(settings, boxes, pump, clock);
    CNoTransports transports;
    test::CFakeMainView view;
    CNoPopup popup;
    CPageQueue queue;
    CPagerList pagers;
    DataFiles files {dir.path(), settings, boxes};
    CCallMonitor monitor({settings, boxes, view, popup, pump, clock, ports, transports, &loop, queue, pagers, files});
    if (!ports.OpenMonitorPort(true)) {
        state.SkipWithError("the monitor port did not open");
        return;
    }
    loop.StartTimer(1000, true, [&] {
        monitor.PollCallerId(true);
        monitor.MonitorTick(true);
    });

    for (auto _ : state) {
        const double cpuBefore = CpuSeconds();
        const std::uint64_t start = clock.TickMs(), end = start + static_cast<std::uint64_t>(seconds) * 1000;
        while (clock.TickMs() < end) loop.RunOnce(static_cast<int>(end - clock.TickMs()));
        const double cpu = CpuSeconds() - cpuBefore;
        const double wall = static_cast<double>(clock.TickMs() - start) / 1000.0;
        state.counters["wall_s"] = wall;
        state.counters["cpu_ms"] = cpu * 1000.0;
        state.counters["cpu_percent"] = cpu / wall * 100.0;
    }
    ports.CloseMonitorPort();
    ::close(slave);
    ::close(master);
}

BENCHMARK(BM_IdleMonitoring)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
