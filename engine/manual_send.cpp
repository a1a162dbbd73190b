#include "engine/manual_send.h"

namespace corvane {

void ApplyMessageChoice(std::vector<PagerRecord>& entries, int messaging)
{
    if (messaging != 1 && messaging != 2) return;
    const std::string content(1, messaging == 1 ? '1' : '0');
    for (PagerRecord& entry : entries) entry.DefaultPageContent = content;
}

PromptNeeds NeedsPrompt(const std::vector<PagerRecord>& entries)
{
    PromptNeeds needs;
    for (const PagerRecord& entry : entries) {
        bool alpha = entry.PagerType == "1";
        if (entry.DefaultPageContent == "1") (alpha ? needs.alpha : needs.numeric) = true;
        if (alpha && entry.MaximumPageLength < needs.minAlphaLength) needs.minAlphaLength = entry.MaximumPageLength;
    }
    return needs;
}

std::string ChooseMessage(const PagerRecord& entry, const MessageTexts& defaults, const PromptedTexts& prompted)
{
    if (entry.DefaultPageContent == "0") return entry.IsNumeric() ? defaults.defaultNumeric : defaults.defaultAlpha;
    if (entry.DefaultPageContent == "1") return entry.IsNumeric() ? prompted.numeric : prompted.alpha;
    return entry.CustomMessage;
}

void QueueEntries(CPageQueue& queue, const std::vector<PagerRecord>& entries, const std::string& groupName,
                  const MessageTexts& defaults, const PromptedTexts& prompted)
{
    if (entries.empty()) return;
    std::vector<std::string> messages;
    for (const PagerRecord& entry : entries) messages.push_back(ChooseMessage(entry, defaults, prompted));
    bool oneText = true;
    for (const std::string& message : messages) oneText = oneText && message == messages.front();
    if (!groupName.empty() && oneText) {
        // The run expands the group again, so it reaches the members at sending time.
        queue.QueueRequest(kOriginProgram, groupName, "", "", messages.front());
    } else {
        for (std::size_t i = 0; i < entries.size(); ++i)
            queue.QueueRequest(kOriginProgram, entries[i].UserName, "", "", messages[i]);
    }
    queue.sendRequest = kSendInteractive;
}

}  // namespace corvane
