#pragma once
// An event pump in real time for tests: each Wait() blocks in poll() on the descriptor
// for at most the time asked. With a peer (a paging central on the master side of a
// pseudo-terminal in the same process) it keeps the peer running while it waits.

#include <functional>

#include "common/event_pump.h"
#include "tests/sim/pty_central.h"

namespace corvane::sim {

class CRealTimePump : public IEventPump {
public:
    explicit CRealTimePump(CPtyCentral* peer = nullptr) : m_peer(peer) {}
    PumpResult Wait(int maxMs, int fd, bool takeEvents) override;

    // Consulted first when events are taken: a test's Cancel or Exit.
    std::function<PumpResult()> onWait;
    int waits = 0;

private:
    CPtyCentral* m_peer;
};

}  // namespace corvane::sim
