// Posting a report: the exact record, and never a block or a SIGPIPE, whatever state
// the program's descriptor is in.

#include <csignal>
#include <cstring>

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include "inputhook/hook_post.h"
#include "inputhook/inputhook.h"

namespace corvane::hook {
namespace {

// The descriptors a program may register, blocking as the program's are: the three
// local socket types and a pipe (0).
constexpr int kTypes[] = {SOCK_SEQPACKET, SOCK_DGRAM, SOCK_STREAM, 0};

// A pair of ends, [0] the program's (reading), [1] the library's.
struct Ends {
    explicit Ends(int type) { EXPECT_EQ(type ? socketpair(AF_UNIX, type, 0, fd) : pipe(fd), 0); }
    ~Ends()
    {
        for (int end : fd)
            if (end >= 0) close(end);
    }
    int fd[2] = {-1, -1};
};

class HookPostTest : public ::testing::Test {
protected:
    // The program's disposition of SIGPIPE, which posting must leave alone.
    void SetUp() override { ASSERT_EQ(signal(SIGPIPE, SIG_DFL), SIG_DFL); }
    void TearDown() override
    {
        EXPECT_EQ(signal(SIGPIPE, SIG_DFL), SIG_DFL);
        sigset_t blocked, pending;
        pthread_sigmask(SIG_BLOCK, nullptr, &blocked);
        sigpending(&pending);
        EXPECT_FALSE(sigismember(&blocked, SIGPIPE));
        EXPECT_FALSE(sigismember(&pending, SIGPIPE));
    }
};

TEST_F(HookPostTest, RecordIsTwelveBytesMessageThenTwoZeroWords)
{
    for (int type : {int{SOCK_SEQPACKET}, 0}) {
        Ends ends(type);
        for (auto [message, low] : {std::pair{WM_HOOK_SCREENSAVER, 0x02}, {WM_HOOK_ACTIVITY, 0x03}}) {
            EXPECT_EQ(PostHookMessage(ends.fd[1], message), PostResult::Written);
            unsigned char bytes[32];
            ASSERT_EQ(read(ends.fd[0], bytes, sizeof bytes), 12) << type;
            const unsigned char expected[12] = {static_cast<unsigned char>(low), 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
            EXPECT_EQ(std::memcmp(bytes, expected, 12), 0) << type;
        }
    }
    EXPECT_EQ(PostHookMessage(-1, WM_HOOK_ACTIVITY), PostResult::NoTarget);
}

TEST_F(HookPostTest, AFullDescriptorDropsTheRecordWithoutBlocking)
{
    for (int type : kTypes) {
        Ends ends(type);
        int posted = 0;
        while (PostHookMessage(ends.fd[1], WM_HOOK_ACTIVITY) == PostResult::Written) ++posted;
        EXPECT_GT(posted, 0) << type;
        EXPECT_EQ(PostHookMessage(ends.fd[1], WM_HOOK_ACTIVITY), PostResult::Full) << type;
        if (type) continue;
        char drain[65536];  // once the program reads, reports flow again
        ASSERT_GT(read(ends.fd[0], drain, sizeof drain), 0);
        EXPECT_EQ(PostHookMessage(ends.fd[1], WM_HOOK_ACTIVITY), PostResult::Written);
    }
}

TEST_F(HookPostTest, AClosedReaderOrDescriptorIsGoneWithoutSigpipe)
{
    int closed = -1;
    for (int type : kTypes) {
        Ends ends(type);
        close(ends.fd[0]);
        ends.fd[0] = -1;
        EXPECT_EQ(PostHookMessage(ends.fd[1], WM_HOOK_ACTIVITY), PostResult::Gone) << type;
        closed = ends.fd[1];
    }
    EXPECT_EQ(PostHookMessage(closed, WM_HOOK_ACTIVITY), PostResult::Gone);
    // Still here: SIGPIPE's default action would have ended the test program.
}

}  // namespace
}  // namespace corvane::hook
