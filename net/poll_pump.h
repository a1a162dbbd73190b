#pragma once
// An event pump for programs without a shell (tools, benchmarks, tests that talk to a
// real server in real time): it waits in poll() on the descriptor and has no events of
// its own, so nothing ever cancels.

#include "common/event_pump.h"

namespace corvane {

class CPollPump final : public IEventPump {
public:
    PumpResult Wait(int maxMs, int fd, bool takeEvents) override;
};

}  // namespace corvane
