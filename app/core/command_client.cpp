#include "app/core/command_client.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "app/core/command_socket.h"
#include "app/core/queue_listing.h"
#include "common/clock.h"

namespace corvane {
namespace {

constexpr std::size_t kMaxAnswerBytes = 4096;
// A page of the list of pending requests: its budget and one request of the largest size.
constexpr std::size_t kMaxQueueAnswerBytes = kQueueAnswerBudget + 4 * (kMaxDataBytes + 1024);

class CSocket {
public:
    CSocket() : m_fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
    ~CSocket() { if (m_fd >= 0) ::close(m_fd); }
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;
    int fd() const { return m_fd; }
private:
    int m_fd;
};

// Milliseconds left before the deadline; -1 without one, 0 when it has passed.
class CDeadline {
public:
    explicit CDeadline(int timeoutMs)
        : m_endless(timeoutMs <= 0), m_end(m_clock.TickMs() + static_cast<std::uint64_t>(std::max(timeoutMs, 0)))
    {
    }
    int Left() const
    {
        if (m_endless) return -1;
        const std::uint64_t now = m_clock.TickMs();
        return now >= m_end ? 0 : static_cast<int>(m_end - now);
    }
private:
    CSystemClock m_clock;
    bool m_endless;
    std::uint64_t m_end;
};

CommandReply NoInstance(std::string why)
{
    return {CommandStatus::NoInstance, std::move(why)};
}

bool Connect(int fd, const std::string& path, const CDeadline& deadline)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    // A blocking connect waits while the server's backlog is full; the send time-out
    // bounds that wait.
    if (const int left = deadline.Left(); left > 0) {
        timeval tv {left / 1000, (left % 1000) * 1000};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    }
    for (;;) {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return true;
        if (errno != EINTR) return false;
    }
}

bool PeerIsThisUser(int fd)
{
    ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
}

bool WaitFor(int fd, short events, const CDeadline& deadline)
{
    for (;;) {
        const int left = deadline.Left();
        if (left == 0) return false;
        pollfd p {fd, events, 0};
        const int rc = ::poll(&p, 1, left);
        if (rc > 0) return true;
        if (rc < 0 && errno == EINTR) continue;
        if (rc == 0) return false;
        return false;
    }
}

// Sends the request; stops early without failing when the server has closed its side
// (it answers a request it refuses before reading all of it). False on time-out.
bool SendAll(int fd, const std::string& request, const CDeadline& deadline)
{
    std::size_t done = 0;
    while (done < request.size()) {
        if (!WaitFor(fd, POLLOUT, deadline)) return false;
        const ssize_t n = ::send(fd, request.data() + done, request.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return true;
        }
    }
    ::shutdown(fd, SHUT_WR);
    return true;
}

// Reads the answer up to the server's close. False on time-out.
bool ReceiveAll(int fd, std::string& answer, const CDeadline& deadline, std::size_t limit)
{
    char chunk[4096];
    while (answer.size() < limit) {
        if (!WaitFor(fd, POLLIN, deadline)) return false;
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n > 0) {
            answer.append(chunk, static_cast<std::size_t>(n));
        } else if (n == 0) {
            return true;
        } else if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
            return true;  // reset after the answer: what came is what there is
        }
    }
    return true;
}

}  // namespace

CommandReply CCommandClient::Exchange(const std::string& request, std::string& answer, int timeoutMs,
                                      std::size_t limit) const
{
    std::string path;
    std::string problem;
    if (!CommandSocketPath(m_title, false, path, problem)) return NoInstance(problem);
    const CDeadline deadline(timeoutMs);
    CSocket socket;
    if (socket.fd() < 0) return NoInstance(std::strerror(errno));
    if (!Connect(socket.fd(), path, deadline)) return NoInstance(path + ": " + std::strerror(errno));
    // The folder is private, but a socket of another user must never get our pages.
    if (!PeerIsThisUser(socket.fd())) return NoInstance(path + ": served by another user");
    ::fcntl(socket.fd(), F_SETFL, ::fcntl(socket.fd(), F_GETFL) | O_NONBLOCK);
    if (!SendAll(socket.fd(), request, deadline) || !ReceiveAll(socket.fd(), answer, deadline, limit))
        return NoInstance("no answer within " + std::to_string(timeoutMs) + " ms");
    if (answer.empty()) return NoInstance("the connection was closed without an answer");
    return {CommandStatus::Ack, ""};
}

CommandReply CCommandClient::Execute(const std::string& topic, const std::string& data, int timeoutMs) const
{
    std::string answer;
    CommandReply reply = Exchange(EncodeExecuteRequest(topic, data), answer, timeoutMs, kMaxAnswerBytes);
    if (reply.status != CommandStatus::Ack) return reply;
    const std::string line = answer.substr(0, answer.find('\n') + 1);
    if (line == kAnswerAck) return {CommandStatus::Ack, ""};
    if (line == kAnswerNotProcessed) return {CommandStatus::NotProcessed, ""};
    if (line.compare(0, kAnswerErrorPrefix.size(), kAnswerErrorPrefix) == 0 && line.back() == '\n')
        return {CommandStatus::Refused, line.substr(kAnswerErrorPrefix.size(), line.size() - kAnswerErrorPrefix.size() - 1)};
    return NoInstance("an answer this program does not know");
}

CommandReply CCommandClient::Topics(std::vector<std::string>& topics, int timeoutMs) const
{
    topics.clear();
    std::string answer;
    CommandReply reply = Exchange("TOPICS\n", answer, timeoutMs, kMaxAnswerBytes);
    if (reply.status != CommandStatus::Ack) return reply;
    if (answer.compare(0, kAnswerErrorPrefix.size(), kAnswerErrorPrefix) == 0) {
        std::string reason = answer.substr(kAnswerErrorPrefix.size());
        if (!reason.empty() && reason.back() == '\n') reason.pop_back();
        return {CommandStatus::Refused, reason};
    }
    std::size_t start = 0;
    for (std::size_t lf; (lf = answer.find('\n', start)) != std::string::npos; start = lf + 1)
        topics.push_back(answer.substr(start, lf - start));
    return reply;
}

bool CCommandClient::Activate(int timeoutMs) const
{
    std::string answer;
    return Exchange("ACTIVATE\n", answer, timeoutMs, kMaxAnswerBytes).status == CommandStatus::Ack &&
           answer == kAnswerAck;
}

CommandReply CCommandClient::Queue(std::vector<SpooledRequest>& pending, int timeoutMs) const
{
    pending.clear();
    // The list comes in pages, each small enough to leave the instance without waiting.
    for (bool more = true; more;) {
        std::string answer;
        const std::uint64_t after = pending.empty() ? 0 : pending.back().id;
        CommandReply reply = Exchange(EncodeQueueRequest(after), answer, timeoutMs, kMaxQueueAnswerBytes);
        if (reply.status != CommandStatus::Ack) return reply;
        if (answer.compare(0, kAnswerErrorPrefix.size(), kAnswerErrorPrefix) == 0) {
            std::string reason = answer.substr(kAnswerErrorPrefix.size());
            if (!reason.empty() && reason.back() == '\n') reason.pop_back();
            return {CommandStatus::Refused, reason};
        }
        const std::size_t before = pending.size();
        if (!DecodeQueueAnswer(answer, pending, more) || (more && pending.size() == before))
            return NoInstance("a list of pending requests this program cannot read");
    }
    return {CommandStatus::Ack, ""};
}

bool CCommandClient::ForwardPageCommand(const std::string& command) const
{
    std::string text = command;
    text += '\0';
    return Execute("SendPage", text, kForwardTimeoutMs).status == CommandStatus::Ack;
}

}  // namespace corvane
