#pragma once
// A Dashnote command of the main window: the message goes at once, its alphanumeric text
// to alphanumeric pagers and its numeric text to numeric ones. It goes to its own pagers
// (those that still exist), or, when it names none, to the pagers selected in the list.

#include "app/core/prepare_send.h"
#include "directory/dashnote_list.h"
#include "directory/pager_list.h"
#include "engine/page_request.h"

namespace corvane {

inline constexpr const char* kDashnoteCaption = "Dashnote";
// Nothing went to the queue: the user is told, since the page they asked for is not sent.
inline constexpr const char* kDashnoteNoPagersLeftText =
    "The Dashnote message was not sent.  None of the pagers it is sent to are in the pager list any longer.  "
    "Choose its pagers again under Dashnote > Configure.";
inline constexpr const char* kDashnoteNoSelectionText =
    "The Dashnote message was not sent.  It has no pagers of its own, so it goes to the pagers selected in the "
    "list (not to groups): select them first, or choose its pagers under Dashnote > Configure.";

// Queues one request (origin 1, the pager's name, no overrides) per pager, each pager
// once, in the order of the message's pagers or of the rows; returns how many. Asks for
// an interactive run when it queued any.
int QueueDashnote(const DashnoteMessage& message, const FormView& view, CPagerList& pagers, CPageQueue& queue);

}  // namespace corvane
