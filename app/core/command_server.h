#pragma once
// The command server: other programs of the same user queue and send pages, open the
// new-pager step, make the program re-read its pagers or close it, through a local
// socket named after the program title (wire format and place: command_socket.h).
//
// It never blocks the event loop: the listening socket and every client are watched
// through the IReactor and read without waiting. Each client has a bounded buffer
// (header, topic and data limits) and a deadline for its whole request; Sweep(), which
// the one-second tick calls, drops the clients that missed it. Clients beyond the
// limit wait in the listen backlog until a slot frees.
//
// The handler runs inside the event loop's callback and may itself run a nested loop
// (a modal dialog): other clients are served meanwhile. The server must not be
// destroyed from inside its handler.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

#include "app/core/command_socket.h"
#include "common/clock.h"
#include "common/reactor.h"
#include "engine/request_spool.h"

namespace corvane {

enum class CommandAnswer { Ack, NotProcessed };

class ICommandHandler {
public:
    virtual ~ICommandHandler() = default;
    // data is already cut at its first NUL. The answer only says whether the topic's
    // action was taken; it says nothing about delivery.
    virtual CommandAnswer Execute(const std::string& topic, const std::string& data) = 0;
    // The topics in the order that a TOPICS request lists them.
    virtual std::vector<std::string> Topics() const = 0;
    // A second start of the program asks the running one to come to the front.
    virtual void Activate() {}
    // The requests accepted and not yet settled, in their order (corvane-ctl --queue).
    virtual std::vector<SpooledRequest> PendingRequests() const { return {}; }
};

struct CommandServerLimits {
    std::size_t maxTopicBytes = kMaxTopicBytes;
    std::size_t maxDataBytes = kMaxDataBytes;
    std::size_t maxClients = 64;
    std::uint64_t requestTimeoutMs = 5000;  // from the connection to the last byte of the request
};

struct CommandServerStats {
    std::size_t openClients = 0;
    std::size_t peakClients = 0;
    std::size_t bufferedBytes = 0;      // request bytes held now, over all clients
    std::size_t peakBufferedBytes = 0;
    std::uint64_t executed = 0;         // requests handed to the handler
    std::uint64_t refused = 0;          // ERROR answers (too large, malformed, time-out, stranger)
    std::uint64_t timedOut = 0;
    std::uint64_t abandoned = 0;        // the client left before its request was complete
};

enum class ServerStart {
    Listening,
    AlreadyRunning,  // another instance of this title answers on the socket
    Failed,          // no private folder or no socket: the program runs without the server
};

class CCommandServer {
public:
    CCommandServer(IReactor& reactor, const IClock& clock, ICommandHandler& handler,
                   CommandServerLimits limits = {});
    ~CCommandServer();
    CCommandServer(const CCommandServer&) = delete;
    CCommandServer& operator=(const CCommandServer&) = delete;

    ServerStart Start(const std::string& title);
    void Stop();
    // Drops the clients whose request did not arrive in time; call once a second.
    void Sweep();

    bool IsListening() const { return m_listenFd >= 0; }
    const std::string& SocketPath() const { return m_path; }
    const std::string& Problem() const { return m_problem; }  // why Start failed
    const CommandServerStats& Stats() const { return m_stats; }
    // Only this user's programs are served; tests pick another uid to see a refusal.
    void SetAllowedUid(uid_t uid) { m_allowedUid = uid; }

private:
    struct Client {
        int fd = -1;
        std::uint64_t id = 0;
        std::uint64_t deadline = 0;
        std::string buffer;
        bool headerDone = false;
        std::size_t headerBytes = 0;
        std::size_t topicBytes = 0;
        std::size_t dataBytes = 0;
        std::uint64_t queueAfter = 0;
        bool executing = false;
    };
    enum class Header { Incomplete, Execute, Topics, Activate, Queue, TooLarge, Malformed };

    bool TakeInstanceLock();
    bool Listen();
    void OnListenReadable();
    void PauseAccepting();
    void ResumeAccepting();
    bool PeerAllowed(int fd) const;
    void OnClientReadable(int fd);
    bool ReadAvailable(Client& client, bool& closed);
    void Advance(Client& client);
    Header ParseHeader(Client& client) const;
    void ExecuteRequest(Client& client);
    void Answer(Client& client, const std::string& answer);
    void Refuse(Client& client, const std::string& reason);
    void CloseClient(int fd);
    void ReleaseBuffer(Client& client);

    IReactor& m_reactor;
    const IClock& m_clock;
    ICommandHandler& m_handler;
    CommandServerLimits m_limits;
    uid_t m_allowedUid;
    std::string m_path;
    std::string m_problem;
    int m_listenFd = -1;
    int m_lockFd = -1;
    bool m_acceptPaused = false;
    std::uint64_t m_nextClientId = 1;
    std::map<int, std::unique_ptr<Client>> m_clients;
    CommandServerStats m_stats;
};

}  // namespace corvane
