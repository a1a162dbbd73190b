// QueuePage requests per second that the command server accepts over its local
// socket: one connection per request, as corvane-ctl makes them, from one client and
// from 8 at once. The server runs on its own poll loop in a second thread, as the
// program's event loop would run it.

#include <benchmark/benchmark.h>

#include <thread>
#include <unistd.h>

#include "app/core/command_client.h"
#include "app/core/command_server.h"
#include "app/core/command_topics.h"
#include "app/core/poll_loop.h"

namespace corvane {
namespace {

class CQuietShell : public ICommandShell {
public:
    void AddNewPager() override {}
    void RereadPagers() override {}
    void RequestClose() override {}
    void ShowQueueCount(int) override {}
};

std::string g_title;

void QueuePage(benchmark::State& state)
{
    const CCommandClient client(g_title);
    std::int64_t failed = 0;
    for (auto _ : state) {
        if (client.Execute("QueuePage", "John/Meeting at 3 in the small conference room", 5000).status !=
            CommandStatus::Ack)
            ++failed;
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["failed"] = static_cast<double>(failed);
}
BENCHMARK(QueuePage)->Threads(1)->UseRealTime();
BENCHMARK(QueuePage)->Threads(8)->UseRealTime();

}  // namespace
}  // namespace corvane

int main(int argc, char** argv)
{
    using namespace corvane;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

    CSystemClock clock;
    CPollLoop loop{clock};
    CPageQueue queue;
    CQuietShell shell;
    CCommandTopics topics{queue, shell};
    CCommandServer server{loop, clock, topics};
    g_title = "Corvane bench " + std::to_string(::getpid());
    if (server.Start(g_title) != ServerStart::Listening) {
        std::fprintf(stderr, "no command server: %s\n", server.Problem().c_str());
        return 1;
    }
    // The loop thread owns the queue: it empties it, as the send runs would.
    loop.StartTimer(1000, true, [&] {
        queue.requests.clear();
        server.Sweep();
    });
    std::thread serverThread([&] { loop.Run(); });

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    loop.Stop();
    serverThread.join();
    return 0;
}
