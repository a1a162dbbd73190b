// Posting a report: the exact record, and never a block or a SIGPIPE, whatever state
// the program's descriptor is in.

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include "inputhook/hook_post.h"
#include "inputhook/inputhook.h"

namespace corvane::hook {
namespace {

bool SigpipePending()
{
    sigset_t pending;
    sigpending(&pending);
    return sigismember(&pending, SIGPIPE) == 1;
}

bool SigpipeBlocked()
{
    sigset_t mask;
    pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return sigismember(&mask, SIGPIPE) == 1;
}

// Fills a pipe through a non-blocking moment, then makes its write end blocking again,
// as a program's pipe would be.
void FillPipe(int writeFd)
{
    const int flags = fcntl(writeFd, F_GETFL);
    fcntl(writeFd, F_SETFL, flags | O_NONBLOCK);
    const char block[12] = {};
    while (write(writeFd, block, sizeof block) > 0) {
    }
    fcntl(writeFd, F_SETFL, flags);
}

class HookPostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The program's disposition, which posting must leave alone.
        ASSERT_EQ(sigaction(SIGPIPE, nullptr, &m_before), 0);
        ASSERT_EQ(m_before.sa_handler, SIG_DFL);
    }
    void TearDown() override
    {
        struct sigaction after {};
        sigaction(SIGPIPE, nullptr, &after);
        EXPECT_EQ(after.sa_handler, m_before.sa_handler);
        EXPECT_FALSE(SigpipeBlocked());
        EXPECT_FALSE(SigpipePending());
    }
    struct sigaction m_before {};
};

TEST_F(HookPostTest, RecordIsTwelveBytesMessageThenTwoZeroWords)
{
    int ends[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, ends), 0);
    EXPECT_EQ(PostHookMessage(ends[1], WM_HOOK_SCREENSAVER), PostResult::Written);
    EXPECT_EQ(PostHookMessage(ends[1], WM_HOOK_ACTIVITY), PostResult::Written);
    unsigned char bytes[32];
    ASSERT_EQ(recv(ends[0], bytes, sizeof bytes, 0), 12);
    const unsigned char screenSaver[12] = {0x02, 0x04, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes, screenSaver, 12), 0);
    ASSERT_EQ(recv(ends[0], bytes, sizeof bytes, 0), 12);
    EXPECT_EQ(bytes[0], 0x03);
    close(ends[0]);
    close(ends[1]);
}

TEST_F(HookPostTest, PipeGetsTheSameRecord)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    EXPECT_EQ(PostHookMessage(ends[1], WM_HOOK_ACTIVITY), PostResult::Written);
    InputHookRecord record{};
    ASSERT_EQ(read(ends[0], &record, sizeof record), 12);
    EXPECT_EQ(record.message, 0x403u);
    EXPECT_EQ(record.wParam, 0u);
    EXPECT_EQ(record.lParam, 0u);
    close(ends[0]);
    close(ends[1]);
}

TEST_F(HookPostTest, NoTargetWritesNothing)
{
    EXPECT_EQ(PostHookMessage(-1, WM_HOOK_ACTIVITY), PostResult::NoTarget);
}

TEST_F(HookPostTest, FullSocketsDropTheRecordWithoutBlocking)
{
    for (int type : {SOCK_SEQPACKET, SOCK_DGRAM, SOCK_STREAM}) {
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, type, 0, ends), 0);  // blocking descriptors
        int posted = 0;
        while (PostHookMessage(ends[1], WM_HOOK_ACTIVITY) == PostResult::Written) ++posted;
        EXPECT_GT(posted, 0) << type;
        EXPECT_EQ(PostHookMessage(ends[1], WM_HOOK_ACTIVITY), PostResult::Full) << type;
        close(ends[0]);
        close(ends[1]);
    }
}

TEST_F(HookPostTest, FullPipeDropsTheRecordWithoutBlocking)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    FillPipe(ends[1]);
    EXPECT_EQ(PostHookMessage(ends[1], WM_HOOK_ACTIVITY), PostResult::Full);
    // Once the program reads, reports flow again.
    char drain[65536];
    ASSERT_GT(read(ends[0], drain, sizeof drain), 0);
    EXPECT_EQ(PostHookMessage(ends[1], WM_HOOK_ACTIVITY), PostResult::Written);
    close(ends[0]);
    close(ends[1]);
}

TEST_F(HookPostTest, ClosedReaderIsNoSigpipe)
{
    for (int type : {SOCK_SEQPACKET, SOCK_DGRAM, SOCK_STREAM}) {
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, type, 0, ends), 0);
        close(ends[0]);
        EXPECT_EQ(PostHookMessage(ends[1], WM_HOOK_ACTIVITY), PostResult::Gone) << type;
        close(ends[1]);
    }
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    EXPECT_EQ(PostHookMessage(ends[1], WM_HOOK_ACTIVITY), PostResult::Gone);
    close(ends[1]);
    // Still here: SIGPIPE's default action would have ended the test program.
}

TEST_F(HookPostTest, ClosedDescriptorIsGone)
{
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    close(ends[1]);
    EXPECT_EQ(PostHookMessage(ends[1], WM_HOOK_ACTIVITY), PostResult::Gone);
}

}  // namespace
}  // namespace corvane::hook
