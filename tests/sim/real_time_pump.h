#pragma once
// An event pump in real time for tests: each Wait() blocks in poll() on the descriptor
// for at most the time asked, and takes no events.

#include <poll.h>

#include <algorithm>

#include "common/event_pump.h"

namespace corvane::sim {

class CRealTimePump : public IEventPump {
public:
    PumpResult Wait(int maxMs, int fd, bool) override
    {
        pollfd pfd {fd, POLLIN, 0};
        ::poll(&pfd, fd >= 0 ? 1 : 0, std::max(maxMs, 0));
        return PumpResult::Continue;
    }
};

}  // namespace corvane::sim
