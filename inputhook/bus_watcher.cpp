#include "inputhook/bus_watcher.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace corvane::hook {
namespace {

// How long StartCBT waits for the buses to confirm the subscriptions. A local bus
// answers within milliseconds; the bound only matters for a bus that hangs.
constexpr auto kSubscribeWait = std::chrono::seconds(1);

}  // namespace

CBusWatcher::CBusWatcher(CDesktopBus::Deliver deliver) : m_deliver(std::move(deliver))
{
}

CBusWatcher::~CBusWatcher()
{
    Stop();
    for (int& fd : m_wake) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

void CBusWatcher::Start()
{
    std::unique_lock lock(m_mutex);
    ForgetParentThreadLocked();
    if (m_thread) {
        if (m_threadAlive) return;
        m_thread->join();  // its buses went away: it has ended
        m_thread.reset();
    }
    auto bus = std::make_unique<CDesktopBus>(m_deliver);
    if (!bus->Open()) return;  // no bus on this desktop: no thread, no descriptor
    if (m_wake[0] < 0 && pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0) return;
    m_bus = std::move(bus);

    // The thread takes no signals: they stay with the program's own threads.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    m_stop = false;
    m_subscribed = false;
    m_threadAlive = true;
    m_threadPid = getpid();
    try {
        m_thread = std::make_unique<std::thread>(&CBusWatcher::Run, this);
    } catch (const std::system_error&) {
        m_threadAlive = false;
        m_bus.reset();
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    m_changed.wait_for(lock, kSubscribeWait, [this] { return m_subscribed || !m_threadAlive; });
}

void CBusWatcher::Stop()
{
    std::unique_lock lock(m_mutex);
    ForgetParentThreadLocked();
    if (!m_thread) return;
    m_stop = true;
    Wake();
    lock.unlock();
    // The thread waits only in poll(), which the wake-up ends, and in handing a start
    // on, which never blocks: the join is prompt.
    m_thread->join();
    lock.lock();
    m_thread.reset();
    m_bus.reset();
    m_threadAlive = false;
}

void CBusWatcher::ForgetParentThreadLocked()
{
    if (!m_thread || m_threadPid == getpid()) return;
    // A forked child: the thread and its connections are the parent's.
    (void)m_thread.release();
    (void)m_bus.release();
    m_threadAlive = false;
}

void CBusWatcher::Wake()
{
    if (m_wake[1] < 0) return;
    const char byte = 1;
    // A full pipe already holds a wake-up.
    while (write(m_wake[1], &byte, 1) < 0 && errno == EINTR) {
    }
}

void CBusWatcher::Run()
{
    CDesktopBus& bus = *m_bus;
    std::vector<pollfd> fds;
    for (;;) {
        const bool open = bus.Process();
        std::unique_lock lock(m_mutex);
        if (!m_subscribed && (bus.Subscribed() || !open)) {
            m_subscribed = true;
            m_changed.notify_all();
        }
        if (!open || m_stop) break;
        lock.unlock();

        fds.assign(1, pollfd{m_wake[0], POLLIN, 0});
        int timeoutMs = -1;
        bus.PollSet(fds, timeoutMs);
        // With nothing pending there is no time-out: an idle desktop costs no processor time.
        if (poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) break;
        if (fds[0].revents & POLLIN) {
            char drain[64];
            while (read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
    }
    bus.Close();
    std::lock_guard lock(m_mutex);
    m_threadAlive = false;
    m_changed.notify_all();
}

}  // namespace corvane::hook
