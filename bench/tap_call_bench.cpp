// CPU cost of a TAP call in real time: one call of two pages across a pseudo-terminal
// to the paging-central simulator (its own process, so its CPU is not counted). The
// call spends nearly all its time waiting for the central; the waits block in poll(),
// so the program's CPU time must be a small fraction of the call's wall time.
//
// Counters: wall_ms and cpu_ms per call (user + system time of this process), and
// cpu_percent = cpu_ms / wall_ms * 100. Needs the simulator, built with the tests:
// found as $CORVANE_SIM_EXE or ../tests/sim/pagingcentral-sim beside this program.

#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "common/clock.h"
#include "engine/modem_page_call.h"
#include "modem/modem_control.h"
#include "modem/port_slots.h"
#include "settings/memory_settings.h"

extern char** environ;

namespace corvane {
namespace {

class CBenchPump final : public IEventPump {
public:
    PumpResult Wait(int maxMs, int fd, bool) override
    {
        pollfd pfd {fd, POLLIN, 0};
        ::poll(fd >= 0 ? &pfd : nullptr, fd >= 0 ? 1 : 0, maxMs);
        return PumpResult::Continue;
    }
};

class CNoBoxes final : public IMessageBox {
public:
    MbAnswer Show(const std::string&, const std::string&, MbIcon, MbButtons) override { return MbAnswer::Ok; }
};

std::string SimulatorPath()
{
    if (const char* path = std::getenv("CORVANE_SIM_EXE")) return path;
    char self[4096] = {};
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string dir = n > 0 ? std::string(self, static_cast<std::size_t>(n)) : std::string("./x");
    return dir.substr(0, dir.rfind('/')) + "/../tests/sim/pagingcentral-sim";
}

double CpuMs()
{
    rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

struct Simulator {
    pid_t pid = -1;
    std::string link;

    bool Start()
    {
        char folder[] = "/tmp/corvane-tap-bench-XXXXXX";
        if (!::mkdtemp(folder)) return false;
        const std::string dir = folder;
        link = dir + "/ttySIM";
        const std::string script = dir + "/script.txt";
        const std::string transcript = dir + "/transcript.txt";
        std::ofstream(script) << "dial-reply-ms 300\nreply-delay-ms 50\ngo-ahead-delay-ms 100\npassword SECRET\n";
        std::string exe = SimulatorPath();
        std::vector<std::string> args = {exe, "--pty", link, "--script", script, "--transcript", transcript};
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        if (::access(exe.c_str(), X_OK) != 0 || posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
            return false;
        for (int i = 0; i < 500; ++i) {
            std::ifstream in(transcript);
            std::stringstream text;
            text << in.rdbuf();
            if (text.str().find("READY\n") != std::string::npos) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    ~Simulator()
    {
        if (pid <= 0) return;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
};

void BM_TapCallOverPty(benchmark::State& state)
{
    Simulator simulator;
    if (!simulator.Start()) {
        state.SkipWithError("pagingcentral-sim not found or did not start (build the tests first)");
        return;
    }
    CMemorySettings settings;
    settings.Write(key::PagePort, simulator.link);
    settings.Write(key::PagePortBaud, "2400");
    CNoBoxes boxes;
    CBenchPump pump;
    CSystemClock clock;
    CPortSlots slots(settings, boxes, pump, clock);

    double wallTotal = 0, cpuTotal = 0;
    int failures = 0;
    for (auto _ : state) {
        const auto wallStart = std::chrono::steady_clock::now();
        const double cpuStart = CpuMs();

        slots.OpenPagePort(false, "<default>");
        PagerRecord ann, bob;
        ann.PagerID = "1001";
        bob.PagerID = "1002";
        CModemPageCall call({settings, nullptr, pump, clock, boxes}, kDefaultInit, "555-1212",
                            [&slots] { return slots.PagePort(); }, 5, 10, 0, "SECRET");
        call.AddPage(true, ann, "Call the office", "");
        call.AddPage(true, bob, "Meeting moved to 3", "");
        if (call.SendAlphaPages() != kCallOk) ++failures;
        slots.ClosePagePort();

        cpuTotal += CpuMs() - cpuStart;
        wallTotal += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - wallStart).count();
    }
    const double calls = static_cast<double>(state.iterations());
    state.counters["wall_ms"] = wallTotal / calls;
    state.counters["cpu_ms"] = cpuTotal / calls;
    state.counters["cpu_percent"] = 100.0 * cpuTotal / wallTotal;
    state.counters["failed_calls"] = failures;
    if (failures) state.SkipWithError("a call did not deliver");
}
BENCHMARK(BM_TapCallOverPty)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvane

BENCHMARK_MAIN();
