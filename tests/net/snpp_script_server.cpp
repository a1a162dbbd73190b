#include "tests/net/snpp_script_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace corvane::test {
namespace {

bool Readable(int fd, int timeoutMs)
{
    if (fd < 0) return false;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, timeoutMs) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

bool Unsent(int fd)
{
    int bytes = 0;
    return ::ioctl(fd, SIOCOUTQNSD, &bytes) == 0 && bytes > 0;
}

void WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0) return;  // the client is gone
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

std::string Verb(const std::string& line)
{
    std::string verb = line.substr(0, std::min<std::size_t>(4, line.size()));
    for (char& c : verb) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return verb;
}

const std::map<std::string, std::string>& Defaults()
{
    static const std::map<std::string, std::string> defaults{
        {"PAGE", "250 Pager ID Accepted"}, {"MESS", "250 Message OK"}, {"SEND", "250 Message Sent Successfully"},
        {"RESE", "250 RESET OK"},          {"QUIT", "221 OK, Goodbye"},
    };
    return defaults;
}

}  // namespace

CScriptedSnppServer::CScriptedSnppServer()
{
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    ::setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listen, 16) != 0 ||
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::pipe2(m_wake, O_CLOEXEC) != 0)
        throw std::runtime_error("scripted SNPP server: cannot listen on 127.0.0.1");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { Run(); });
}

CScriptedSnppServer::~CScriptedSnppServer()
{
    char stop = 'x';
    (void)!::write(m_wake[1], &stop, 1);
    m_thread.join();
    for (Connection& c : m_connections) ::close(c.fd);
    ::close(m_listen);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

void CScriptedSnppServer::Greet(Action action)
{
    std::lock_guard lock(m_mutex);
    m_greetings.push_back(std::move(action));
}

void CScriptedSnppServer::Next(const std::string& verb, Action action)
{
    std::lock_guard lock(m_mutex);
    m_next[verb].push_back(std::move(action));
}

void CScriptedSnppServer::Always(const std::string& verb, Action action)
{
    std::lock_guard lock(m_mutex);
    m_always[verb] = std::move(action);
}

void CScriptedSnppServer::Settle()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Quiescent() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
}

std::vector<std::string> CScriptedSnppServer::Log()
{
    Settle();
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::string CScriptedSnppServer::Received(int connection)
{
    Settle();
    std::lock_guard lock(m_mutex);
    auto it = m_received.find(connection);
    return it == m_received.end() ? std::string() : it->second;
}

int CScriptedSnppServer::Connections() const
{
    std::lock_guard lock(m_mutex);
    return m_connectionCount;
}

int CScriptedSnppServer::Count(const std::string& verb) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_counts.find(verb);
    return it == m_counts.end() ? 0 : it->second;
}

void CScriptedSnppServer::Run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        std::vector<pollfd> fds{{m_wake[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
        for (const Connection& c : m_connections) fds.push_back({c.fd, POLLIN, 0});
        lock.unlock();
        ::poll(fds.data(), fds.size(), -1);
        lock.lock();
        if (fds[0].revents) return;
        if (fds[1].revents) Accept(lock);
        for (std::size_t i = 2; i < fds.size(); ++i) {
            if (!fds[i].revents) continue;
            auto it = std::find_if(m_connections.begin(), m_connections.end(),
                                   [&](const Connection& c) { return c.fd == fds[i].fd; });
            if (it != m_connections.end()) Serve(*it, lock);
        }
        std::erase_if(m_connections, [](const Connection& c) { return c.fd < 0; });
    }
}

void CScriptedSnppServer::Accept(std::unique_lock<std::mutex>& lock)
{
    int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    // Each piece of a split reply goes out at once, not held back for the client's ACK.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_connections.push_back({fd, ++m_connectionCount, {}, {}});
    Action greeting = Say("220 SNPP server ready");
    if (!m_greetings.empty()) {
        greeting = m_greetings.front();
        m_greetings.erase(m_greetings.begin());
    }
    Connection& c = m_connections.back();
    if (!Perform(c, greeting, lock)) {
        ::close(c.fd);
        c.fd = -1;
    }
}

void CScriptedSnppServer::Serve(Connection& c, std::unique_lock<std::mutex>& lock)
{
    char buffer[4096];
    ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
    if (n <= 0) {
        m_log.push_back(std::to_string(c.number) + " <closed>");
        ::close(c.fd);
        c.fd = -1;
        return;
    }
    c.pending.append(buffer, static_cast<std::size_t>(n));
    m_received[c.number].append(buffer, static_cast<std::size_t>(n));
    for (std::size_t end; c.fd >= 0 && (end = c.pending.find('\n')) != std::string::npos;) {
        std::string line = c.pending.substr(0, end);
        c.pending.erase(0, end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        m_log.push_back(std::to_string(c.number) + " " + line);
        ++m_counts[Verb(line)];
        if (!Perform(c, Answer(line), lock)) {
            ::close(c.fd);
            c.fd = -1;
        }
    }
}

CScriptedSnppServer::Action CScriptedSnppServer::Answer(const std::string& line)
{
    std::string verb = Verb(line);
    auto next = m_next.find(verb);
    if (next != m_next.end() && !next->second.empty()) {
        Action action = next->second.front();
        next->second.erase(next->second.begin());
        return action;
    }
    auto always = m_always.find(verb);
    if (always != m_always.end()) return always->second;
    auto def = Defaults().find(verb);
    if (def == Defaults().end()) return Say("500 Command Not Implemented, Try Again");
    return verb == "QUIT" ? SayAndHangup(def->second) : Say(def->second);
}

bool CScriptedSnppServer::Perform(Connection& c, const Action& action, std::unique_lock<std::mutex>& lock)
{
    if (action.kind == Action::Kind::Hangup) return false;
    if (action.kind == Action::Kind::Silent) return true;
    std::size_t from = 0;
    for (std::size_t cut : action.cuts) {
        cut = std::min(cut, action.bytes.size());
        WriteAll(c.fd, action.bytes.data() + from, cut - from);
        from = cut;
        // Between the pieces the lock is free, but the server is not done.
        m_busy = true;
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(action.pauseMs));
        lock.lock();
        m_busy = false;
    }
    WriteAll(c.fd, action.bytes.data() + from, action.bytes.size() - from);
    return !action.hangupAfter;
}

// Nothing received is left unhandled: no connection waiting to be accepted, no bytes or
// end of stream waiting on a connection, no reply half written or still in the send queue.
bool CScriptedSnppServer::Quiescent()
{
    std::lock_guard lock(m_mutex);
    if (m_busy || Readable(m_listen, 0)) return false;
    for (const Connection& c : m_connections)
        if (c.fd >= 0 && (Readable(c.fd, 0) || Unsent(c.fd))) return false;
    return true;
}

bool CScriptedSnppServer::ReadyFor(int clientFd)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        if (Readable(clientFd, 0)) return true;
        if (Quiescent()) return Readable(clientFd, 1);
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

}  // namespace corvane::test
