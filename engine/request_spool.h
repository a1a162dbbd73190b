#pragma once
// Where every accepted page request is kept until the outcome of each of its pages is in
// the page log or the error log, so that a program killed in between sends it again at
// its next start (engine/page_spool.h keeps them in files of the data directory).

#include <cstdint>
#include <ctime>
#include <deque>
#include <string>
#include <vector>

namespace corvane {

struct PageRequest;

// A request the spool holds, for the list of pending requests.
struct SpooledRequest {
    std::uint64_t id = 0;
    int origin = 0;
    std::string name;
    std::string phoneOverride;
    std::string idOverride;
    std::string message;
    int sendMode = 0;          // 0: it waits for a send; else the mode of the run that sends it
    std::time_t queuedAt = 0;
    bool sending = false;      // a send run has taken it
    bool kept = true;          // false: only in memory (the spool could not be written)
};

class IRequestSpool {
public:
    virtual ~IRequestSpool() = default;
    // Keeps the request before anyone is told it was accepted, and gives it its id.
    // sendMode: the run that is to send it (0: it waits for a send). False when it could
    // not be kept: it still has an id, held in memory only.
    virtual bool Keep(PageRequest& request, int sendMode) = 0;
    // A send was asked for: the requests that waited for one are to be sent with mode.
    virtual void SendRequested(const std::deque<PageRequest>& waiting, int mode) = 0;
    // A send run has taken these requests.
    virtual void Taken(const std::deque<PageRequest>& requests, int mode) = 0;
    // The outcome of every page of the request is decided (and logged): it is let go.
    virtual void Release(std::uint64_t id) = 0;
    virtual std::vector<SpooledRequest> Pending() const = 0;
};

}  // namespace corvane
