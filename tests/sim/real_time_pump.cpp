#include "tests/sim/real_time_pump.h"

#include <poll.h>

#include <algorithm>

namespace corvane::sim {

PumpResult CRealTimePump::Wait(int maxMs, int fd, bool takeEvents)
{
    ++waits;
    if (takeEvents && onWait) {
        PumpResult result = onWait();
        if (result != PumpResult::Continue) return result;
    }
    const std::uint64_t deadline = NowMs() + static_cast<std::uint64_t>(std::max(maxMs, 0));
    for (;;) {
        if (m_peer) m_peer->Service();
        pollfd fds[2];
        int count = 0;
        if (fd >= 0) fds[count++] = {fd, POLLIN, 0};
        if (m_peer) fds[count++] = {m_peer->Fd(), POLLIN, 0};
        std::uint64_t now = NowMs();
        int timeout = now >= deadline ? 0 : static_cast<int>(deadline - now);
        if (m_peer) timeout = m_peer->IdleMs(timeout);
        ::poll(fds, static_cast<nfds_t>(count), timeout);
        if (fd >= 0 && fds[0].revents != 0) {
            if (m_peer) m_peer->Service();
            return PumpResult::Continue;
        }
        if (NowMs() >= deadline) {
            if (m_peer) m_peer->Service();
            return PumpResult::Continue;
        }
    }
}

}  // namespace corvane::sim
