#pragma once
// The page command: the one text form in which other programs name a pager and a
// message, over the command server, on the command line and in command files.
//
//   pager/message                      two-field form ("/" may appear in the message)
//   pager/"message"                    the quotes around the message are removed
//   pager/phone/pager ID/message       four-field form: exactly three slashes
//
// Nothing is trimmed: a pager name is matched exactly as written.

#include <string>

#include "engine/page_request.h"

namespace corvane {

// The request of origin 2 that the command names.
PageRequest PageCommandRequest(const std::string& text);

// Appends it to the queue (kept in the spool when there is one), to be sent by a
// command's run. The caller sets the send trigger.
void ParsePageCommand(const std::string& text, CPageQueue& queue);

}  // namespace corvane
