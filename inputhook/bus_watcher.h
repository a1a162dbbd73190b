#pragma once
// The desktop buses' side of screen-saver detection: a thread of its own that sleeps in
// poll() on the bus connections (CDesktopBus) until a bus sends something or Stop()
// wakes it. Runs from StartCBT to StopCBT, and only where the desktop has a bus.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <sys/types.h>

#include "inputhook/desktop_bus.h"

namespace corvane::hook {

class CBusWatcher {
public:
    // deliver: called on the watcher's thread for each screen-saver start.
    explicit CBusWatcher(CDesktopBus::Deliver deliver);
    ~CBusWatcher();  // the library is being unloaded: the thread ends first
    CBusWatcher(const CBusWatcher&) = delete;
    CBusWatcher& operator=(const CBusWatcher&) = delete;

    // Connects and waits (briefly) until the buses have the subscriptions, so that a
    // start announced after this returns is seen. Nothing runs without a bus.
    void Start();
    void Stop();

private:
    void Run();
    void Wake();
    void ForgetParentThreadLocked();

    CDesktopBus::Deliver m_deliver;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::unique_ptr<CDesktopBus> m_bus;  // used by the thread alone while it runs
    std::unique_ptr<std::thread> m_thread;
    pid_t m_threadPid = 0;       // a forked child must not touch its parent's thread
    bool m_threadAlive = false;
    bool m_subscribed = false;
    bool m_stop = false;
    int m_wake[2] = {-1, -1};  // Stop() writes a byte to end the thread's poll()
};

}  // namespace corvane::hook
