#pragma once
// One libcurl transfer at a time, run through the event pump so that the shell stays
// alive while a mail or calendar server is waited for: the window repaints, the tick
// goes on, and the user's Cancel (or Exit) ends the transfer. No wait on the network
// is longer than the pump's interval.
//
// A session keeps its multi and easy handles between transfers, so a second transfer
// to the same server reuses the connection (and its login) when the server allows.
//
//   CCurlSession session(pump, clock);
//   CURL* easy = session.Prepare();          // options reset, the defaults set
//   curl_easy_setopt(easy, CURLOPT_URL, "imap://127.0.0.1:143/INBOX");
//   ...
//   CurlOutcome outcome = session.Perform(30000);

#include <curl/curl.h>

#include <cstdint>
#include <set>
#include <string>

#include "common/clock.h"
#include "common/event_pump.h"

namespace corvane {

struct CurlOutcome {
    CURLcode code = CURLE_OK;
    long responseCode = 0;    // the server's last reply code (SMTP, HTTP, IMAP tagged: 0)
    bool cancelled = false;   // the user's Cancel or Exit ended it
    bool timedOut = false;    // the whole transfer took longer than allowed
    std::string error;        // libcurl's own words for the failure, else empty

    bool Ok() const { return code == CURLE_OK && !cancelled && !timedOut; }
};

class CCurlSession {
public:
    CCurlSession(IEventPump& pump, const IClock& clock);
    ~CCurlSession();
    CCurlSession(const CCurlSession&) = delete;
    CCurlSession& operator=(const CCurlSession&) = delete;

    // The easy handle for the next transfer, its options reset (the open connections
    // stay) and the session's defaults set: no signals, verified TLS, a connect
    // time-out, and the CA file of CORVANE_CA_FILE when that is set (tests).
    CURL* Prepare();
    // Runs the prepared transfer to its end, at most timeoutMs milliseconds. With
    // takeEvents false the shell's events are left alone (after a cancel).
    CurlOutcome Perform(int timeoutMs, bool takeEvents = true);
    // Drops the open connections (a logoff).
    void Close();

private:
    void Open();
    void DropConnections();
    static curl_socket_t OnOpenSocket(void* self, curlsocktype purpose, curl_sockaddr* address);
    static int OnCloseSocket(void* self, curl_socket_t socket);

    IEventPump& m_pump;
    const IClock& m_clock;
    CURLM* m_multi = nullptr;
    CURL* m_easy = nullptr;
    std::set<curl_socket_t> m_sockets;  // every connection libcurl holds open for this session
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
};

// libcurl is initialised once per process, before any thread starts.
void InitialiseCurl();

// What the transfers of multi wait for now: a socket to become readable (-1: none) and
// whether one waits to become writable.
struct CurlWaitSockets {
    int readFd = -1;
    int writeFd = -1;
};
CurlWaitSockets WaitSocketsOf(CURLM* multi);

// Drives the transfer added to multi until it is done (outcome.code set, done true), at
// most timeoutMs milliseconds, or until the pump says stop. lastSocket is the socket
// libcurl last waited on (-1: none), so that a caller can cut off an attempt in flight.
struct CurlPumped {
    CurlOutcome outcome;
    bool done = false;
    int lastSocket = -1;
};
CurlPumped PumpTransfer(CURLM* multi, IEventPump& pump, const IClock& clock, int timeoutMs, bool takeEvents);

}  // namespace corvane
