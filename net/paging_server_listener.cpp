#include "net/paging_server_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace corvane {
namespace {

constexpr int kBacklog = 5;
constexpr std::size_t kReadPiece = 1024;
// What one readiness report takes at most; the rest comes with the next report.
constexpr std::size_t kMaxTextPerRead = 65536;

}  // namespace

CPagingServerListener::CPagingServerListener(IReactor& reactor, IMessageBox& messageBox)
    : m_reactor(reactor), m_messageBox(messageBox)
{
}

CPagingServerListener::~CPagingServerListener()
{
    while (!m_connections.empty()) Drop(*m_connections.begin());
    if (m_listener >= 0) {
        m_reactor.Unwatch(m_listener);
        ::close(m_listener);
    }
}

bool CPagingServerListener::Listen(int port)
{
    if (port < 0 || port > 65535) return false;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return false;
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, kBacklog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return false;
    }
    m_listener = fd;
    m_port = ntohs(address.sin_port);
    m_reactor.Watch(fd, [this] { Accept(); });
    return true;
}

void CPagingServerListener::Accept()
{
    for (;;) {
        int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) return;
        if (m_connections.size() >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        m_connections.insert(fd);
        m_reactor.Watch(fd, [this, fd] { Receive(fd); });
    }
}

// Reads what has arrived, in pieces, into one text; a closed connection is dropped.
void CPagingServerListener::Receive(int fd)
{
    std::string text;
    bool closed = false;
    char piece[kReadPiece];
    while (text.size() < kMaxTextPerRead) {
        ssize_t n = ::recv(fd, piece, sizeof piece, MSG_DONTWAIT);
        if (n > 0) {
            text.append(piece, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        closed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    if (closed) Drop(fd);
    if (text.empty()) return;
    if (m_waiting.size() < kMaxWaitingTexts) m_waiting.push_back(std::move(text));
    ShowWaiting();
}

void CPagingServerListener::Drop(int fd)
{
    m_reactor.Unwatch(fd);
    ::close(fd);
    m_connections.erase(fd);
}

void CPagingServerListener::ShowWaiting()
{
    if (m_showing) return;  // the open box shows the next one when it closes
    m_showing = true;
    while (!m_waiting.empty()) {
        std::string text = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_messageBox.Show(text, kPagingServerMessageCaption, MbIcon::Information, MbButtons::Ok);
    }
    m_showing = false;
}

}  // namespace corvane
