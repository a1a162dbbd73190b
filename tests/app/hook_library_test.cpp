// The descriptor the input hook library's reports arrive on.

#include <vector>

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

TEST(HookChannelTest, PacketsOfAnotherSizeAreDroppedAndAFloodIsReadInBatches)
{
    CHookChannel channel;
    EXPECT_EQ(channel.ReadAll([](std::uint32_t) {}), 0);  // not open: nothing
    ASSERT_TRUE(channel.Open());
    const unsigned char shortPacket[4] = {0x03, 0x04, 0, 0};
    const unsigned char longPacket[20] = {0x02, 0x04};
    ASSERT_EQ(send(channel.LibraryFd(), shortPacket, sizeof shortPacket, 0), 4);
    ASSERT_EQ(send(channel.LibraryFd(), longPacket, sizeof longPacket, 0), 20);
    SendRecord(channel.LibraryFd(), WM_HOOK_SCREENSAVER);
    for (int i = 0; i < CHookChannel::kBatch + 6; ++i) SendRecord(channel.LibraryFd(), WM_HOOK_ACTIVITY);

    std::vector<std::uint32_t> seen;
    const auto collect = [&](std::uint32_t message) { seen.push_back(message); };
    EXPECT_EQ(channel.ReadAll(collect), CHookChannel::kBatch - 2);  // the dropped ones count to the batch
    EXPECT_EQ(channel.ReadAll(collect), 9);
    EXPECT_EQ(channel.ReadAll(collect), 0);  // nothing there: returns at once
    ASSERT_EQ(seen.size(), CHookChannel::kBatch + 7u);
    EXPECT_EQ(seen.front(), 0x402u);
    EXPECT_EQ(seen.back(), 0x403u);

    channel.Close();
    EXPECT_EQ(channel.LibraryFd(), -1);
    EXPECT_EQ(channel.ReadAll(collect), 0);
}

}  // namespace
}  // namespace corvane::test
