#pragma once
// An event pump without events: it waits in poll() on the descriptor (or just sleeps)
// for the time asked, and nothing ever cancels. For waits that must take no events
// (after a cancel), for tools and benchmarks, and for tests that run in real time.

#include "common/event_pump.h"

namespace corvane {

class CPollPump final : public IEventPump {
public:
    PumpResult Wait(int maxMs, int fd, bool takeEvents) override;
};

}  // namespace corvane
