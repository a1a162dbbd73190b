#pragma once
// The six command topics and what each does to the run state. The command server
// hands every execute request here; the answer only confirms that the request was
// taken (a queued page is delivered later by the send run, and its result goes to
// the logs).

#include <string>
#include <vector>

#include "app/core/command_server.h"
#include "engine/page_request.h"

namespace corvane {

// What the topics ask of the shell (the windows, or the headless program).
class ICommandShell {
public:
    virtual ~ICommandShell() = default;
    // The new-pager step: the pager configuration dialog for a new record, modally;
    // the answer goes back only when it has closed. Without windows it adds nothing.
    virtual void AddNewPager() = 0;
    // Re-read the pager file and redraw the pager list.
    virtual void RereadPagers() = 0;
    // CloseRequested: the tick closes the program once no page is in progress.
    virtual void RequestClose() = 0;
    // The status bar's queue pane.
    virtual void ShowQueueCount(int count) = 0;
    // A second start of the program: the window comes to the front (restored if minimised).
    virtual void BringToFront() {}
};

inline constexpr const char* kTopicSendPages = "SendPages";
inline constexpr const char* kTopicAddPager = "AddPager";
inline constexpr const char* kTopicRereadPagers = "RereadPagers";
inline constexpr const char* kTopicQueuePage = "QueuePage";
inline constexpr const char* kTopicSendPage = "SendPage";
inline constexpr const char* kTopicClose = "Close";

class CCommandTopics final : public ICommandHandler {
public:
    CCommandTopics(CPageQueue& queue, ICommandShell& shell) : m_queue(queue), m_shell(shell) {}

    CommandAnswer Execute(const std::string& topic, const std::string& data) override;
    std::vector<std::string> Topics() const override;
    void Activate() override { m_shell.BringToFront(); }
    std::vector<SpooledRequest> PendingRequests() const override;

private:
    // False when the spool could not keep the request: it is refused, not queued.
    bool QueuePage(const std::string& command, int sendMode);

    CPageQueue& m_queue;
    ICommandShell& m_shell;
};

}  // namespace corvane
