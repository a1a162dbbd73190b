// The descriptor the library's reports arrive on, and the library's calls as the
// program makes them.

#include <cstdlib>
#include <vector>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include "app/core/hook_library.h"
#include "inputhook/inputhook.h"

namespace corvane::test {
namespace {

void SendRecord(int fd, std::uint32_t message)
{
    const InputHookRecord record{message, 0, 0};
    ASSERT_EQ(send(fd, &record, sizeof record, MSG_DONTWAIT), static_cast<ssize_t>(sizeof record));
}

TEST(HookChannelTest, ReportsArriveInOrder)
{
    CHookChannel channel;
    ASSERT_TRUE(channel.Open());
    EXPECT_GE(channel.LibraryFd(), 0);
    EXPECT_GE(channel.ReadFd(), 0);
    EXPECT_TRUE(fcntl(channel.ReadFd(), F_GETFD) & FD_CLOEXEC);

    std::vector<std::uint32_t> seen;
    const auto collect = [&](std::uint32_t message) { seen.push_back(message); };
    EXPECT_EQ(channel.ReadAll(collect), 0);  // nothing there: returns at once

    SendRecord(channel.LibraryFd(), WM_HOOK_SCREENSAVER);
    SendRecord(channel.LibraryFd(), WM_HOOK_ACTIVITY);
    EXPECT_EQ(channel.ReadAll(collect), 2);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{0x402, 0x403}));
}

TEST(HookChannelTest, PacketsOfAnotherSizeAreDropped)
{
    CHookChannel channel;
    ASSERT_TRUE(channel.Open());
    const unsigned char shortPacket[4] = {0x03, 0x04, 0, 0};
    const unsigned char longPacket[20] = {0x02, 0x04};
    ASSERT_EQ(send(channel.LibraryFd(), shortPacket, sizeof shortPacket, 0), 4);
    ASSERT_EQ(send(channel.LibraryFd(), longPacket, sizeof longPacket, 0), 20);
    SendRecord(channel.LibraryFd(), WM_HOOK_ACTIVITY);
    std::vector<std::uint32_t> seen;
    EXPECT_EQ(channel.ReadAll([&](std::uint32_t message) { seen.push_back(message); }), 1);
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{0x403}));
}

TEST(HookChannelTest, AFloodIsReadInBatches)
{
    CHookChannel channel;
    ASSERT_TRUE(channel.Open());
    for (int i = 0; i < CHookChannel::kBatch + 6; ++i) SendRecord(channel.LibraryFd(), WM_HOOK_ACTIVITY);
    int handled = 0;
    const auto count = [&](std::uint32_t) { ++handled; };
    EXPECT_EQ(channel.ReadAll(count), CHookChannel::kBatch);
    EXPECT_EQ(channel.ReadAll(count), 6);
    EXPECT_EQ(handled, CHookChannel::kBatch + 6);
}

TEST(HookChannelTest, ClosedChannelReadsNothing)
{
    CHookChannel channel;
    EXPECT_EQ(channel.ReadAll([](std::uint32_t) {}), 0);
    ASSERT_TRUE(channel.Open());
    channel.Close();
    EXPECT_EQ(channel.LibraryFd(), -1);
    EXPECT_EQ(channel.ReadFd(), -1);
    EXPECT_EQ(channel.ReadAll([](std::uint32_t) {}), 0);
}

// The real library, without a display: the results the program sees.
TEST(InputHookLibraryTest, ResultsWithoutDisplay)
{
    unsetenv("DISPLAY");
    CInputHookLibrary hooks;
    CHookChannel channel;
    ASSERT_TRUE(channel.Open());
    EXPECT_EQ(hooks.RegisterHookSendWindow(channel.LibraryFd()), 1);
    EXPECT_EQ(hooks.StopKeyOrMouse(), 1);
    EXPECT_EQ(hooks.StartCBT(), 1);
    EXPECT_EQ(hooks.StartCBT(), 0);
    EXPECT_EQ(hooks.StartKeyOrMouse(), 1);
    EXPECT_EQ(hooks.StartKeyOrMouse(), 0);
    EXPECT_FALSE(hooks.ActivateScreenSaver());
    EXPECT_EQ(hooks.StopKeyOrMouse(), 1);
    EXPECT_EQ(hooks.StopCBT(), 1);
    EXPECT_EQ(hooks.RegisterHookSendWindow(-1), 1);
    EXPECT_EQ(channel.ReadAll([](std::uint32_t) {}), 0);
}

}  // namespace
}  // namespace corvane::test
