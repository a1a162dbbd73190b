#include "app/core/command_server.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/core/queue_listing.h"

namespace corvane {
namespace {

constexpr std::size_t kReadChunk = 16 * 1024;

bool FillAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

// True when a server answers on the path. Does not wait: a full backlog (EAGAIN)
// also means a live server.
bool SomeoneListens(const std::string& path)
{
    sockaddr_un address {};
    if (!FillAddress(path, address)) return false;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    const int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const bool live = rc == 0 || errno == EAGAIN || errno == EINPROGRESS;
    ::close(fd);
    return live;
}

// A length of only digits, at most limit; anything else is reported.
enum class Length { Ok, TooLarge, Bad };
Length ParseLength(const std::string& text, std::size_t limit, std::size_t& value)
{
    if (text.empty()) return Length::Bad;
    value = 0;
    bool tooLarge = false;
    for (char c : text) {
        if (c < '0' || c > '9') return Length::Bad;
        if (!tooLarge) {
            value = value * 10 + static_cast<std::size_t>(c - '0');
            if (value > limit) tooLarge = true;
        }
    }
    return tooLarge ? Length::TooLarge : Length::Ok;
}

// A list of pending requests is larger than one line: the socket's buffer is made to
// hold it, so that it too goes out without waiting (queue_listing.h keeps each answer small).
void MakeRoomFor(int fd, std::size_t bytes)
{
    int size = static_cast<int>(std::min<std::size_t>(bytes * 2, 4u * 1024 * 1024));
    ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &size, sizeof size);
}

void SendNoWait(int fd, const std::string& text)
{
    // The answer is a few bytes on a fresh connection: it fits the socket buffer, so
    // one send without waiting delivers it. A client that has gone away is ignored.
    [[maybe_unused]] ssize_t n = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
}

}  // namespace

CCommandServer::CCommandServer(IReactor& reactor, const IClock& clock, ICommandHandler& handler,
                               CommandServerLimits limits)
    : m_reactor(reactor), m_clock(clock), m_handler(handler), m_limits(limits), m_allowedUid(::geteuid())
{
    if (m_limits.maxClients == 0) m_limits.maxClients = 1;
}

CCommandServer::~CCommandServer()
{
    Stop();
}

ServerStart CCommandServer::Start(const std::string& title)
{
    Stop();
    m_problem.clear();
    if (!CommandSocketPath(title, true, m_path, m_problem)) return ServerStart::Failed;
    // Connect first: a live instance keeps its socket, whatever the file looks like.
    if (SomeoneListens(m_path)) return ServerStart::AlreadyRunning;
    // The lock keeps two instances that start at the same moment from both finding
    // the socket stale and removing each other's.
    if (!TakeInstanceLock()) return m_problem.empty() ? ServerStart::AlreadyRunning : ServerStart::Failed;
    if (SomeoneListens(m_path)) {
        Stop();
        return ServerStart::AlreadyRunning;
    }
    if (!Listen()) {
        Stop();
        return ServerStart::Failed;
    }
    return ServerStart::Listening;
}

bool CCommandServer::TakeInstanceLock()
{
    const std::string lockPath = m_path + ".lock";
    m_lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lockFd < 0) {
        m_problem = lockPath + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(m_lockFd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK) m_problem = lockPath + ": " + std::strerror(errno);
    ::close(m_lockFd);
    m_lockFd = -1;
    return false;
}

bool CCommandServer::Listen()
{
    struct stat st {};
    if (::lstat(m_path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            m_problem = m_path + ": exists and is not a socket";
            return false;
        }
        ::unlink(m_path.c_str());  // left by an instance that ended without removing it
    }
    sockaddr_un address {};
    FillAddress(m_path, address);
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (m_listenFd < 0 || ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(m_path.c_str(), 0600) != 0 || ::listen(m_listenFd, SOMAXCONN) != 0) {
        m_problem = m_path + ": " + std::strerror(errno);
        if (m_listenFd >= 0) ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    m_acceptPaused = false;
    m_reactor.Watch(m_listenFd, [this] { OnListenReadable(); });
    return true;
}

void CCommandServer::Stop()
{
    while (!m_clients.empty()) CloseClient(m_clients.begin()->first);
    if (m_listenFd >= 0) {
        if (!m_acceptPaused) m_reactor.Unwatch(m_listenFd);
        ::close(m_listenFd);
        m_listenFd = -1;
        ::unlink(m_path.c_str());  // ours: nobody else binds it while we hold the lock
    }
    m_acceptPaused = false;
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
        m_lockFd = -1;
    }
}

void CCommandServer::OnListenReadable()
{
    while (m_clients.size() < m_limits.maxClients) {
        int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            // Out of descriptors: stop accepting until a client closes or the next
            // sweep, instead of waking up for the waiting connection forever.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) PauseAccepting();
            return;
        }
        if (!PeerAllowed(fd)) {
            ++m_stats.refused;
            SendNoWait(fd, std::string(kAnswerErrorPrefix) + "access denied\n");
            ::close(fd);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        client->id = m_nextClientId++;
        client->deadline = m_clock.TickMs() + m_limits.requestTimeoutMs;
        m_clients[fd] = std::move(client);
        m_stats.openClients = m_clients.size();
        m_stats.peakClients = std::max(m_stats.peakClients, m_stats.openClients);
        m_reactor.Watch(fd, [this, fd] { OnClientReadable(fd); });
    }
    PauseAccepting();  // full: the others wait in the backlog
}

void CCommandServer::PauseAccepting()
{
    if (m_acceptPaused || m_listenFd < 0) return;
    m_reactor.Unwatch(m_listenFd);
    m_acceptPaused = true;
}

void CCommandServer::ResumeAccepting()
{
    if (!m_acceptPaused || m_listenFd < 0 || m_clients.size() >= m_limits.maxClients) return;
    m_acceptPaused = false;
    m_reactor.Watch(m_listenFd, [this] { OnListenReadable(); });
}

bool CCommandServer::PeerAllowed(int fd) const
{
    ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0) return false;
    return peer.uid == m_allowedUid;
}

void CCommandServer::OnClientReadable(int fd)
{
    auto it = m_clients.find(fd);
    if (it == m_clients.end() || it->second->executing) return;
    Client& client = *it->second;
    const std::uint64_t id = client.id;
    bool closed = false;
    const bool readable = ReadAvailable(client, closed);
    if (!readable) {
        CloseClient(fd);
        return;
    }
    Advance(client);  // may answer and close the client
    if (closed) {
        auto still = m_clients.find(fd);
        if (still == m_clients.end() || still->second->id != id || still->second->executing) return;
        // The client left before its request was complete (an empty connection is
        // an instance check by a starting program, not a fault).
        if (!still->second->buffer.empty()) ++m_stats.abandoned;
        CloseClient(fd);
    }
}

// Reads what the socket holds, never more than the request still needs, so a client
// that floods gets no further than its limit. False on a read error.
bool CCommandServer::ReadAvailable(Client& client, bool& closed)
{
    char chunk[kReadChunk];
    for (;;) {
        // The header read may already hold bytes beyond a short request: never more.
        const std::size_t limit = client.headerDone ? client.headerBytes + client.topicBytes + client.dataBytes
                                                    : kMaxRequestHeaderBytes;
        const std::size_t want = limit > client.buffer.size() ? limit - client.buffer.size() : 0;
        if (want == 0) return true;
        const ssize_t n = ::recv(client.fd, chunk, std::min(want, sizeof chunk), 0);
        if (n > 0) {
            client.buffer.append(chunk, static_cast<std::size_t>(n));
            m_stats.bufferedBytes += static_cast<std::size_t>(n);
            m_stats.peakBufferedBytes = std::max(m_stats.peakBufferedBytes, m_stats.bufferedBytes);
            if (!client.headerDone && client.buffer.find('\n') != std::string::npos) return true;
            continue;
        }
        if (n == 0) {
            closed = true;
            return true;
        }
        if (errno == EINTR) continue;
        return errno == EAGAIN || errno == EWOULDBLOCK;
    }
}

void CCommandServer::Advance(Client& client)
{
    if (!client.headerDone) {
        switch (ParseHeader(client)) {
        case Header::Incomplete:
            if (client.buffer.size() >= kMaxRequestHeaderBytes) Refuse(client, "malformed request");
            return;
        case Header::Malformed:
            Refuse(client, "malformed request");
            return;
        case Header::TooLarge:
            Refuse(client, "request too large");
            return;
        case Header::Activate:
            m_handler.Activate();
            Answer(client, std::string(kAnswerAck));
            return;
        case Header::Queue: {
            const std::string answer = EncodeQueueAnswer(m_handler.PendingRequests(), client.queueAfter);
            MakeRoomFor(client.fd, answer.size());
            Answer(client, answer);
            return;
        }
        case Header::Topics: {
            std::string list;
            for (const auto& topic : m_handler.Topics()) list += topic + "\n";
            Answer(client, list);
            return;
        }
        case Header::Execute:
            client.headerDone = true;
            break;
        }
        // The rest of the request may already be waiting behind the header.
        bool closed = false;
        if (!ReadAvailable(client, closed)) {
            CloseClient(client.fd);
            return;
        }
    }
    if (client.buffer.size() >= client.headerBytes + client.topicBytes + client.dataBytes) ExecuteRequest(client);
}

CCommandServer::Header CCommandServer::ParseHeader(Client& client) const
{
    const std::size_t lf = client.buffer.find('\n');
    if (lf == std::string::npos) return Header::Incomplete;
    std::string line = client.buffer.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    client.headerBytes = lf + 1;
    if (line == "TOPICS") return Header::Topics;
    if (line == "ACTIVATE") return Header::Activate;
    if (DecodeQueueRequest(line, client.queueAfter)) return Header::Queue;

    const std::string verb = "EXECUTE ";
    if (line.compare(0, verb.size(), verb) != 0) return Header::Malformed;
    const std::size_t space = line.find(' ', verb.size());
    if (space == std::string::npos) return Header::Malformed;
    const Length topic = ParseLength(line.substr(verb.size(), space - verb.size()), m_limits.maxTopicBytes,
                                     client.topicBytes);
    const Length data = ParseLength(line.substr(space + 1), m_limits.maxDataBytes, client.dataBytes);
    if (topic == Length::Bad || data == Length::Bad) return Header::Malformed;
    if (topic == Length::TooLarge || data == Length::TooLarge) return Header::TooLarge;
    return Header::Execute;
}

void CCommandServer::ExecuteRequest(Client& client)
{
    const int fd = client.fd;
    const std::uint64_t id = client.id;
    std::string topic = client.buffer.substr(client.headerBytes, client.topicBytes);
    std::string data = client.buffer.substr(client.headerBytes + client.topicBytes, client.dataBytes);
    // A forwarding program sends its text with the terminating NUL: the text ends there.
    if (auto nul = data.find('\0'); nul != std::string::npos) data.resize(nul);
    ReleaseBuffer(client);
    client.executing = true;
    m_reactor.Unwatch(fd);
    ++m_stats.executed;

    const CommandAnswer answer = m_handler.Execute(topic, data);

    // The handler may have run a nested event loop; look the client up again.
    auto it = m_clients.find(fd);
    if (it == m_clients.end() || it->second->id != id) return;
    Answer(*it->second, std::string(answer == CommandAnswer::Ack ? kAnswerAck : kAnswerNotProcessed));
}

void CCommandServer::Answer(Client& client, const std::string& answer)
{
    SendNoWait(client.fd, answer);
    CloseClient(client.fd);
}

void CCommandServer::Refuse(Client& client, const std::string& reason)
{
    ++m_stats.refused;
    Answer(client, std::string(kAnswerErrorPrefix) + reason + "\n");
}

void CCommandServer::ReleaseBuffer(Client& client)
{
    m_stats.bufferedBytes -= client.buffer.size();
    std::string().swap(client.buffer);
}

void CCommandServer::CloseClient(int fd)
{
    auto it = m_clients.find(fd);
    if (it == m_clients.end()) return;
    ReleaseBuffer(*it->second);
    if (!it->second->executing) m_reactor.Unwatch(fd);
    ::close(fd);
    m_clients.erase(it);
    m_stats.openClients = m_clients.size();
    ResumeAccepting();
}

void CCommandServer::Sweep()
{
    const std::uint64_t now = m_clock.TickMs();
    std::vector<int> late;
    for (const auto& [fd, client] : m_clients)
        if (!client->executing && client->deadline <= now) late.push_back(fd);
    for (int fd : late) {
        auto it = m_clients.find(fd);
        if (it == m_clients.end()) continue;
        ++m_stats.timedOut;
        Refuse(*it->second, "time-out");
    }
    ResumeAccepting();
}

}  // namespace corvane
