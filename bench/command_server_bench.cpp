// QueuePage requests per second that the command server accepts over its local
// socket: one connection per request, as corvane-ctl makes them, from one client and
// from 8 at once. The server runs on its own poll loop in a second thread, as the
// program's event loop would run it.
//
// QueuePageSpooled: the same with the page spool, so each request is appended to its
// journal and flushed before it is acknowledged, and released again once a second as a
// send run would. The spool is made in $CORVANE_BENCH_SPOOL_DIR (default: a new
// folder under $TMPDIR or /tmp): point it at a tmpfs and at a disk to see what the
// flushes cost on each.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <unistd.h>

#include "app/core/command_client.h"
#include "app/core/command_server.h"
#include "app/core/command_topics.h"
#include "app/core/poll_loop.h"
#include "engine/page_spool.h"

namespace corvane {
namespace {

class CQuietShell : public ICommandShell {
public:
    void AddNewPager() override {}
    void RereadPagers() override {}
    void RequestClose() override {}
    void ShowQueueCount(int) override {}
};

// One program's queue and command server; the loop thread owns both.
struct CInstance {
    CPageQueue queue;
    CQuietShell shell;
    CCommandTopics topics{queue, shell};
    std::unique_ptr<CPageSpool> spool;
    std::unique_ptr<CCommandServer> server;
    std::string title;

    // What the send runs would do: take the requests and let the spool go of them.
    void Empty()
    {
        for (const PageRequest& request : queue.requests)
            if (queue.spool) queue.spool->Release(request.spoolId);
        queue.requests.clear();
        server->Sweep();
    }
};

CInstance g_plain;
CInstance g_spooled;

void Run(benchmark::State& state, const std::string& title)
{
    const CCommandClient client(title);
    std::int64_t failed = 0;
    for (auto _ : state) {
        if (client.Execute("QueuePage", "John/Meeting at 3 in the small conference room", 5000).status !=
            CommandStatus::Ack)
            ++failed;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["failed"] = static_cast<double>(failed);
}

void QueuePage(benchmark::State& state) { Run(state, g_plain.title); }
void QueuePageSpooled(benchmark::State& state) { Run(state, g_spooled.title); }
BENCHMARK(QueuePage)->Threads(1)->UseRealTime();
BENCHMARK(QueuePage)->Threads(8)->UseRealTime();
BENCHMARK(QueuePageSpooled)->Threads(1)->UseRealTime();
BENCHMARK(QueuePageSpooled)->Threads(8)->UseRealTime();

std::string SpoolFolder()
{
    std::string base = "/tmp";
    for (const char* name : {"CORVANE_BENCH_SPOOL_DIR", "TMPDIR"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            base = value;
            break;
        }
    }
    if (base.empty() || base.back() != '/') base += '/';
    return base + "corvane-bench-spool-" + std::to_string(::getpid()) + "/";
}

bool Start(CInstance& instance, CPollLoop& loop, const CSystemClock& clock, const std::string& title)
{
    instance.title = title;
    instance.server = std::make_unique<CCommandServer>(loop, clock, instance.topics);
    if (instance.server->Start(title) == ServerStart::Listening) return true;
    std::fprintf(stderr, "no command server: %s\n", instance.server->Problem().c_str());
    return false;
}

}  // namespace
}  // namespace corvane

int main(int argc, char** argv)
{
    using namespace corvane;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    CSystemClock clock;
    CPollLoop loop{clock};
    const std::string folder = SpoolFolder();
    g_spooled.spool = std::make_unique<CPageSpool>(folder, clock);
    g_spooled.spool->Open();
    g_spooled.queue.spool = g_spooled.spool.get();
    std::string warning;
    if (g_spooled.spool->TakeWarning(warning)) {
        std::fprintf(stderr, "%s\n", warning.c_str());
        return 1;
    }
    std::fprintf(stderr, "spool: %s\n", folder.c_str());
    const std::string base = "Corvane bench " + std::to_string(::getpid());
    if (!Start(g_plain, loop, clock, base) || !Start(g_spooled, loop, clock, base + " spooled")) return 1;
    loop.StartTimer(1000, true, [&] {
        g_plain.Empty();
        g_spooled.Empty();
    });
    std::thread serverThread([&] { loop.Run(); });

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    loop.Stop();
    serverThread.join();
    g_spooled.Empty();
    g_plain.server.reset();
    g_spooled.server.reset();
    g_spooled.spool.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    return 0;
}
