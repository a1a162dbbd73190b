#pragma once
// Sending from the main form: the selected rows become page entries, the form's message
// choice is applied, and the entries either go to the queue at once or wait for the
// Pager Message dialog's texts. The form's memory between sends (the last prompted
// texts, whether Resubmit is available) lives here too.

#include <cstdint>
#include <string>
#include <vector>

#include "directory/message_texts.h"
#include "directory/pager_list.h"
#include "engine/manual_send.h"
#include "engine/page_request.h"

namespace corvane {

class IMainView;
class ISettings;

// One row of the form's pager list, in list order.
struct FormRow {
    // A group row, whose text is the group's name. Told apart by this flag, not by the
    // row data -32000: a shared pager whose source code is 32000 has that code too.
    bool group = false;
    std::int16_t code = 0;  // a pager row: the pager's Code
    std::string text;      // the first column
    bool selected = false;
};

// What the form shows: its rows, and in group view the group whose members they are.
struct FormView {
    std::vector<FormRow> rows;
    bool groupView = false;
    std::string group;
};

enum class SendVariant { Page, Resubmit };

struct PreparedSend {
    std::vector<PagerRecord> entries;
    std::string requestName;  // the group, when the selection is one whole group
    PromptNeeds needs;
    bool NeedsPrompt() const { return needs.alpha || needs.numeric; }
};

// Steps 1-4 of a send: the request name, the entries (copies; the list is not changed),
// the message choice ("Messaging" 0, 1, 2) and what must be asked.
PreparedSend PrepareSend(const FormView& view, const CPagerList& pagers, int messaging);

// The Pager Message dialog's Return: with "PromptUseReturn" on, a text that ends with a
// line break loses it and the dialog acts as if OK was pressed.
bool TakeReturnAsOk(std::string& text, bool promptUseReturn);

// The form's state between sends and the queueing of prepared entries.
class CManualSend {
public:
    // The boxes' texts when the Pager Message dialog opens.
    PromptedTexts InitialTexts(SendVariant variant) const;
    // Queues at once (no prompt needed): "AutoMinimize", the requests, the run trigger and
    // the queue count.
    void Queue(const PreparedSend& send, const PromptedTexts& prompted, CPageQueue& queue, const MessageTexts& defaults,
               ISettings& settings, IMainView& view);
    // OK of the Pager Message dialog: the texts are remembered, Resubmit becomes
    // available, and the entries are queued.
    void Confirm(const PreparedSend& send, const PromptedTexts& prompted, CPageQueue& queue,
                 const MessageTexts& defaults, ISettings& settings, IMainView& view);

    bool ResubmitAvailable() const { return m_resubmitAvailable; }
    const PromptedTexts& LastTexts() const { return m_last; }

private:
    PromptedTexts m_last;
    bool m_resubmitAvailable = false;
};

}  // namespace corvane
