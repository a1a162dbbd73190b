#pragma once
// A pending send request and the frame's first-in first-out list of them.

#include <deque>
#include <string>

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

struct PageRequest {
    int origin = kOriginProgram;
    std::string name;           // a pager's UserName or a group name
    std::string phoneOverride;  // replaces PhoneNumber when not empty
    std::string idOverride;     // replaces PagerID when not empty
    std::string message;

    bool operator==(const PageRequest&) const = default;
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

    void QueueRequest(int origin, std::string name, std::string phoneOverride, std::string idOverride,
                      std::string message)
    {
        requests.push_back({origin, std::move(name), std::move(phoneOverride), std::move(idOverride),
                            std::move(message)});
    }
};

}  // namespace corvane
