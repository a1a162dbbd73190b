#include "app/core/dashnote_send.h"

#include <algorithm>
#include <limits>

namespace corvane {
namespace {

std::vector<std::int32_t> SelectedPagers(const FormView& view)
{
    std::vector<std::int32_t> codes;
    for (const FormRow& row : view.rows)
        if (row.selected && !row.group) codes.push_back(row.code);
    return codes;
}

const PagerRecord* Pager(CPagerList& pagers, std::int32_t code)
{
    if (code < std::numeric_limits<std::int16_t>::min() || code > std::numeric_limits<std::int16_t>::max())
        return nullptr;
    return pagers.FindByCode(static_cast<std::int16_t>(code));
}

}  // namespace

int QueueDashnote(const DashnoteMessage& message, const FormView& view, CPagerList& pagers, CPageQueue& queue)
{
    const std::vector<std::int32_t> codes = message.Recipients.empty() ? SelectedPagers(view) : message.Recipients;
    std::vector<std::int32_t> done;
    for (std::int32_t code : codes) {
        const PagerRecord* pager = Pager(pagers, code);
        if (!pager || std::find(done.begin(), done.end(), code) != done.end()) continue;
        done.push_back(code);
        // The type decides as it does for every send: anything but "0" is alphanumeric.
        queue.QueueRequest(kOriginProgram, pager->UserName, {}, {},
                           pager->IsNumeric() ? message.NumericText : message.AlphaText);
    }
    if (!done.empty()) queue.sendRequest = kSendInteractive;
    return static_cast<int>(done.size());
}

}  // namespace corvane
