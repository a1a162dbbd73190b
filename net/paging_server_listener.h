#pragma once
// The paging server talks back: it connects to this program on "IPPort" and whatever
// text it sends is shown in a box titled "Message from Paging Server". The listening
// socket and its connections are watched by the shell's event loop (IReactor).
//
// A box shown while another is open (a modal box runs the event loop) waits its turn,
// so a chatty server cannot stack boxes; connections beyond kMaxConnections are closed
// at once.

#include <deque>
#include <set>
#include <string>

#include "common/message_box.h"
#include "common/reactor.h"

namespace corvane {

inline constexpr const char* kPagingServerMessageCaption = "Message from Paging Server";

class CPagingServerListener {
public:
    static constexpr std::size_t kMaxConnections = 64;
    static constexpr std::size_t kMaxWaitingTexts = 32;

    CPagingServerListener(IReactor& reactor, IMessageBox& messageBox);
    ~CPagingServerListener();
    CPagingServerListener(const CPagingServerListener&) = delete;
    CPagingServerListener& operator=(const CPagingServerListener&) = delete;

    // Listens on every local address (backlog 5). False when the port cannot be had;
    // pages are still sent to the server then.
    bool Listen(int port);
    // The port listened on (the one the system chose for port 0); 0 when not listening.
    int Port() const { return m_port; }
    std::size_t Connections() const { return m_connections.size(); }

private:
    void Accept();
    void Receive(int fd);
    void Drop(int fd);
    void ShowWaiting();

    IReactor& m_reactor;
    IMessageBox& m_messageBox;
    int m_listener = -1;
    int m_port = 0;
    std::set<int> m_connections;
    std::deque<std::string> m_waiting;
    bool m_showing = false;
};

}  // namespace corvane
