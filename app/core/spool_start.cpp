#include "app/core/spool_start.h"

#include "app/core/command_socket.h"

namespace corvane {

std::string SpoolFolder(const std::string& dataDir, const std::string& title)
{
    return dataDir + "spool/" + InstanceFileName(title, 120) + "/";
}

void StartSpool(CPageSpool& spool, CPageQueue& queue, IMessageBox& messageBox)
{
    SpoolStart start = spool.Open();
    if (!start.damaged.empty())
        messageBox.Show(DamagedEntriesMessage(start.damaged), kSpoolCaption, MbIcon::Warning, MbButtons::Ok);
    for (PageRequest& request : start.requests) queue.requests.push_back(std::move(request));
    if (start.sendMode != kSendNone) queue.sendRequest = start.sendMode;
    queue.spool = &spool;
}

void TickSpool(CPageSpool& spool, CPageQueue& queue, IMessageBox& messageBox)
{
    if (queue.sendRequest != kSendNone) queue.RequestSend(queue.sendRequest);
    std::string warning;
    if (spool.TakeWarning(warning)) messageBox.Show(warning, kSpoolCaption, MbIcon::Warning, MbButtons::Ok);
}

}  // namespace corvane
