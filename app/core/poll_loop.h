#pragma once
// The headless shell's event loop: poll() over the watched descriptors, with timers
// measured on the clock. It sleeps in poll() until a descriptor is readable, a timer
// is due or Stop() is called; it never spins.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>

#include "common/clock.h"
#include "common/reactor.h"

namespace corvane {

class CPollLoop final : public IReactor {
public:
    using TimerId = int;

    explicit CPollLoop(const IClock& clock);
    ~CPollLoop() override;
    CPollLoop(const CPollLoop&) = delete;
    CPollLoop& operator=(const CPollLoop&) = delete;

    // Watching a watched descriptor again replaces its callback. Callbacks may watch
    // and unwatch any descriptor, this one included, and start or stop timers.
    void Watch(int fd, std::function<void()> onReadable) override;
    void Unwatch(int fd) override;

    // Calls onTimer after intervalMs, and every intervalMs after that when repeat.
    TimerId StartTimer(int intervalMs, bool repeat, std::function<void()> onTimer);
    void StopTimer(TimerId id);

    // Waits at most maxWaitMs (-1: until something happens) and handles what is ready.
    void RunOnce(int maxWaitMs);
    // Handles events until Stop(); a Stop() that came before Run() ends it at once.
    void Run();
    // Safe from any thread and from a signal handler.
    void Stop();

    std::size_t WatchCount() const { return m_watches.size(); }

private:
    struct WatchEntry {
        std::uint64_t serial;
        std::function<void()> onReadable;
    };
    struct Timer {
        std::uint64_t due;
        int intervalMs;
        bool repeat;
        std::function<void()> onTimer;
    };

    int PollTimeout(int maxWaitMs) const;
    void FireDueTimers();
    void DrainWake();

    const IClock& m_clock;
    int m_wakeFd = -1;
    std::atomic<bool> m_stop{false};
    std::map<int, WatchEntry> m_watches;
    std::uint64_t m_nextSerial = 1;
    std::map<TimerId, Timer> m_timers;
    TimerId m_nextTimer = 1;
};

}  // namespace corvane
