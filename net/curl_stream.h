#pragma once
// A connection that libcurl opens and logs on to (TLS, STARTTLS and the protocol's own
// login are libcurl's), after which the caller speaks the protocol itself over it. The
// mail client uses it for IMAP, whose literals and partial reads libcurl's request
// interface cannot express (reading a message without marking it read, a 50 MB message
// in bounded memory).
//
// Every wait goes through the event pump in slices of at most its interval, so the
// shell stays alive; the user's Cancel or Exit ends the wait and closes the connection.

#include <curl/curl.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "common/clock.h"
#include "common/event_pump.h"
#include "net/curl_session.h"

namespace corvane {

enum class StreamResult {
    Ok,
    Closed,     // the peer closed the connection (or it broke)
    TimedOut,   // nothing happened for the time allowed
    Cancelled,  // the user's Cancel or Exit
};

struct StreamLogin {
    std::string url;  // scheme, host and port: "imap://host:143/", "imaps://host/"
    std::string user;
    std::string password;
    bool startTls = true;  // a plain connection asks for STARTTLS when the server offers it
};

class CCurlStream {
public:
    CCurlStream(IEventPump& pump, const IClock& clock);
    ~CCurlStream();
    CCurlStream(const CCurlStream&) = delete;
    CCurlStream& operator=(const CCurlStream&) = delete;

    // Connects and logs on, at most timeoutMs milliseconds. On failure the outcome says
    // why (CURLE_LOGIN_DENIED for a refused login) and nothing stays open.
    CurlOutcome Open(const StreamLogin& login, int timeoutMs);
    bool IsOpen() const { return m_open; }
    void Close();

    // Writes all of bytes; waits at most timeoutMs in all.
    StreamResult Send(std::string_view bytes, int timeoutMs);
    // Appends what has arrived, at most maxBytes; waits at most timeoutMs for the first
    // byte. Ok means at least one byte was appended.
    StreamResult Receive(std::string& into, std::size_t maxBytes, int timeoutMs);

private:
    StreamResult WaitSlice(std::uint64_t start, int timeoutMs, int fd);

    IEventPump& m_pump;
    const IClock& m_clock;
    CURLM* m_multi = nullptr;
    CURL* m_easy = nullptr;
    curl_socket_t m_socket = CURL_SOCKET_BAD;
    bool m_open = false;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
};

}  // namespace corvane
