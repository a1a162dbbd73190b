#include "app/core/poll_loop.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/fakes.h"

namespace corvane {
namespace {

TEST(PollLoop, ACallbackMayUnwatchAnotherDescriptorAndAClosedOneIsDropped)
{
    CSystemClock clock;
    CPollLoop loop{clock};
    int a[2], b[2];
    ASSERT_EQ(::pipe2(a, O_NONBLOCK | O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(b, O_NONBLOCK | O_CLOEXEC), 0);
    int calls = 0;
    char c = 0;
    // Whichever runs first removes the other: exactly one callback in the round.
    loop.Watch(a[0], [&] { ++calls; loop.Unwatch(b[0]); (void)::read(a[0], &c, 1); });
    loop.Watch(b[0], [&] { ++calls; loop.Unwatch(a[0]); (void)::read(b[0], &c, 1); });
    ASSERT_EQ(::write(a[1], "1", 1), 1);
    ASSERT_EQ(::write(b[1], "2", 1), 1);
    loop.RunOnce(1000);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(loop.WatchCount(), 1u);

    for (int fd : {a[0], a[1], b[0], b[1]}) ::close(fd);  // closed without Unwatch
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

}  // namespace
}  // namespace corvane
