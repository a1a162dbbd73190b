#include "app/core/prepare_send.h"

#include <algorithm>

#include "common/main_view.h"
#include "settings/settings.h"

namespace corvane {

namespace {

std::string RequestName(const FormView& view)
{
    std::size_t selected = 0;
    const FormRow* only = nullptr;
    for (const FormRow& row : view.rows) {
        if (!row.selected) continue;
        ++selected;
        only = &row;
    }
    if (selected == 0) return {};
    if (view.groupView && selected == view.rows.size()) return view.group;
    if (selected == 1 && only->group) return only->text;
    return {};
}

void AddEntries(const FormRow& row, const CPagerList& pagers, std::vector<PagerRecord>& entries)
{
    for (const auto& pager : pagers.records()) {
        if (row.group) {
            if (pager->HasGroup(row.text)) entries.push_back(*pager);
        } else if (pager->Code == row.code) {
            // The first pager with the code, as FindByCode finds it.
            entries.push_back(*pager);
            return;
        }
    }
}

}  // namespace

PreparedSend PrepareSend(const FormView& view, const CPagerList& pagers, int messaging)
{
    PreparedSend send;
    send.requestName = RequestName(view);
    for (const FormRow& row : view.rows)
        if (row.selected) AddEntries(row, pagers, send.entries);
    ApplyMessageChoice(send.entries, messaging);
    send.needs = NeedsPrompt(send.entries);
    return send;
}

bool TakeReturnAsOk(std::string& text, bool promptUseReturn)
{
    if (!promptUseReturn || text.empty() || text.back() != '\n') return false;
    text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return true;
}

PromptedTexts CManualSend::InitialTexts(SendVariant variant) const
{
    return variant == SendVariant::Resubmit ? m_last : PromptedTexts{};
}

void CManualSend::Queue(const PreparedSend& send, const PromptedTexts& prompted, CPageQueue& queue,
                        const MessageTexts& defaults, ISettings& settings, IMainView& view)
{
    if (send.entries.empty()) return;
    if (settings.IsOn(key::AutoMinimize)) view.Minimize();
    QueueEntries(queue, send.entries, send.requestName, defaults, prompted);
    view.SetQueueCount(static_cast<int>(queue.requests.size()));
}

void CManualSend::Confirm(const PreparedSend& send, const PromptedTexts& prompted, CPageQueue& queue,
                          const MessageTexts& defaults, ISettings& settings, IMainView& view)
{
    m_last = prompted;
    m_resubmitAvailable = true;
    Queue(send, prompted, queue, defaults, settings, view);
}

}  // namespace corvane
