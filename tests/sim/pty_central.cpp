#include "tests/sim/pty_central.h"

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace corvane::sim {

std::uint64_t NowMs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool OpenPtyPair(int& master, int& slave, std::string& slavePath)
{
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return false;
    termios tio {};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    slavePath = name;
    return true;
}

bool CPtyCentral::Service()
{
    char buffer[4096];
    for (;;) {
        ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n <= 0) break;
        if (logReceived && m_central.onRecord)
            m_central.onRecord("RX " + std::to_string(NowMs()) + " " + Visible(std::string_view(buffer, n)));
        m_central.Receive(std::string_view(buffer, static_cast<std::size_t>(n)), NowMs());
    }
    if (m_central.Gone()) return false;
    m_pending += m_central.TakeDue(NowMs());
    while (!m_pending.empty()) {
        ssize_t n = ::write(m_fd, m_pending.data(), m_pending.size());
        if (n <= 0) break;  // the line is full: the rest waits for the next round
        m_pending.erase(0, static_cast<std::size_t>(n));
    }
    return true;
}

int CPtyCentral::IdleMs(int maxMs) const
{
    if (!m_pending.empty()) return std::min(maxMs, 10);
    auto next = m_central.NextEventMs();
    if (!next) return maxMs;
    std::uint64_t now = NowMs();
    if (*next <= now) return 0;
    return static_cast<int>(std::min<std::uint64_t>(*next - now, static_cast<std::uint64_t>(maxMs)));
}

}  // namespace corvane::sim
