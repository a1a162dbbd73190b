#pragma once
// The program's page spool: where it lives, what an earlier run left in it, and the
// message when it cannot be written.

#include <string>

#include "common/message_box.h"
#include "engine/page_request.h"
#include "engine/page_spool.h"

namespace corvane {

// <data directory>spool/<title as a file name>/: each title that shares a data directory
// keeps its own requests.
std::string SpoolFolder(const std::string& dataDir, const std::string& title);

// Opens the spool and queues what an earlier run left there, in its order and ahead of
// anything new, with the send that was asked for them (the quietest run among them, so
// that a request from a command never gets the boxes of the program's own sends).
// Damaged entries are named in one message. From then on the queue keeps every request
// it takes in the spool.
void StartSpool(CPageSpool& spool, CPageQueue& queue, IMessageBox& messageBox);

// Once a second: a send that a source asked for by setting the trigger itself is marked
// in the spool too, and a spool that stopped working is reported once.
void TickSpool(CPageSpool& spool, CPageQueue& queue, IMessageBox& messageBox);

}  // namespace corvane
