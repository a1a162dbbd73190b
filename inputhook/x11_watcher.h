#pragma once
// The library's side of the X server: a connection of its own (never the program's)
// and a thread that sleeps in poll() until the server reports something or an export
// changes what is watched. The exports run on the caller's thread and only change the
// rules' flags; the thread brings the X selections in line with them.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include <sys/types.h>

#include "inputhook/hook_rules.h"

namespace corvane::hook {

class CX11Watcher {
public:
    CX11Watcher() = default;
    ~CX11Watcher();  // the library is being unloaded: the thread ends first
    CX11Watcher(const CX11Watcher&) = delete;
    CX11Watcher& operator=(const CX11Watcher&) = delete;

    int RegisterHookSendWindow(int fd);
    int StartCbt();
    int StopCbt();
    int StartKeyOrMouse();
    int StopKeyOrMouse();
    int ActivateScreenSaver();
    // Hands an event to the rules and posts what they say. Any thread: the desktop
    // buses report their screen-saver starts through here too.
    void Deliver(const InputEvent& event);

private:
    // Tells the thread that the flags changed and waits until the X server has the new
    // selections, so that input after a Start call is seen. Starts the thread (which
    // connects) when asked to and a display is named.
    void ApplyLocked(std::unique_lock<std::mutex>& lock, bool connect);
    bool EnsureThreadLocked();
    void Wake();
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    CHookRules m_rules;
    std::unique_ptr<std::thread> m_thread;
    pid_t m_threadPid = 0;       // a forked child must not touch its parent's thread
    bool m_threadAlive = false;  // the thread runs (connecting or connected)
    bool m_connected = false;    // the thread holds an open display
    bool m_stop = false;
    std::uint64_t m_requested = 0;  // changes asked for by the exports
    std::uint64_t m_applied = 0;    // changes the X server has
    int m_activations = 0;          // Activate Screen Saver requests not yet sent
    int m_wake[2] = {-1, -1};       // the exports write a byte to end the thread's poll()
};

}  // namespace corvane::hook
