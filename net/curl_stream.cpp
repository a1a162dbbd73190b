#include "net/curl_stream.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>

namespace corvane {
namespace {

constexpr long kConnectTimeoutMs = 15000;

int SocketOf(CURL* easy)
{
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(easy, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK) return CURL_SOCKET_BAD;
    return socket;
}

}  // namespace

CCurlStream::CCurlStream(IEventPump& pump, const IClock& clock) : m_pump(pump), m_clock(clock) {}

CCurlStream::~CCurlStream()
{
    Close();
}

void CCurlStream::Close()
{
    // Shut down first: libcurl then has no goodbye to wait for (see CCurlSession).
    if (m_socket != CURL_SOCKET_BAD) ::shutdown(m_socket, SHUT_RDWR);
    // Removing a connect-only transfer from its multi handle closes its connection.
    if (m_multi && m_easy) curl_multi_remove_handle(m_multi, m_easy);
    if (m_easy) curl_easy_cleanup(m_easy);
    if (m_multi) curl_multi_cleanup(m_multi);
    m_easy = nullptr;
    m_multi = nullptr;
    m_socket = CURL_SOCKET_BAD;
    m_open = false;
}

CurlOutcome CCurlStream::Open(const StreamLogin& login, int timeoutMs)
{
    Close();
    InitialiseCurl();
    m_multi = curl_multi_init();
    m_easy = curl_easy_init();

    m_errorBuffer[0] = '\0';
    curl_easy_setopt(m_easy, CURLOPT_URL, login.url.c_str());
    curl_easy_setopt(m_easy, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(m_easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(m_easy, CURLOPT_ERRORBUFFER, m_errorBuffer);
    curl_easy_setopt(m_easy, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(m_easy, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(m_easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (const char* caFile = std::getenv("CORVANE_CA_FILE"); caFile && *caFile)
        curl_easy_setopt(m_easy, CURLOPT_CAINFO, caFile);
    // A server that offers STARTTLS gets it; its certificate must verify like any other.
    if (login.startTls) curl_easy_setopt(m_easy, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    curl_easy_setopt(m_easy, CURLOPT_USERNAME, login.user.c_str());
    curl_easy_setopt(m_easy, CURLOPT_PASSWORD, login.password.c_str());
    curl_multi_add_handle(m_multi, m_easy);

    const CurlPumped pumped = PumpTransfer(m_multi, m_pump, m_clock, timeoutMs, true);
    CurlOutcome outcome = pumped.outcome;
    const bool done = pumped.done;
    const int connecting = pumped.lastSocket;  // the socket of the attempt, shut down when it is cut off
    outcome.error = m_errorBuffer;
    if (outcome.error.empty() && outcome.code != CURLE_OK) outcome.error = curl_easy_strerror(outcome.code);
    if (!done && connecting >= 0) ::shutdown(connecting, SHUT_RDWR);
    if (!outcome.Ok() || (m_socket = SocketOf(m_easy)) == CURL_SOCKET_BAD) {
        if (outcome.Ok()) outcome.code = CURLE_COULDNT_CONNECT;
        Close();
        return outcome;
    }
    m_open = true;
    return outcome;
}

// One slice of a wait on fd (-1: just time). Ok when the wait may go on.
StreamResult CCurlStream::WaitSlice(std::uint64_t start, int timeoutMs, int fd)
{
    std::uint64_t elapsed = m_clock.TickMs() - start;
    if (elapsed >= static_cast<std::uint64_t>(timeoutMs)) return StreamResult::TimedOut;
    int wait = std::min<int>(kPumpIntervalMs, static_cast<int>(timeoutMs - elapsed));
    if (m_pump.Wait(wait, fd, true) != PumpResult::Continue) {
        Close();
        return StreamResult::Cancelled;
    }
    return StreamResult::Ok;
}

StreamResult CCurlStream::Send(std::string_view bytes, int timeoutMs)
{
    const std::uint64_t start = m_clock.TickMs();
    while (!bytes.empty()) {
        if (!m_open) return StreamResult::Closed;
        std::size_t sent = 0;
        CURLcode code = curl_easy_send(m_easy, bytes.data(), bytes.size(), &sent);
        if (code == CURLE_OK) {
            bytes.remove_prefix(sent);
            continue;
        }
        if (code != CURLE_AGAIN) {
            Close();
            return StreamResult::Closed;
        }
        pollfd p{m_socket, POLLOUT, 0};
        if (::poll(&p, 1, 0) > 0) continue;
        if (StreamResult waited = WaitSlice(start, timeoutMs, -1); waited != StreamResult::Ok) return waited;
    }
    return StreamResult::Ok;
}

StreamResult CCurlStream::Receive(std::string& into, std::size_t maxBytes, int timeoutMs)
{
    const std::uint64_t start = m_clock.TickMs();
    char chunk[16384];
    bool got = false;
    while (m_open && maxBytes > 0) {
        std::size_t received = 0;
        CURLcode code = curl_easy_recv(m_easy, chunk, std::min(sizeof chunk, maxBytes), &received);
        if (code == CURLE_OK && received > 0) {
            into.append(chunk, received);
            maxBytes -= received;
            got = true;
            continue;
        }
        if (code == CURLE_AGAIN) {
            // Everything that had arrived is taken: hand it over before waiting again.
            if (got) return StreamResult::Ok;
            if (StreamResult waited = WaitSlice(start, timeoutMs, m_socket); waited != StreamResult::Ok) return waited;
            continue;
        }
        Close();
        return got ? StreamResult::Ok : StreamResult::Closed;
    }
    return got ? StreamResult::Ok : StreamResult::Closed;
}

}  // namespace corvane
