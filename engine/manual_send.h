#pragma once
// The texts chosen when the user sends from the program: each pager's content choice
// picks the default message, the prompted text or its own custom message, and a group
// that gets one text for all goes out as one request with the group's name.

#include <string>
#include <vector>

#include "directory/message_texts.h"
#include "directory/pager_record.h"
#include "engine/page_request.h"

namespace corvane {

struct PromptedTexts {
    std::string alpha;    // the Pager Message dialog's alphanumeric box
    std::string numeric;  // and its numeric box
};

// The message choice of the main form ("Messaging"): 0 each pager's own setting,
// 1 prompt every pager, 2 the default message for every pager.
void ApplyMessageChoice(std::vector<PagerRecord>& entries, int messaging);

struct PromptNeeds {
    bool alpha = false;
    bool numeric = false;
    int minAlphaLength = 32000;  // drives the page-count hint
};
PromptNeeds NeedsPrompt(const std::vector<PagerRecord>& entries);

std::string ChooseMessage(const PagerRecord& entry, const MessageTexts& defaults, const PromptedTexts& prompted);

// Queues the entries' requests (origin 1) and asks for an interactive run. groupName is
// the group whose rows were all selected (empty when the selection was not one group).
void QueueEntries(CPageQueue& queue, const std::vector<PagerRecord>& entries, const std::string& groupName,
                  const MessageTexts& defaults, const PromptedTexts& prompted);

}  // namespace corvane
