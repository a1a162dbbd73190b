#pragma once
// Sockets on 127.0.0.1 for the tests of programs that talk over the network: a listener on
// a port of its own, one whose queue is full (a connection to it never completes, so the
// client waits out its own time-out), and a port that nothing listens on.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>

namespace corvane::test {

inline sockaddr_in LoopbackAddress(int port = 0)
{
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// Listens with this backlog until the object goes (or Close). Full: the backlog is 0 and one
// connection waits in it, never accepted, so that the next ones hang.
class CLoopbackListener {
public:
    explicit CLoopbackListener(int backlog = 16, bool full = false)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = LoopbackAddress();
        socklen_t length = sizeof address;
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_fd, full ? 0 : backlog);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        if (!full) return;
        m_filler = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ::connect(m_filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    ~CLoopbackListener() { Close(); }
    CLoopbackListener(const CLoopbackListener&) = delete;
    CLoopbackListener& operator=(const CLoopbackListener&) = delete;

    int fd() const { return m_fd; }
    int port() const { return m_port; }
    // Stops listening: a thread blocked in accept() returns, later connections are refused.
    void Close()
    {
        for (int* fd : {&m_filler, &m_fd}) {
            if (*fd < 0) continue;
            ::shutdown(*fd, SHUT_RDWR);
            ::close(*fd);
            *fd = -1;
        }
    }

private:
    int m_fd = -1;
    int m_filler = -1;
    int m_port = 0;
};

// A port on 127.0.0.1 that nothing listens on at the moment.
inline int ClosedLoopbackPort()
{
    CLoopbackListener listener(0);
    return listener.port();
}

}  // namespace corvane::test
