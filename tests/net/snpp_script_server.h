#pragma once
// A scripted SNPP server on 127.0.0.1 (a free port) for the client's tests. It runs in a
// thread of the test, greets every connection and answers each command line with what
// the test told it: any reply, silence, a reply cut into pieces written one by one, or
// a closed connection. It records every byte it received.
//
// With the fake clock, ReadyFor() is the fake pump's `ready` hook: it waits (in real
// time) until the server has dealt with everything the client sent, and then says
// whether an answer is waiting on the client's socket. A silent server thus costs no
// real time, and a server that does answer is never outrun by the fake clock.

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace corvane::test {

class CScriptedSnppServer {
public:
    struct Action {
        enum class Kind { Reply, Silent, Hangup } kind = Kind::Reply;
        std::string bytes;               // what is written, CR LF included
        std::vector<std::size_t> cuts;   // write the reply in pieces, cut at these offsets
        int pauseMs = 0;                 // real time between the pieces
        bool hangupAfter = false;        // close the connection after the reply
    };
    static Action Say(const std::string& line) { return {Action::Kind::Reply, line + "\r\n", {}, 0, false}; }
    static Action SayAndHangup(const std::string& line) { return {Action::Kind::Reply, line + "\r\n", {}, 0, true}; }
    static Action Raw(const std::string& bytes) { return {Action::Kind::Reply, bytes, {}, 0, false}; }
    static Action Silence() { return {Action::Kind::Silent, {}, {}, 0, false}; }
    static Action Hangup() { return {Action::Kind::Hangup, {}, {}, 0, false}; }
    static Action Split(const std::string& line, std::vector<std::size_t> cuts, int pauseMs)
    {
        return {Action::Kind::Reply, line + "\r\n", std::move(cuts), pauseMs, false};
    }

    CScriptedSnppServer();
    ~CScriptedSnppServer();
    CScriptedSnppServer(const CScriptedSnppServer&) = delete;
    CScriptedSnppServer& operator=(const CScriptedSnppServer&) = delete;

    int port() const { return m_port; }
    std::string Dial() const { return "SNPP:127.0.0.1:" + std::to_string(m_port); }

    // The greeting of the next connection (one each, in order; then "220 SNPP server ready").
    void Greet(Action action);
    // The answer to the next command with this verb (PAGE, MESS, SEND, RESE, QUIT, ...),
    // one each in order; when they are used up, the one set with Always, else the default.
    void Next(const std::string& verb, Action action);
    void Always(const std::string& verb, Action action);

    // Every line received as "<connection> <line>" (CR LF removed), connections from 1,
    // and "<connection> <closed>" when the client closed its end. Both this and Received
    // first let the server deal with whatever is still on its way.
    std::vector<std::string> Log();
    // The bytes received on one connection, exactly.
    std::string Received(int connection);
    // Waits (up to 5 s) until the server has dealt with all it has received.
    void Settle();
    int Connections() const;
    // How many command lines with this verb arrived.
    int Count(const std::string& verb) const;

    // For CFakePump::ready: see above.
    bool ReadyFor(int clientFd);

private:
    struct Connection {
        int fd;
        int number;
        std::string pending;
        std::string received;
    };

    void Run();
    void Accept(std::unique_lock<std::mutex>& lock);
    void Serve(Connection& c, std::unique_lock<std::mutex>& lock);
    Action Answer(const std::string& line);
    // False when the connection is to be closed.
    bool Perform(Connection& c, const Action& action, std::unique_lock<std::mutex>& lock);
    bool Quiescent();

    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    int m_port = 0;
    mutable std::mutex m_mutex;
    bool m_busy = false;  // in the middle of a reply written in pieces
    std::vector<Connection> m_connections;
    std::vector<Action> m_greetings;
    std::map<std::string, std::vector<Action>> m_next;
    std::map<std::string, Action> m_always;
    std::vector<std::string> m_log;
    std::map<int, std::string> m_received;
    std::map<std::string, int> m_counts;
    int m_connectionCount = 0;
    std::thread m_thread;
};

}  // namespace corvane::test
