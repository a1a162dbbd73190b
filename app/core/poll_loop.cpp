#include "app/core/poll_loop.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

namespace corvane {

CPollLoop::CPollLoop(const IClock& clock)
    : m_clock(clock), m_wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
}

CPollLoop::~CPollLoop()
{
    if (m_wakeFd >= 0) ::close(m_wakeFd);
}

void CPollLoop::Watch(int fd, std::function<void()> onReadable)
{
    if (fd < 0) return;
    // A new serial, so that a descriptor number closed and reused during one round
    // does not receive the readiness that poll() reported for its predecessor.
    m_watches[fd] = WatchEntry{m_nextSerial++, std::move(onReadable)};
}

void CPollLoop::Unwatch(int fd)
{
    m_watches.erase(fd);
}

CPollLoop::TimerId CPollLoop::StartTimer(int intervalMs, bool repeat, std::function<void()> onTimer)
{
    if (intervalMs < 0) intervalMs = 0;
    const TimerId id = m_nextTimer++;
    m_timers[id] = Timer{m_clock.TickMs() + static_cast<std::uint64_t>(intervalMs), intervalMs, repeat,
                         std::move(onTimer)};
    return id;
}

void CPollLoop::StopTimer(TimerId id)
{
    m_timers.erase(id);
}

int CPollLoop::PollTimeout(int maxWaitMs) const
{
    if (m_timers.empty()) return maxWaitMs;
    const std::uint64_t now = m_clock.TickMs();
    std::uint64_t next = UINT64_MAX;
    for (const auto& [id, timer] : m_timers) next = std::min(next, timer.due);
    const std::uint64_t untilDue = next > now ? next - now : 0;
    if (maxWaitMs >= 0 && static_cast<std::uint64_t>(maxWaitMs) < untilDue) return maxWaitMs;
    return static_cast<int>(std::min<std::uint64_t>(untilDue, 24u * 3600 * 1000));
}

void CPollLoop::FireDueTimers()
{
    const std::uint64_t now = m_clock.TickMs();
    std::vector<TimerId> due;
    for (const auto& [id, timer] : m_timers)
        if (timer.due <= now) due.push_back(id);
    for (TimerId id : due) {
        auto it = m_timers.find(id);
        if (it == m_timers.end()) continue;  // stopped by an earlier callback
        auto callback = it->second.onTimer;
        if (it->second.repeat) {
            // After a long stall the timer fires once, not once per missed interval.
            it->second.due = std::max(it->second.due + static_cast<std::uint64_t>(it->second.intervalMs),
                                      now + (it->second.intervalMs == 0 ? 1 : 0));
        } else {
            m_timers.erase(it);
        }
        callback();
    }
}

void CPollLoop::DrainWake()
{
    std::uint64_t count = 0;
    while (::read(m_wakeFd, &count, sizeof count) > 0) {
    }
}

void CPollLoop::RunOnce(int maxWaitMs)
{
    std::vector<pollfd> fds;
    std::vector<std::uint64_t> serials;
    fds.reserve(m_watches.size() + 1);
    fds.push_back({m_wakeFd, POLLIN, 0});
    serials.push_back(0);
    for (const auto& [fd, entry] : m_watches) {
        fds.push_back({fd, POLLIN, 0});
        serials.push_back(entry.serial);
    }

    const int ready = ::poll(fds.data(), fds.size(), PollTimeout(maxWaitMs));
    if (ready < 0 && errno != EINTR) return;

    if (ready > 0) {
        if (fds[0].revents) DrainWake();
        for (std::size_t i = 1; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            auto it = m_watches.find(fds[i].fd);
            if (it == m_watches.end() || it->second.serial != serials[i]) continue;
            if (fds[i].revents & POLLNVAL) {
                // Closed without Unwatch: drop it rather than wake up for it forever.
                m_watches.erase(it);
                continue;
            }
            auto callback = it->second.onReadable;  // the callback may unwatch itself
            callback();
        }
    }
    FireDueTimers();
}

void CPollLoop::Run()
{
    while (!m_stop) RunOnce(-1);
    m_stop = false;
}

void CPollLoop::Stop()
{
    m_stop = true;
    const std::uint64_t one = 1;
    // write() is async-signal-safe; a full counter already wakes the loop.
    [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
}

}  // namespace corvane
