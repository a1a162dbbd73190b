#pragma once
// A pending send request and the frame's first-in first-out list of them.

#include <cstdint>
#include <deque>
#include <string>

#include "engine/request_spool.h"

namespace corvane {

enum PageOrigin : int {
    kOriginProgram = 1,      // send dialog, Dashnote, prompted message
    kOriginCommand = 2,      // command server, command line, command file
    kOriginResubmitted = 3,  // resubmitted from the error log
};

// SendRequest values: what is pending, passed to RunQueue as its mode.
enum SendMode : int {
    kSendNone = 0,
    kSendInteractive = 1,
    kSendCommand = 2,
    kSendScheduled = 3,
};

// A request queued without saying which send takes it: the one its origin usually has
// (a command's run for command requests, the program's own run for the others).
inline constexpr int kSendByOrigin = -1;

struct PageRequest {
    int origin = kOriginProgram;
    std::string name;           // a pager's UserName or a group name
    std::string phoneOverride;  // replaces PhoneNumber when not empty
    std::string idOverride;     // replaces PagerID when not empty
    std::string message;
    std::uint64_t spoolId = 0;  // its entry in the spool; 0 without one

    // The same request: the same origin, pager and texts, wherever it is kept.
    bool operator==(const PageRequest& other) const
    {
        return origin == other.origin && name == other.name && phoneOverride == other.phoneOverride &&
               idOverride == other.idOverride && message == other.message;
    }
};

using PageRequestList = std::deque<PageRequest>;

// The part of the frame's run state that the send run works on.
struct CPageQueue {
    PageRequestList requests;
    int sendRequest = kSendNone;
    bool pageInProgress = false;
    bool stop = false;          // set by the Cancel command of the main view
    bool showMessages = true;   // cleared by the quiet option
    bool paused = false;        // Pause Page Queue
    bool confirming = false;    // a run's confirmation box is up
    IRequestSpool* spool = nullptr;  // keeps each accepted request until its outcome is logged

    // Queues a request, kept in the spool first when there is one. False when the spool
    // could not keep it: it is queued all the same, held only in memory, for a source
    // that has nobody to hand a refusal to (the user's own send, the start-up options).
    bool QueueRequest(int origin, std::string name, std::string phoneOverride, std::string idOverride,
                      std::string message, int sendMode = kSendByOrigin);
    // Queues the request only when the spool keeps it, for a source that can take a
    // refusal back (a command client, a command file). Its spool id goes to *id.
    bool QueueKept(PageRequest request, int sendMode, std::uint64_t* id = nullptr);
    // Takes back a request that QueueKept queued, when its source could not complete.
    void Withdraw(std::uint64_t id);
    // Sets the send trigger; the requests that waited for a send are marked in the spool
    // too, so that a restart sends them.
    void RequestSend(int mode);
};

}  // namespace corvane
