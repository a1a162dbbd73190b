#include "engine/page_request.h"

#include <algorithm>

namespace corvane {

bool CPageQueue::QueueRequest(int origin, std::string name, std::string phoneOverride, std::string idOverride,
                              std::string message, int sendMode)
{
    PageRequest request{origin, std::move(name), std::move(phoneOverride), std::move(idOverride),
                        std::move(message)};
    const bool kept = !spool || spool->Keep(request, sendMode);
    requests.push_back(std::move(request));
    return kept;
}

bool CPageQueue::QueueKept(PageRequest request, int sendMode, std::uint64_t* id)
{
    if (spool && !spool->Keep(request, sendMode)) {
        spool->Release(request.spoolId);
        return false;
    }
    if (id) *id = request.spoolId;
    requests.push_back(std::move(request));
    return true;
}

void CPageQueue::Withdraw(std::uint64_t id)
{
    if (!spool || id == 0) return;
    std::erase_if(requests, [id](const PageRequest& request) { return request.spoolId == id; });
    spool->Release(id);
}

void CPageQueue::RequestSend(int mode)
{
    sendRequest = mode;
    if (spool) spool->SendRequested(requests, mode);
}

}  // namespace corvane
