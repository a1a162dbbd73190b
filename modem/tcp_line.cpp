#include "modem/tcp_line.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>

namespace corvane {
namespace {

// A purge drops at most this much, so that a terminal that floods the line cannot keep
// the call in the purge.
constexpr std::size_t kPurgeMaxBytes = 65536;

bool IsHostText(std::string_view host)
{
    if (host.empty()) return false;
    for (char c : host)
        if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '@' || c == 0x7F) return false;
    return true;
}

bool ParsePort(std::string_view text, int& port)
{
    if (text.empty() || text.size() > 5) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return false;
    port = value;
    return true;
}

}  // namespace

bool IsTcpLineName(std::string_view name)
{
    static constexpr std::string_view kPrefix = "tcp:";
    if (name.size() <= kPrefix.size()) return false;
    for (std::size_t i = 0; i < kPrefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != kPrefix[i]) return false;
    return true;
}

bool ParseTcpLineName(std::string_view name, TcpEndpoint& endpoint)
{
    if (!IsTcpLineName(name)) return false;
    std::string_view rest = name.substr(4);
    std::string_view host;
    std::string_view port;
    if (!rest.empty() && rest.front() == '[') {
        // An IPv6 address holds colons of its own: it is written in brackets.
        const std::size_t close = rest.find(']');
        if (close == std::string_view::npos || close + 1 >= rest.size() || rest[close + 1] != ':') return false;
        host = rest.substr(1, close - 1);
        port = rest.substr(close + 2);
    } else {
        const std::size_t colon = rest.find(':');
        if (colon == std::string_view::npos || rest.find(':', colon + 1) != std::string_view::npos) return false;
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    int number = 0;
    if (!IsHostText(host) || !ParsePort(port, number)) return false;
    endpoint = {std::string(host), number};
    return true;
}

CTcpLine::CTcpLine(std::string_view name)
{
    m_valid = ParseTcpLineName(name, m_endpoint);
}

CTcpLine::~CTcpLine()
{
    Disconnect();
}

std::string CTcpLine::Endpoint() const
{
    const bool v6 = m_endpoint.host.find(':') != std::string::npos;
    return (v6 ? "[" + m_endpoint.host + "]" : m_endpoint.host) + ":" + std::to_string(m_endpoint.port);
}

void CTcpLine::Disconnect()
{
    m_lookup.reset();
    m_addresses.clear();
    m_nextAddress = 0;
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    m_connected = false;
    m_gone = false;
    m_errors = 0;
}

LineConnect CTcpLine::Connect()
{
    Disconnect();
    m_connectError = 0;
    if (!m_valid) {
        m_connectError = EINVAL;
        return LineConnect::Failed;
    }
    m_lookup = std::make_unique<CAddressLookup>(m_endpoint.host, m_endpoint.port);
    return Poll();
}

LineConnect CTcpLine::Poll()
{
    if (m_connected) return LineConnect::Connected;
    if (m_lookup) {
        switch (m_lookup->Poll()) {
        case CAddressLookup::State::Pending: return LineConnect::Pending;
        case CAddressLookup::State::Failed:
            m_lookup.reset();
            m_connectError = EHOSTUNREACH;
            return LineConnect::Failed;
        case CAddressLookup::State::Done:
            m_addresses = m_lookup->Addresses();
            m_nextAddress = 0;
            m_lookup.reset();
            return TryNextAddress();
        }
    }
    if (m_fd < 0) return LineConnect::Failed;

    pollfd p {m_fd, POLLOUT, 0};
    if (::poll(&p, 1, 0) <= 0) return LineConnect::Pending;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error == 0) {
        Connected();
        return LineConnect::Connected;
    }
    // This address did not answer: the host's next one may.
    m_connectError = error;
    ::close(m_fd);
    m_fd = -1;
    return TryNextAddress();
}

LineConnect CTcpLine::TryNextAddress()
{
    while (m_nextAddress < m_addresses.size()) {
        const SocketAddress& address = m_addresses[m_nextAddress++];
        const int fd = ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
        if (fd < 0) {
            m_connectError = errno;
            continue;
        }
        m_fd = fd;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address.address), address.length) == 0) {
            Connected();
            return LineConnect::Connected;
        }
        if (errno == EINPROGRESS) return LineConnect::Pending;
        m_connectError = errno;
        ::close(fd);
        m_fd = -1;
    }
    return LineConnect::Failed;
}

void CTcpLine::Connected()
{
    // A block or a logon goes out at once, not when the kernel has gathered enough.
    int on = 1;
    ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_connected = true;
    m_connectError = 0;
    m_addresses.clear();
}

void CTcpLine::Gone()
{
    m_errors |= kCommIoError;
    m_gone = true;
}

void CTcpLine::Write(std::string_view bytes)
{
    if (!m_connected || m_gone) {
        m_errors |= kCommIoError;
        return;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(kTcpWriteTimeoutMs);
    while (!bytes.empty()) {
        const ssize_t n = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            Gone();
            return;
        }
        // The connection's buffer is full: wait for room, as long as a serial line would.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            m_errors |= kCommTxFull;
            return;
        }
        pollfd p {m_fd, POLLOUT, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (p.revents & (POLLERR | POLLNVAL))) {
            Gone();
            return;
        }
    }
}

std::size_t CTcpLine::Read(char* buffer, std::size_t max)
{
    if (!m_connected || m_gone || max == 0) return 0;
    for (;;) {
        const ssize_t n = ::recv(m_fd, buffer, max, MSG_DONTWAIT);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        // The terminal closed the connection (or it broke): nothing more will come.
        Gone();
        return 0;
    }
}

unsigned CTcpLine::TakeErrors()
{
    unsigned errors = m_errors;
    m_errors = 0;
    if (m_gone) errors |= kCommIoError;
    return errors;
}

void CTcpLine::Purge(bool /*transmit*/, bool receive)
{
    if (!receive) return;
    char buffer[4096];
    for (std::size_t dropped = 0; dropped < kPurgeMaxBytes;) {
        const std::size_t n = Read(buffer, sizeof buffer);
        if (n == 0) return;
        dropped += n;
    }
}

}  // namespace corvane
