#include "net/curl_session.h"

#include <poll.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>

namespace corvane {
namespace {

constexpr long kConnectTimeoutMs = 15000;

}  // namespace

CurlWaitSockets WaitSocketsOf(CURLM* multi)
{
    // The socket callback of libcurl reports only to curl_multi_socket_action; the fd
    // sets are asked for after each curl_multi_perform instead. (A socket numbered past
    // FD_SETSIZE is not in them: its wait then lasts the whole slice, nothing worse.)
    fd_set readSet, writeSet, errorSet;
    FD_ZERO(&readSet);
    FD_ZERO(&writeSet);
    FD_ZERO(&errorSet);
    int maxFd = -1;
    curl_multi_fdset(multi, &readSet, &writeSet, &errorSet, &maxFd);
    CurlWaitSockets sockets;
    for (int fd = 0; fd <= maxFd; ++fd) {
        if (sockets.readFd < 0 && FD_ISSET(fd, &readSet)) sockets.readFd = fd;
        if (sockets.writeFd < 0 && FD_ISSET(fd, &writeSet)) sockets.writeFd = fd;
    }
    return sockets;
}

void InitialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CCurlSession::CCurlSession(IEventPump& pump, const IClock& clock) : m_pump(pump), m_clock(clock) {}

CCurlSession::~CCurlSession()
{
    Close();
}

void CCurlSession::Open()
{
    if (m_multi) return;
    InitialiseCurl();
    m_multi = curl_multi_init();
    m_easy = curl_easy_init();
}

// libcurl says goodbye (SMTP QUIT, IMAP LOGOUT) on a connection it closes, or finishes
// an upload that was cut off, and waits for the answer without the event pump, for up to
// two minutes. A connection shut down first fails that at once, so that neither a
// logoff nor a transfer cut off at a silent server ever freezes the shell.
void CCurlSession::DropConnections()
{
    for (curl_socket_t socket : m_sockets) ::shutdown(socket, SHUT_RDWR);
}

void CCurlSession::Close()
{
    DropConnections();
    if (m_easy) curl_easy_cleanup(m_easy);
    if (m_multi) curl_multi_cleanup(m_multi);
    m_easy = nullptr;
    m_multi = nullptr;
}

CURL* CCurlSession::Prepare()
{
    Open();
    curl_easy_reset(m_easy);
    m_errorBuffer[0] = '\0';
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(m_easy, CURLOPT_OPENSOCKETFUNCTION, &CCurlSession::OnOpenSocket);
    curl_easy_setopt(m_easy, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(m_easy, CURLOPT_CLOSESOCKETFUNCTION, &CCurlSession::OnCloseSocket);
    curl_easy_setopt(m_easy, CURLOPT_CLOSESOCKETDATA, this);
    // Tests bring a CA of their own; users rely on the system's store.
    if (const char* caFile = std::getenv("CORVANE_CA_FILE"); caFile && *caFile)
        curl_easy_setopt(m_easy, CURLOPT_CAINFO, caFile);
    return m_easy;
}

curl_socket_t CCurlSession::OnOpenSocket(void* self, curlsocktype, curl_sockaddr* address)
{
    curl_socket_t socket = ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
    if (socket != CURL_SOCKET_BAD) static_cast<CCurlSession*>(self)->m_sockets.insert(socket);
    return socket;
}

int CCurlSession::OnCloseSocket(void* self, curl_socket_t socket)
{
    static_cast<CCurlSession*>(self)->m_sockets.erase(socket);
    return ::close(socket);
}

CurlPumped PumpTransfer(CURLM* multi, IEventPump& pump, const IClock& clock, int timeoutMs, bool takeEvents)
{
    CurlPumped result;
    const std::uint64_t start = clock.TickMs();
    while (!result.done) {
        int running = 0;
        curl_multi_perform(multi, &running);
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE) continue;
            result.outcome.code = message->data.result;
            result.done = true;
        }
        if (result.done || running == 0) break;

        std::uint64_t elapsed = clock.TickMs() - start;
        if (elapsed >= static_cast<std::uint64_t>(timeoutMs)) {
            result.outcome.timedOut = true;
            break;
        }
        long curlWait = -1;
        curl_multi_timeout(multi, &curlWait);
        int wait = std::min<int>(kPumpIntervalMs, static_cast<int>(timeoutMs - elapsed));
        if (curlWait >= 0) wait = std::min<int>(wait, static_cast<int>(curlWait));

        // The pump waits for a readable descriptor only: a socket that libcurl wants to
        // write to (a connect in progress, a large upload) is looked at directly and
        // the pump only takes its events meanwhile.
        CurlWaitSockets sockets = WaitSocketsOf(multi);
        result.lastSocket = sockets.readFd >= 0 ? sockets.readFd : sockets.writeFd;
        if (sockets.writeFd >= 0) {
            pollfd p{sockets.writeFd, POLLOUT, 0};
            if (::poll(&p, 1, 0) > 0) wait = 0;
            else wait = std::min(wait, 5);
        }
        if (pump.Wait(std::max(wait, 0), sockets.readFd, takeEvents) != PumpResult::Continue) {
            result.outcome.cancelled = true;
            break;
        }
    }
    return result;
}

CurlOutcome CCurlSession::Perform(int timeoutMs, bool takeEvents)
{
    Open();
    curl_multi_add_handle(m_multi, m_easy);
    const CurlPumped pumped = PumpTransfer(m_multi, m_pump, m_clock, timeoutMs, takeEvents);
    CurlOutcome outcome = pumped.outcome;
    const bool done = pumped.done;
    if (done) curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &outcome.responseCode);
    outcome.error = m_errorBuffer;
    if (outcome.error.empty() && outcome.code != CURLE_OK) outcome.error = curl_easy_strerror(outcome.code);
    if (!done) DropConnections();  // see DropConnections: no goodbye waited for
    curl_multi_remove_handle(m_multi, m_easy);
    if (outcome.cancelled || outcome.timedOut) {
        // A transfer cut off in the middle leaves its connection in an unknown state.
        Close();
    }
    return outcome;
}

}  // namespace corvane
