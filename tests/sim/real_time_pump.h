#pragma once
// An event pump in real time for tests: each Wait() blocks in poll() on the descriptor for
// at most the time asked. With a peer (a paging central on the master side of a
// pseudo-terminal in the same process) it keeps the peer running while it waits.

#include <poll.h>

#include <algorithm>

#include "common/event_pump.h"
#include "tests/sim/pty_central.h"

namespace corvane::sim {

class CRealTimePump : public IEventPump {
public:
    explicit CRealTimePump(CPtyCentral* peer = nullptr) : m_peer(peer) {}

    PumpResult Wait(int maxMs, int fd, bool) override
    {
        const std::uint64_t deadline = NowMs() + static_cast<std::uint64_t>(std::max(maxMs, 0));
        for (;;) {
            if (m_peer) m_peer->Service();
            pollfd fds[2] = {{fd, POLLIN, 0}, {m_peer ? m_peer->Fd() : -1, POLLIN, 0}};
            const std::uint64_t now = NowMs();
            const int timeout = now >= deadline ? 0 : static_cast<int>(deadline - now);
            ::poll(fds, 2, m_peer ? m_peer->IdleMs(timeout) : timeout);  // poll skips fd -1
            if ((fd >= 0 && fds[0].revents != 0) || NowMs() >= deadline) {
                if (m_peer) m_peer->Service();
                return PumpResult::Continue;
            }
        }
    }

private:
    CPtyCentral* m_peer;
};

}  // namespace corvane::sim
