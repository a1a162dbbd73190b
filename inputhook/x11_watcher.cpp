#include "inputhook/x11_watcher.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <optional>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/Xlibint.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/scrnsaver.h>

#include "inputhook/hook_post.h"

namespace corvane::hook {
namespace {

// How long an export waits for the thread to have its change at the X server. A local
// server answers in well under a millisecond; the bound only matters for a hung one.
constexpr auto kApplyWait = std::chrono::milliseconds(500);
constexpr auto kStopWait = std::chrono::seconds(1);

// Xlib's fatal-error handler is one for the whole process, and its default ends the
// process. The connection of this library must never take the program down with it,
// so a chaining handler returns for our display alone and hands every other display
// on exactly as before (to the program's handler, or to Xlib's default).
std::atomic<Display*> g_ourDisplay{nullptr};
std::atomic<bool> g_connectionLost{false};
XIOErrorHandler g_previousIoHandler = nullptr;
bool g_ioHandlerInstalled = false;

int ChainIoError(Display* display)
{
    if (display == g_ourDisplay.load()) {
        g_connectionLost = true;
        return 0;
    }
    if (g_previousIoHandler) return g_previousIoHandler(display);
    return _XDefaultIOError(display);
}

// Called for our display after the handler above: returning instead of exit() lets the
// Xlib call unwind; the thread then sees the lost connection and ends.
void ContinueAfterIoError(Display*, void*)
{
    g_connectionLost = true;
}

// Protocol errors on our connection are dropped before they reach the process-wide
// error handler (whose default also ends the process).
Bool DropError(Display*, XErrorEvent*, xError*)
{
    return False;
}

void DropErrorsOf(Display* display)
{
    for (int code = 0; code < 256; ++code) XESetWireToError(display, code, DropError);
}

// One connection to the X server and what it offers.
class CX11Session {
public:
    bool Open();
    // Closes the connection; after the server hung up, without a word to Xlib.
    void Close();
    int Fd() const { return ConnectionNumber(m_display); }
    bool Lost() const { return g_connectionLost.load(); }
    // The server closed the connection and nothing it sent before is left to read.
    bool HungUp();
    bool Ended() { return Lost() || HungUp(); }

    void SelectScreenSaver(bool on);
    void SelectInput(bool on);
    void ActivateScreenSaver() { XActivateScreenSaver(m_display); }
    void Sync() { XSync(m_display, False); }
    // Every event already received, each handed on as what it means.
    void HandlePending(const std::function<void(const InputEvent&)>& deliver);

private:
    std::optional<InputEvent> Translate(XEvent& event);
    std::optional<InputEvent> PointerNow();

    Display* m_display = nullptr;
    bool m_hungUp = false;
    bool m_hasScreenSaver = false;
    int m_screenSaverEventBase = 0;
    bool m_hasInput = false;
    int m_inputOpcode = 0;
};

bool CX11Session::Open()
{
    m_display = XOpenDisplay(nullptr);
    if (!m_display) return false;
    g_connectionLost = false;
    g_ourDisplay = m_display;
    XSetIOErrorExitHandler(m_display, ContinueAfterIoError, nullptr);
    if (!g_ioHandlerInstalled) {
        g_previousIoHandler = XSetIOErrorHandler(ChainIoError);
        g_ioHandlerInstalled = true;
    }
    DropErrorsOf(m_display);

    int errorBase = 0;
    m_hasScreenSaver = XScreenSaverQueryExtension(m_display, &m_screenSaverEventBase, &errorBase);

    int eventBase = 0;
    if (XQueryExtension(m_display, "XInputExtension", &m_inputOpcode, &eventBase, &errorBase)) {
        // Raw events reach every client that asks for them from version 2.1 on.
        int major = 2;
        int minor = 2;
        m_hasInput = XIQueryVersion(m_display, &major, &minor) == Success &&
                     (major > 2 || (major == 2 && minor >= 1));
    }
    DropErrorsOf(m_display);  // again: the extensions install their own on first use
    if (Lost() || (!m_hasScreenSaver && !m_hasInput)) {
        Close();
        return false;
    }
    return true;
}

void CX11Session::Close()
{
    if (!m_display) return;
    if (m_hungUp && !Lost()) {
        // Xlib has not noticed the hang-up, and any call now (closing included) would
        // run into its fatal-error path, which releases the display lock twice when it
        // returns. So the connection is dropped behind Xlib's back and the little
        // memory of the display is left.
        close(ConnectionNumber(m_display));
    } else {
        XCloseDisplay(m_display);  // also after a lost connection: Xlib sends nothing then
    }
    g_ourDisplay = nullptr;
    m_display = nullptr;
}

bool CX11Session::HungUp()
{
    if (m_hungUp) return true;
    if (XEventsQueued(m_display, QueuedAlready) > 0) return false;
    char byte;
    const ssize_t got = recv(ConnectionNumber(m_display), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    // The end of the stream, or a reset (a server that dies with our requests unread).
    m_hungUp = got == 0 || (got < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
    return m_hungUp;
}

void CX11Session::SelectScreenSaver(bool on)
{
    if (!m_hasScreenSaver) return;
    for (int screen = 0; screen < ScreenCount(m_display); ++screen)
        XScreenSaverSelectInput(m_display, RootWindow(m_display, screen), on ? ScreenSaverNotifyMask : 0);
}

void CX11Session::SelectInput(bool on)
{
    if (!m_hasInput) return;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    if (on) {
        XISetMask(bits, XI_RawKeyPress);
        XISetMask(bits, XI_RawMotion);
        // A warp (an absolute move by a program) gives no raw event, only this one.
        XISetMask(bits, XI_Motion);
    }
    XIEventMask mask{XIAllMasterDevices, static_cast<int>(sizeof bits), bits};
    XISelectEvents(m_display, DefaultRootWindow(m_display), &mask, 1);
}

void CX11Session::HandlePending(const std::function<void(const InputEvent&)>& deliver)
{
    for (;;) {
        if (Lost()) return;
        // Xlib reads from the connection only once its queue is empty, and only after a
        // look whether the server is gone, so that it never reads the connection's end.
        if (XEventsQueued(m_display, QueuedAlready) == 0 && (HungUp() || XPending(m_display) == 0))
            return;
        XEvent event;
        XNextEvent(m_display, &event);
        if (std::optional<InputEvent> input = Translate(event)) deliver(*input);
    }
}

std::optional<InputEvent> CX11Session::Translate(XEvent& event)
{
    if (m_hasScreenSaver && event.type == m_screenSaverEventBase + ScreenSaverNotify) {
        const auto& notify = reinterpret_cast<const XScreenSaverNotifyEvent&>(event);
        if (notify.state != ScreenSaverOn) return std::nullopt;
        return InputEvent{InputKind::ScreenSaverStarted};
    }
    if (!m_hasInput || event.type != GenericEvent || event.xcookie.extension != m_inputOpcode)
        return std::nullopt;
    if (!XGetEventData(m_display, &event.xcookie)) return std::nullopt;
    const int type = event.xcookie.evtype;
    XFreeEventData(m_display, &event.xcookie);
    switch (type) {
    case XI_RawKeyPress: return InputEvent{InputKind::KeyDown};
    case XI_RawMotion:
    case XI_Motion: return PointerNow();
    default: return std::nullopt;
    }
}

// Raw events carry only deltas: the position and the window come from the server. The
// top-level window under the pointer stands for the event's window, the root window
// when there is none.
std::optional<InputEvent> CX11Session::PointerNow()
{
    Window root = None;
    Window child = None;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int buttons = 0;
    XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rootX, &rootY, &windowX,
                  &windowY, &buttons);
    if (Lost() || root == None) return std::nullopt;
    return InputEvent{InputKind::PointerMoved, rootX, rootY, child != None ? child : root};
}

// Sleeps until the server sends something (or hangs up) or an export writes to the
// wake pipe. No time-out: with nothing happening the thread uses no processor time at
// all. False when poll() itself fails, which leaves nothing to wait with.
bool WaitForWork(int xFd, int wakeFd)
{
    pollfd fds[2] = {{xFd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    while (poll(fds, 2, -1) < 0) {
        if (errno != EINTR) return false;
    }
    if (fds[1].revents & POLLIN) {
        char drain[64];
        while (read(wakeFd, drain, sizeof drain) > 0) {
        }
    }
    return true;
}

}  // namespace

CX11Watcher::~CX11Watcher()
{
    std::unique_lock lock(m_mutex);
    if (m_thread) {
        if (m_threadPid != getpid()) {
            // A forked child that exits: the thread belongs to the parent.
            (void)m_thread.release();
            return;
        }
        m_stop = true;
        Wake();
        const bool ended = m_changed.wait_for(lock, kStopWait, [this] { return !m_threadAlive; });
        lock.unlock();
        if (!ended) {
            // Stuck in a round trip to a server that no longer answers; the process is
            // ending anyway, and joining would hang it.
            (void)m_thread.release();
            return;
        }
        m_thread->join();
        m_thread.reset();
    } else {
        lock.unlock();
    }
    if (g_ioHandlerInstalled) {
        // Put the program's handler back unless someone installed another since.
        XIOErrorHandler current = XSetIOErrorHandler(g_previousIoHandler);
        if (current != ChainIoError) XSetIOErrorHandler(current);
        g_ioHandlerInstalled = false;
    }
    for (int& fd : m_wake) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

int CX11Watcher::RegisterHookSendWindow(int fd)
{
    std::lock_guard lock(m_mutex);
    return m_rules.RegisterTarget(fd);
}

int CX11Watcher::StartCbt()
{
    std::unique_lock lock(m_mutex);
    const int result = m_rules.StartCbt();
    if (result) ApplyLocked(lock, true);
    return result;
}

int CX11Watcher::StopCbt()
{
    std::unique_lock lock(m_mutex);
    const bool wasInstalled = m_rules.CbtInstalled();
    const int result = m_rules.StopCbt();
    if (wasInstalled) ApplyLocked(lock, false);
    return result;
}

int CX11Watcher::StartKeyOrMouse()
{
    std::unique_lock lock(m_mutex);
    const int result = m_rules.StartKeyOrMouse();
    if (result) ApplyLocked(lock, true);
    return result;
}

int CX11Watcher::StopKeyOrMouse()
{
    std::unique_lock lock(m_mutex);
    const bool wasInstalled = m_rules.KeyOrMouseInstalled();
    const int result = m_rules.StopKeyOrMouse();
    if (wasInstalled) ApplyLocked(lock, false);
    return result;
}

int CX11Watcher::ActivateScreenSaver()
{
    std::unique_lock lock(m_mutex);
    ++m_activations;
    ApplyLocked(lock, true);
    if (m_connected) return 1;
    m_activations = 0;  // no display: nothing to start
    return 0;
}

void CX11Watcher::ApplyLocked(std::unique_lock<std::mutex>& lock, bool connect)
{
    const std::uint64_t change = ++m_requested;
    if (!m_threadAlive && !(connect && EnsureThreadLocked())) return;
    Wake();
    m_changed.wait_for(lock, kApplyWait, [&] { return m_applied >= change || !m_threadAlive; });
}

bool CX11Watcher::EnsureThreadLocked()
{
    if (m_threadAlive) return true;
    if (m_thread) {
        if (m_threadPid == getpid()) {
            m_thread->join();  // it has ended: it marked itself so before returning
            m_thread.reset();
        } else {
            (void)m_thread.release();  // the parent's, in a forked child
        }
    }
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    if (m_wake[0] < 0 && pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0) return false;

    // The thread takes no signals: they stay with the program's own threads (SIGPIPE
    // from a write to a dead server included).
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    m_stop = false;
    m_threadAlive = true;
    m_connected = false;
    m_threadPid = getpid();
    try {
        m_thread = std::make_unique<std::thread>(&CX11Watcher::Run, this);
    } catch (const std::system_error&) {
        m_threadAlive = false;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return m_threadAlive;
}

void CX11Watcher::Wake()
{
    if (m_wake[1] < 0) return;
    const char byte = 1;
    // A full pipe already holds a wake-up.
    while (write(m_wake[1], &byte, 1) < 0 && errno == EINTR) {
    }
}

void CX11Watcher::Deliver(const InputEvent& event)
{
    // Under the lock, so that after RegisterHookSendWindow(-1) returns nothing is ever
    // written to the old descriptor (whose number the program may reuse).
    std::lock_guard lock(m_mutex);
    if (const std::uint32_t message = m_rules.OnEvent(event))
        PostHookMessage(m_rules.Target(), message);
}

void CX11Watcher::Run()
{
    CX11Session session;
    const bool opened = session.Open();
    std::unique_lock lock(m_mutex);
    m_connected = opened;
    if (!opened) {
        m_threadAlive = false;
        m_changed.notify_all();
        return;
    }

    bool screenSaverSelected = false;
    bool inputSelected = false;
    std::uint64_t applied = 0;
    const auto deliver = [this](const InputEvent& event) { Deliver(event); };
    while (!m_stop) {
        const std::uint64_t change = m_requested;
        const bool wantScreenSaver = m_rules.CbtInstalled();
        const bool wantInput = m_rules.KeyOrMouseInstalled();
        const int activations = m_activations;
        m_activations = 0;
        lock.unlock();
        if (session.Ended()) break;

        if (change != applied) {
            if (wantScreenSaver != screenSaverSelected) session.SelectScreenSaver(wantScreenSaver);
            if (wantInput != inputSelected) session.SelectInput(wantInput);
            screenSaverSelected = wantScreenSaver;
            inputSelected = wantInput;
            for (int i = 0; i < activations; ++i) session.ActivateScreenSaver();
            session.Sync();  // the server has the change before the export returns
            applied = change;
            lock.lock();
            m_applied = change;
            m_changed.notify_all();
            lock.unlock();
        }

        session.HandlePending(deliver);
        if (session.Ended()) break;
        if (!WaitForWork(session.Fd(), m_wake[0])) break;
        lock.lock();
    }
    if (lock.owns_lock()) lock.unlock();
    session.Close();
    lock.lock();
    m_connected = false;
    m_threadAlive = false;
    m_changed.notify_all();
}

}  // namespace corvane::hook
