#include "app/core/command_topics.h"

#include <gtest/gtest.h>

#include "tests/app/command_fakes.h"

namespace corvane {
namespace {

class CommandTopics : public ::testing::Test {
protected:
    CPageQueue queue;
    test::CRecordingCommandShell shell;
    CCommandTopics topics{queue, shell};
};

TEST_F(CommandTopics, ListsTheSixTopicsInTheirOrder)
{
    EXPECT_EQ(topics.Topics(),
              (std::vector<std::string>{"SendPages", "AddPager", "RereadPagers", "QueuePage", "SendPage", "Close"}));
}

TEST_F(CommandTopics, ThreeQueuedPagesThenOneSendMakeOneRun)
{
    for (const char* command : {"Ann/one", "Bob/two", "Team/three"}) {
        EXPECT_EQ(topics.Execute("QueuePage", command), CommandAnswer::Ack);
        EXPECT_EQ(queue.sendRequest, kSendNone) << "queued pages wait for a send";
    }
    EXPECT_EQ(topics.Execute("SendPages", "ignored/data"), CommandAnswer::Ack);
    EXPECT_EQ(queue.sendRequest, kSendCommand);
    ASSERT_EQ(queue.requests.size(), 3u);
    EXPECT_EQ(queue.requests[2], (PageRequest{kOriginCommand, "Team", "", "", "three"}));
    EXPECT_EQ(shell.queueCounts, (std::vector<int>{1, 2, 3}));
}

TEST_F(CommandTopics, SendPageQueuesAndTriggers)
{
    queue.paused = true;  // a paused queue still takes the request and counts it
    EXPECT_EQ(topics.Execute("SendPage", "John/Meeting at 3/4 o'clock/now"), CommandAnswer::Ack);
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0], (PageRequest{kOriginCommand, "John", "Meeting at 3", "4 o'clock", "now"}));
    EXPECT_EQ(queue.sendRequest, kSendCommand);
    EXPECT_EQ(shell.queueCounts, (std::vector<int>{1}));
}

TEST_F(CommandTopics, ShellTopicsReachTheShellAndQueueNothing)
{
    EXPECT_EQ(topics.Execute("AddPager", "x/y"), CommandAnswer::Ack);
    EXPECT_EQ(topics.Execute("RereadPagers", ""), CommandAnswer::Ack);
    EXPECT_FALSE(shell.closeRequested);
    EXPECT_EQ(topics.Execute("Close", ""), CommandAnswer::Ack);
    EXPECT_EQ(shell.addPagerCalls, 1);
    EXPECT_EQ(shell.rereadCalls, 1);
    EXPECT_TRUE(shell.closeRequested);
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_EQ(queue.sendRequest, kSendNone);
}

TEST_F(CommandTopics, OtherTopicsAreNotProcessedAndChangeNothing)
{
    for (const char* topic : {"", "Send", "SendPagesX", " SendPage", "SendPage ", "Exit", "SendPage\n"}) {
        EXPECT_EQ(topics.Execute(topic, "John/Hi"), CommandAnswer::NotProcessed) << topic;
    }
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_EQ(queue.sendRequest, kSendNone);
    EXPECT_FALSE(shell.closeRequested);
}

TEST_F(CommandTopics, TopicNamesIgnoreCase)
{
    EXPECT_EQ(topics.Execute("sendpage", "John/Hi"), CommandAnswer::Ack);
    EXPECT_EQ(topics.Execute("QUEUEPAGE", "Ann/Hi"), CommandAnswer::Ack);
    EXPECT_EQ(queue.requests.size(), 2u);
}

}  // namespace
}  // namespace corvane
