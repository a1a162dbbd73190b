#pragma once
// The other side of the command server: executes one topic on the running instance
// of a title and returns its answer. Used by corvane-ctl and by a second start of the
// program, which hands its page command to the first instance and ends. It waits (in
// poll(), up to the time-out) because neither of them has an event loop running.

#include <string>
#include <vector>

#include "engine/request_spool.h"

namespace corvane {

enum class CommandStatus {
    Ack,           // FACK
    NotProcessed,  // FNOTPROCESSED: not a topic of that instance
    Refused,       // ERROR: the request was too large or malformed
    NoInstance,    // nobody answered: no socket, nobody listening, or no answer in time
};

struct CommandReply {
    CommandStatus status = CommandStatus::NoInstance;
    std::string detail;  // the ERROR reason, or why no instance answered
};

// How long a second start waits for the first instance to take its page command.
inline constexpr int kForwardTimeoutMs = 5000;

class CCommandClient {
public:
    explicit CCommandClient(std::string title) : m_title(std::move(title)) {}

    // timeoutMs covers the connection, the request and the answer; 0 waits as long
    // as the instance takes (a modal new-pager dialog is open until the user ends it).
    CommandReply Execute(const std::string& topic, const std::string& data, int timeoutMs) const;
    // The instance's topics, in its order; status Ack when they came.
    CommandReply Topics(std::vector<std::string>& topics, int timeoutMs) const;
    // The requests the instance has accepted and not yet settled, in their order.
    CommandReply Queue(std::vector<SpooledRequest>& pending, int timeoutMs) const;
    // A second start: the running instance comes to the front.
    bool Activate(int timeoutMs) const;
    // A second start's -P command: "SendPage" with the text and its terminating NUL.
    bool ForwardPageCommand(const std::string& command) const;

private:
    CommandReply Exchange(const std::string& request, std::string& answer, int timeoutMs, std::size_t limit) const;

    std::string m_title;
};

}  // namespace corvane
