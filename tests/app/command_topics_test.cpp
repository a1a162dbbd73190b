#include "app/core/command_topics.h"

#include <gtest/gtest.h>

#include "tests/app/app_fakes.h"

namespace corvane {
namespace {

TEST(CommandTopics, PagesAreCountedAndOnlySendTopicsTriggerEvenWhilePaused)
{
    CPageQueue queue;
    test::CRecordingCommandShell shell;
    CCommandTopics topics{queue, shell};
    queue.paused = true;  // a paused queue still takes the requests and counts them
    EXPECT_EQ(topics.Execute("QueuePage", "Ann/one"), CommandAnswer::Ack);
    EXPECT_EQ(topics.Execute("QUEUEPAGE", "Bob/two"), CommandAnswer::Ack);  // names ignore case
    EXPECT_EQ(queue.sendRequest, kSendNone) << "queued pages wait for a send";
    EXPECT_EQ(topics.Execute("sendpage", "Team/three"), CommandAnswer::Ack);
    EXPECT_EQ(queue.sendRequest, kSendCommand);
    EXPECT_EQ(shell.queueCounts, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(queue.requests[2], (PageRequest{kOriginCommand, "Team", "", "", "three"}));
}

TEST(CommandTopics, OtherTopicsAreNotProcessedAndChangeNothing)
{
    CPageQueue queue;
    test::CRecordingCommandShell shell;
    CCommandTopics topics{queue, shell};
    for (const char* topic : {"", "Send", "SendPagesX", " SendPage", "SendPage ", "Exit", "SendPage\n"})
        EXPECT_EQ(topics.Execute(topic, "John/Hi"), CommandAnswer::NotProcessed) << topic;
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_EQ(queue.sendRequest, kSendNone);
    EXPECT_FALSE(shell.closeRequested);
}

}  // namespace
}  // namespace corvane
