#pragma once
// A scripted SNPP server on 127.0.0.1 (a free port) for the client's tests. It runs in a
// thread of the test, greets every connection and answers each command line with what
// the test told it: any reply, silence, a reply cut into pieces written one by one, or a
// closed connection. It records every byte it received.
//
// With the fake clock, ReadyFor() is the fake pump's `ready` hook: it waits (in real time)
// until the server has dealt with everything the client sent, then says whether an answer
// waits on the client's socket. A silent server thus costs no real time, and a server
// that does answer is never outrun by the fake clock.

#include <fcntl.h>
#include <linux/sockios.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/net/loopback.h"

namespace corvane::test {

class CScriptedSnppServer {
public:
    struct Action {
        enum class Kind { Reply, Silent, Hangup } kind = Kind::Reply;
        std::string bytes{};              // what is written, CR LF included
        std::vector<std::size_t> cuts{};  // write the reply in pieces, cut at these offsets
        int pauseMs = 0;                  // real time between the pieces
    };
    static Action Say(const std::string& line) { return {Action::Kind::Reply, line + "\r\n"}; }
    static Action Raw(const std::string& bytes) { return {Action::Kind::Reply, bytes}; }
    static Action Silence() { return {Action::Kind::Silent}; }
    static Action Hangup() { return {Action::Kind::Hangup}; }
    static Action Split(const std::string& line, std::vector<std::size_t> cuts, int pauseMs)
    {
        return {Action::Kind::Reply, line + "\r\n", std::move(cuts), pauseMs};
    }

    CScriptedSnppServer()
    {
        if (m_listener.port() == 0 || ::pipe2(m_wake, O_CLOEXEC) != 0)
            throw std::runtime_error("scripted SNPP server: cannot listen on 127.0.0.1");
        m_thread = std::thread([this] { Run(); });
    }
    ~CScriptedSnppServer()
    {
        (void)!::write(m_wake[1], "x", 1);
        m_thread.join();
        for (Connection& c : m_connections) ::close(c.fd);
        for (int fd : m_wake) ::close(fd);
    }
    CScriptedSnppServer(const CScriptedSnppServer&) = delete;
    CScriptedSnppServer& operator=(const CScriptedSnppServer&) = delete;

    int port() const { return m_listener.port(); }
    std::string Dial() const { return "SNPP:127.0.0.1:" + std::to_string(port()); }

    // The greeting of the next connection (one each, in order; then "220 SNPP server ready").
    void Greet(Action action) { Locked([&] { m_greetings.push_back(std::move(action)); }); }
    // The answer to the next command with this verb (PAGE, MESS, SEND, RESE, QUIT, ...),
    // one each in order; when they are used up, the one set with Always, else the default.
    void Next(const std::string& verb, Action action) { Locked([&] { m_next[verb].push_back(std::move(action)); }); }
    void Always(const std::string& verb, Action action) { Locked([&] { m_always[verb] = std::move(action); }); }

    // Every line received as "<connection> <line>" (CR LF removed), connections from 1, and
    // "<connection> <closed>" when the client closed its end. This and Received first let
    // the server deal with whatever is still on its way.
    std::vector<std::string> Log() { return Settled([&] { return m_log; }); }
    // The bytes received on one connection, exactly.
    std::string Received(int connection) { return Settled([&] { return m_received[connection]; }); }
    int Connections() { return Settled([&] { return m_connectionCount; }); }
    // How many command lines with this verb arrived.
    int Count(const std::string& verb)
    {
        return Settled([&] { return static_cast<int>(std::ranges::count(m_verbs, verb)); });
    }

    // For CFakePump::ready: see above.
    bool ReadyFor(int clientFd)
    {
        return Until([&] { return Readable(clientFd, 0) || Quiescent(); }) && Readable(clientFd, 1);
    }

private:
    struct Connection {
        int fd;
        int number;
        std::string pending;
    };

    template <class F>
    auto Locked(F f) -> decltype(f())
    {
        std::lock_guard lock(m_mutex);
        return f();
    }
    template <class F>
    auto Settled(F f) -> decltype(f())
    {
        Until([&] { return Quiescent(); });
        return Locked(f);
    }
    // Waits in real time, at most 5 s, for the condition.
    template <class F>
    static bool Until(F condition)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        for (; !condition(); std::this_thread::sleep_for(std::chrono::microseconds(200)))
            if (std::chrono::steady_clock::now() > deadline) return false;
        return true;
    }
    static bool Readable(int fd, int timeoutMs)
    {
        pollfd p{fd, POLLIN, 0};
        return fd >= 0 && ::poll(&p, 1, timeoutMs) > 0 && (p.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    }
    // Nothing received is left unhandled: no connection waiting to be accepted, no bytes or
    // end of stream waiting on a connection, no reply half written or still in the send queue.
    bool Quiescent()
    {
        std::lock_guard lock(m_mutex);
        if (m_busy || Readable(m_listener.fd(), 0)) return false;
        return std::ranges::none_of(m_connections, [](const Connection& c) {
            int unsent = 0;
            return Readable(c.fd, 0) || (::ioctl(c.fd, SIOCOUTQNSD, &unsent) == 0 && unsent > 0);
        });
    }

    void Run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            std::vector<pollfd> fds{{m_wake[0], POLLIN, 0}, {m_listener.fd(), POLLIN, 0}};
            for (const Connection& c : m_connections) fds.push_back({c.fd, POLLIN, 0});
            lock.unlock();
            ::poll(fds.data(), fds.size(), -1);
            lock.lock();
            if (fds[0].revents) return;
            if (fds[1].revents) Accept(lock);
            for (std::size_t i = 2; i < fds.size(); ++i) {
                auto it = std::ranges::find(m_connections, fds[i].fd, &Connection::fd);
                if (fds[i].revents && it != m_connections.end()) Serve(*it, lock);
            }
            std::erase_if(m_connections, [](const Connection& c) { return c.fd < 0; });
        }
    }
    void Accept(std::unique_lock<std::mutex>& lock)
    {
        int fd = ::accept4(m_listener.fd(), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) return;
        // Each piece of a split reply goes out at once, not held back for the client's ACK.
        int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        m_connections.push_back({fd, ++m_connectionCount, {}});
        Action greeting = Say("220 SNPP server ready");
        if (!m_greetings.empty()) {
            greeting = m_greetings.front();
            m_greetings.erase(m_greetings.begin());
        }
        Perform(m_connections.back(), greeting, lock);
    }
    void Serve(Connection& c, std::unique_lock<std::mutex>& lock)
    {
        char buffer[4096];
        ssize_t n = ::recv(c.fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0) {
            m_log.push_back(std::to_string(c.number) + " <closed>");
            ::close(std::exchange(c.fd, -1));
            return;
        }
        c.pending.append(buffer, static_cast<std::size_t>(n));
        m_received[c.number].append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; c.fd >= 0 && (end = c.pending.find('\n')) != std::string::npos;) {
            std::string line = c.pending.substr(0, end);
            c.pending.erase(0, end + 1);
            if (line.ends_with('\r')) line.pop_back();
            m_log.push_back(std::to_string(c.number) + " " + line);
            std::string verb = line.substr(0, 4);
            std::ranges::transform(verb, verb.begin(), [](unsigned char ch) { return std::toupper(ch); });
            m_verbs.push_back(verb);
            Perform(c, Answer(verb), lock);
            if (verb == "QUIT" && c.fd >= 0) ::close(std::exchange(c.fd, -1));
        }
    }
    Action Answer(const std::string& verb)
    {
        if (auto& next = m_next[verb]; !next.empty()) {
            Action action = next.front();
            next.erase(next.begin());
            return action;
        }
        if (auto always = m_always.find(verb); always != m_always.end()) return always->second;
        static const std::map<std::string, std::string> defaults{
            {"PAGE", "250 Pager ID Accepted"}, {"MESS", "250 Message OK"}, {"SEND", "250 Message Sent Successfully"},
            {"RESE", "250 RESET OK"},          {"QUIT", "221 OK, Goodbye"},
        };
        auto def = defaults.find(verb);
        return Say(def == defaults.end() ? "500 Command Not Implemented, Try Again" : def->second);
    }
    void Perform(Connection& c, const Action& action, std::unique_lock<std::mutex>& lock)
    {
        if (action.kind == Action::Kind::Hangup) ::close(std::exchange(c.fd, -1));
        if (action.kind != Action::Kind::Reply) return;
        std::size_t from = 0;
        auto write = [&](std::size_t to) {
            for (ssize_t n = 0; from < to; from += static_cast<std::size_t>(n))
                if ((n = ::send(c.fd, action.bytes.data() + from, to - from, MSG_NOSIGNAL)) <= 0) return;
        };
        for (std::size_t cut : action.cuts) {
            write(std::min(cut, action.bytes.size()));
            // Between the pieces the lock is free, but the server is not done.
            m_busy = true;
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(action.pauseMs));
            lock.lock();
            m_busy = false;
        }
        write(action.bytes.size());
    }

    CLoopbackListener m_listener;
    int m_wake[2] = {-1, -1};
    std::mutex m_mutex;
    bool m_busy = false;  // in the middle of a reply written in pieces
    std::vector<Connection> m_connections;
    std::vector<Action> m_greetings;
    std::map<std::string, std::vector<Action>> m_next;
    std::map<std::string, Action> m_always;
    std::vector<std::string> m_log;
    std::vector<std::string> m_verbs;
    std::map<int, std::string> m_received;
    int m_connectionCount = 0;
    std::thread m_thread;
};

}  // namespace corvane::test
