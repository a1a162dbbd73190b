#pragma once
// The desktop's own word that the user walked away: its screen saver or locker says
// ActiveChanged(true) on the session bus, and logind sets the session's IdleHint on
// the system bus where the desktop keeps it. Each rise of a source is one screen-saver
// start. Its fall is not the user's return, which is still a key or a real pointer
// move: a locker also ends without the user (unlocked from elsewhere, an idle hint
// cleared by a program), and monitoring that ended then would page nobody while the
// user is away. A source the desktop lacks (no session bus, no logind session) opens
// nothing.
//
// One thread uses an open CDesktopBus at a time: it waits on PollSet() and calls
// Process().

#include <functional>
#include <string>
#include <vector>

#include <poll.h>
#include <systemd/sd-bus.h>

#include "inputhook/hook_rules.h"

namespace corvane::hook {

class CDesktopBus {
public:
    using Deliver = std::function<void(const InputEvent&)>;

    explicit CDesktopBus(Deliver deliver);
    ~CDesktopBus();
    CDesktopBus(const CDesktopBus&) = delete;
    CDesktopBus& operator=(const CDesktopBus&) = delete;

    // Connects to the buses this desktop has and asks for their signals, without
    // waiting for any answer. False when there is no bus at all.
    bool Open();
    void Close();

    // Handles whatever the buses sent; a connection that failed is closed. False once
    // no connection is left.
    bool Process();
    // Every subscription has been answered (or its bus is gone): signals sent from
    // now on are seen.
    bool Subscribed() const { return m_session.unanswered == 0 && m_system.unanswered == 0; }

    // The descriptors to wait on and how long at most (-1: until one is ready).
    void PollSet(std::vector<pollfd>& fds, int& timeoutMs);

    // The user's login session on the system bus, "" when there is none.
    static std::string LogindSessionPath();

private:
    struct Connection {
        sd_bus* bus = nullptr;
        int unanswered = 0;  // subscriptions sent whose answer has not come
    };
    // One source of screen-saver starts, with its last state.
    struct Source {
        CDesktopBus* owner = nullptr;
        Connection* connection = nullptr;
        bool active = false;
    };

    void OpenScreenSavers();
    void OpenLogind();
    void Subscribe(Source& source, const std::string& rule,
                   int (*handler)(sd_bus_message*, void*, sd_bus_error*));
    static void CloseConnection(Connection& connection);
    static bool ProcessConnection(Connection& connection);
    void Report(Source& source, bool active);

    static int OnActiveChanged(sd_bus_message* message, void* userdata, sd_bus_error*);
    static int OnPropertiesChanged(sd_bus_message* message, void* userdata, sd_bus_error*);
    static int OnSubscribed(sd_bus_message* reply, void* userdata, sd_bus_error*);

    Deliver m_deliver;
    Connection m_session;
    Connection m_system;
    std::vector<Source> m_sources;  // sized once in Open(): the signal handlers point into it
};

}  // namespace corvane::hook
