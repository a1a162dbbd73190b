#include "app/core/command_topics.h"

#include "app/core/page_command.h"

namespace corvane {
namespace {

// Topic names compare without regard to case, as the names of a desktop
// conversation always have.
bool SameTopic(const std::string& topic, const char* name)
{
    std::size_t i = 0;
    for (; name[i]; ++i) {
        if (i >= topic.size()) return false;
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(topic[i]) != lower(name[i])) return false;
    }
    return i == topic.size();
}

}  // namespace

std::vector<std::string> CCommandTopics::Topics() const
{
    return {kTopicSendPages, kTopicAddPager, kTopicRereadPagers, kTopicQueuePage, kTopicSendPage, kTopicClose};
}

std::vector<SpooledRequest> CCommandTopics::PendingRequests() const
{
    return m_queue.spool ? m_queue.spool->Pending() : std::vector<SpooledRequest>{};
}

bool CCommandTopics::QueuePage(const std::string& command, int sendMode)
{
    // Acknowledged only once it is in the spool: a client that hears FNOTPROCESSED still
    // holds its page and can send it elsewhere.
    if (!m_queue.QueueKept(PageCommandRequest(command), sendMode)) return false;
    m_shell.ShowQueueCount(static_cast<int>(m_queue.requests.size()));
    return true;
}

CommandAnswer CCommandTopics::Execute(const std::string& topic, const std::string& data)
{
    if (SameTopic(topic, kTopicQueuePage)) {
        // It waits for a later SendPages (or any other send).
        if (!QueuePage(data, kSendNone)) return CommandAnswer::NotProcessed;
    } else if (SameTopic(topic, kTopicSendPage)) {
        if (!QueuePage(data, kSendCommand)) return CommandAnswer::NotProcessed;
        m_queue.RequestSend(kSendCommand);
    } else if (SameTopic(topic, kTopicSendPages)) {
        m_queue.RequestSend(kSendCommand);
    } else if (SameTopic(topic, kTopicAddPager)) {
        m_shell.AddNewPager();
    } else if (SameTopic(topic, kTopicRereadPagers)) {
        m_shell.RereadPagers();
    } else if (SameTopic(topic, kTopicClose)) {
        m_shell.RequestClose();
    } else {
        return CommandAnswer::NotProcessed;
    }
    return CommandAnswer::Ack;
}

}  // namespace corvane
