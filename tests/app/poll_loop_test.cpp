#include "app/core/poll_loop.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

#include "tests/support/fakes.h"

namespace corvane {
namespace {

struct Pipe {
    Pipe() { EXPECT_EQ(::pipe2(fds, O_NONBLOCK | O_CLOEXEC), 0); }
    ~Pipe() { Close(); }
    void Close()
    {
        for (int& fd : fds) {
            if (fd >= 0) ::close(fd);
            fd = -1;
        }
    }
    void Put(char c) { EXPECT_EQ(::write(fds[1], &c, 1), 1); }
    int Take() { char c; return ::read(fds[0], &c, 1) == 1 ? c : -1; }
    int fds[2] = {-1, -1};
};

TEST(PollLoop, CallsTheWatcherOfAReadableDescriptorOnly)
{
    CSystemClock clock;
    CPollLoop loop{clock};
    Pipe a, b;
    std::string seen;
    loop.Watch(a.fds[0], [&] { seen += static_cast<char>(a.Take()); });
    loop.Watch(b.fds[0], [&] { seen += static_cast<char>(b.Take()); });
    a.Put('a');
    loop.RunOnce(1000);
    EXPECT_EQ(seen, "a");
    loop.Unwatch(a.fds[0]);
    a.Put('x');
    b.Put('b');
    loop.RunOnce(1000);
    EXPECT_EQ(seen, "ab");
}

TEST(PollLoop, ACallbackMayUnwatchAnotherDescriptorInTheSameRound)
{
    CSystemClock clock;
    CPollLoop loop{clock};
    Pipe a, b;
    int calls = 0;
    // Whichever runs first removes the other: exactly one callback in the round.
    loop.Watch(a.fds[0], [&] { ++calls; loop.Unwatch(b.fds[0]); a.Take(); });
    loop.Watch(b.fds[0], [&] { ++calls; loop.Unwatch(a.fds[0]); b.Take(); });
    a.Put('1');
    b.Put('2');
    loop.RunOnce(1000);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(loop.WatchCount(), 1u);
}

TEST(PollLoop, AClosedDescriptorLeftWatchedIsDropped)
{
    CSystemClock clock;
    CPollLoop loop{clock};
    auto* pipe = new Pipe;
    const int fd = pipe->fds[0];
    loop.Watch(fd, [] {});
    delete pipe;  // closed without Unwatch
    loop.RunOnce(100);
    EXPECT_EQ(loop.WatchCount(), 0u);
}

TEST(PollLoop, TimersFireOnceOrRepeatOnTheClock)
{
    test::CFakeClock clock;
    CPollLoop loop{clock};
    int once = 0;
    int repeated = 0;
    loop.StartTimer(1000, false, [&] { ++once; });
    CPollLoop::TimerId every = 0;
    every = loop.StartTimer(500, true, [&] {
        if (++repeated == 3) loop.StopTimer(every);
    });
    loop.RunOnce(0);
    EXPECT_EQ(once + repeated, 0);
    for (int i = 0; i < 10; ++i) {
        clock.Advance(500);
        loop.RunOnce(0);
    }
    EXPECT_EQ(once, 1);
    EXPECT_EQ(repeated, 3);
}

TEST(PollLoop, StopFromAnotherThreadEndsRun)
{
    CSystemClock clock;
    CPollLoop loop{clock};
    loop.Stop();
    loop.Run();  // a Stop that came first ends it at once
    std::thread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        loop.Stop();
    });
    loop.Run();
    stopper.join();
    SUCCEED();
}

}  // namespace
}  // namespace corvane
