#include "net/snpp_client.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "common/decimal.h"

namespace corvane {
namespace {

// A reply is kept up to this size; what a misbehaving server sends beyond it is dropped,
// except the last two bytes, which tell whether the reply has ended.
constexpr std::size_t kMaxReplyBytes = 4096;
constexpr std::size_t kRecvChunk = 1024;

bool EndsWithCrLf(const std::string& buffer)
{
    return buffer.size() >= 2 && buffer[buffer.size() - 2] == '\r' && buffer.back() == '\n';
}

void AppendBounded(std::string& buffer, const char* data, std::size_t size)
{
    buffer.append(data, size);
    if (buffer.size() <= kMaxReplyBytes) return;
    std::string tail = buffer.substr(buffer.size() - 2);
    buffer.resize(kMaxReplyBytes - 2);
    buffer += tail;
}

// The result texts; %1 server text, %2 host, %3 port, %4 the PIN as the pager holds it,
// %5 the socket error number.
struct ErrorTexts {
    int code;
    const char* single;
    const char* several;
};
constexpr const char* kConnectPrefix = "Unable to establish SNPP connection to the paging company at %2 on port %3.  ";
const std::array<ErrorTexts, 10> kErrorTexts{{
    {kSnppNoSocket, "Unable to create a socket.  Error code %5 was received.", nullptr},
    {kSnppConnectTimeout, "There was no response to the connect request.", nullptr},
    {kSnppConnectRefused, "The connection was refused.", nullptr},
    {kSnppConnectFailed, "Error code %5 was received.", nullptr},
    {kSnppBadGreeting, "Error connecting to SNPP server.  The paging server returned the message \"%1\".", nullptr},
    {kSnppPageRejected,
     "Error sending PIN number %4 to SNPP server at %2 on port %3.  The paging server returned the message \"%1\".",
     "Error sending a PIN to one or more of the selected pagers on SNPP server at %2 on port %3.  The paging server "
     "returned the message \"%1\"."},
    {kSnppMessRejected,
     "Error submitting message to PIN number %4 to SNPP server at %2 on port %3.  The paging server returned the "
     "message \"%1\".",
     "Error submitting messages to one or more of the selected pagers on SNPP server at %2 on port %3.  The paging "
     "server returned the message \"%1\"."},
    {kSnppSendRejected,
     "Error sending page to PIN number %4 to SNPP server at %2 on port %3.  The paging server returned the message "
     "\"%1\".",
     "Error sending pages to one or more of the selected pagers on SNPP server at %2 on port %3.  The paging server "
     "returned the message \"%1\"."},
    {kSnppCancelled, "Page cancelled", nullptr},
    // No complete reply in time after PAGE, MESS or SEND.
    {kSnppNoReply,
     "No response was received from the SNPP server at %2 on port %3 while sending to PIN number %4.  The page may "
     "not have been delivered.",
     "No response was received from the SNPP server at %2 on port %3 while sending to one or more of the selected "
     "pagers.  The pages may not have been delivered."},
}};

// One pass, so that a server text holding "%2" is shown as it came.
std::string Expand(std::string_view pattern, const std::array<std::string, 5>& values)
{
    std::string out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] >= '1' && pattern[i + 1] <= '5') {
            out += values[static_cast<std::size_t>(pattern[i + 1] - '1')];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

int SocketErrorOf(int fd)
{
    int err = 0;
    socklen_t len = sizeof err;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return errno;
    return err;
}

// The first IPv4 address of the host, or the dotted form itself when it does not resolve.
bool ResolveHost(const std::string& host, in_addr& address)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0 && found) {
        address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
        ::freeaddrinfo(found);
        return true;
    }
    return ::inet_aton(host.c_str(), &address) != 0;
}

}  // namespace

std::string CleanSnppText(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7F) c = ' ';
    }
    return out;
}

std::string SnppPinDigits(std::string_view pin)
{
    std::string out;
    for (char c : pin)
        if (c >= '0' && c <= '9') out += c;
    return out;
}

std::string SnppNumericText(std::string_view digits)
{
    std::string out;
    for (char c : digits)
        if ((c >= '0' && c <= '9') || c == '*' || c == '#') out += c;
    return out;
}

CSnppClient::CSnppClient(SnppClientDeps deps, const std::string& dialString, int retries, const std::string& password)
    : m(deps), m_retries(retries)
{
    // "SNPP:" is dropped; the rest is a host, or a host, ':' and a port, after the login
    // when there is one. A host name holds no '@', a password may.
    std::string rest = dialString.size() > 5 ? dialString.substr(5) : std::string();
    if (const std::size_t at = rest.rfind('@'); at != std::string::npos) {
        const std::string login = rest.substr(0, at);
        rest.erase(0, at + 1);
        const std::size_t colon = login.find(':');
        m_user = login.substr(0, colon);
        m_password = colon == std::string::npos ? password : login.substr(colon + 1);
    }
    std::size_t colon = rest.find(':');
    if (colon == std::string::npos) {
        m_host = rest;
    } else {
        m_host = rest.substr(0, colon);
        m_port = ToInt(std::string_view(rest).substr(colon + 1));
    }
}

CSnppClient::~CSnppClient()
{
    CloseSocket();
}

CSnppClient::QueuedPage CSnppClient::MakePage(bool counted, PagerRecord& entry, const std::string& message,
                                              const std::string& logText)
{
    entry.DeliveryStatus = 0;
    if (counted) ++m_pageCount;
    return {counted, CleanSnppText(message), logText, entry.PagerID, SnppPinDigits(entry.PagerID), &entry};
}

void CSnppClient::AddPage(bool counted, PagerRecord& entry, const std::string& message, const std::string& logText)
{
    m_pages.push_back(MakePage(counted, entry, message, logText));
}

void CSnppClient::AddPageFirst(bool counted, PagerRecord& entry, const std::string& message,
                               const std::string& logText)
{
    m_pages.insert(m_pages.begin(), MakePage(counted, entry, message, logText));
}

std::vector<CountedPage> CSnppClient::Counted() const
{
    std::vector<CountedPage> counted;
    for (const QueuedPage& page : m_pages)
        if (page.counted) counted.push_back({page.entry, page.logText});
    return counted;
}

// ---------------------------------------------------------------------------------
// The dialogue: one command, one reply line.

// Waits one slice on fd through the pump. True when the user cancelled (or asked to
// quit) now; after a cancel the pump takes no further events and the wait is plain.
bool CSnppClient::WaitAndCheckCancel(std::uint64_t start, int timeoutMs, int fd)
{
    std::uint64_t elapsed = m.clock.TickMs() - start;
    int left = elapsed >= static_cast<std::uint64_t>(timeoutMs) ? 0 : timeoutMs - static_cast<int>(elapsed);
    PumpResult result = m.pump.Wait(std::min(left, kPumpIntervalMs), fd, !m_cancelled);
    if (result == PumpResult::Continue || m_cancelled) return false;
    m_cancelled = true;
    return true;
}

// Sends the whole command. False when the user cancelled while the socket would not
// take more; a broken connection is left for the reply wait to find.
bool CSnppClient::SendCommand(const std::string& command, std::uint64_t start, int timeoutMs)
{
    std::size_t done = 0;
    while (done < command.size()) {
        ssize_t n = ::send(m_socket, command.data() + done, command.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (m.clock.TickMs() - start >= static_cast<std::uint64_t>(timeoutMs)) return true;
            if (WaitAndCheckCancel(start, timeoutMs, -1)) return false;
            continue;
        }
        return true;
    }
    return true;
}

// Appends what has arrived. True when no more can come (the server closed or the
// connection broke).
bool CSnppClient::ReadAvailable(std::string& buffer)
{
    char chunk[kRecvChunk];
    for (;;) {
        ssize_t n = ::recv(m_socket, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n > 0) {
            AppendBounded(buffer, chunk, static_cast<std::size_t>(n));
            if (EndsWithCrLf(buffer)) return false;  // the reply is complete: no need to ask again
            continue;
        }
        if (n == 0) return true;
        if (errno == EINTR) continue;
        return errno != EAGAIN && errno != EWOULDBLOCK;
    }
}

CSnppClient::Reply CSnppClient::Transact(const std::string& command)
{
    if (m_socket < 0) return {ReplyKind::NoConnection, 0, {}};
    // The greeting may take a minute; a command's reply ten seconds.
    const int timeoutMs = command.empty() ? kSnppGreetingTimeoutMs : kSnppCommandTimeoutMs;
    const std::uint64_t start = m.clock.TickMs();
    if (!command.empty() && !SendCommand(command, start, timeoutMs))
        return {ReplyKind::Cancelled, -1, kSnppCancelledText};

    std::string buffer;
    bool ended = false;
    for (;;) {
        if (WaitAndCheckCancel(start, timeoutMs, m_socket)) return {ReplyKind::Cancelled, -1, kSnppCancelledText};
        ended = ReadAvailable(buffer);
        // A closed connection can bring nothing more: no need to sit out the timeout.
        if (EndsWithCrLf(buffer) || ended) break;
        if (m.clock.TickMs() - start >= static_cast<std::uint64_t>(timeoutMs)) break;
    }
    return ParseReply(buffer);
}

// A reply is a line ending in CR LF of at least seven characters: three digits of code,
// a blank, and text. Anything less, or a line that never ended, is no reply.
CSnppClient::Reply CSnppClient::ParseReply(const std::string& buffer)
{
    if (buffer.size() < 7 || !EndsWithCrLf(buffer)) return {ReplyKind::NoReply, -2, kSnppNoResponseText};
    std::string text = buffer.substr(4);
    text.resize(text.size() - 2);
    return {ReplyKind::Answer, ToInt(std::string_view(buffer).substr(0, 3)), text};
}

CSnppClient::ReplyClass CSnppClient::Classify(const Reply& reply)
{
    switch (reply.kind) {
    case ReplyKind::Cancelled: return ReplyClass::Cancelled;
    case ReplyKind::NoReply:
    case ReplyKind::NoConnection: return ReplyClass::NoReply;
    case ReplyKind::Answer: break;
    }
    if (reply.code >= 400 && reply.code <= 499) return ReplyClass::Temporary;
    if (reply.code >= 500 && reply.code <= 599) return ReplyClass::Failed;
    return ReplyClass::Accepted;  // 2xx, and 3xx or anything else a server may say
}

// ---------------------------------------------------------------------------------
// The connection.

void CSnppClient::SetStatus(const char* text)
{
    if (m.status) m.status->SetStatus(text);
}

void CSnppClient::ResetStatus()
{
    if (m.status) m.status->ResetStatus();
}

void CSnppClient::CloseSocket()
{
    if (m_socket >= 0) ::close(m_socket);
    m_socket = -1;
}

// Says QUIT while the connection is usable, then closes it.
void CSnppClient::Close()
{
    SetStatus("Closing SNPP Connection");
    if (m_socket >= 0) {
        Transact("QUIT\r\n");  // the reply does not matter
        CloseSocket();
    }
    ResetStatus();
}

// Every way out of a run leaves the connection closed, with QUIT said while it was usable.
void CSnppClient::EndRun()
{
    if (m_socket >= 0)
        Close();
    else
        ResetStatus();
}

// The TCP connection on fd, without blocking: the attempt is waited on through the pump.
// 0 when connected, else the socket error; -1 when the user cancelled.
int CSnppClient::OpenConnection(int fd)
{
    in_addr address{};
    if (m_port < 1 || m_port > 65535 || !ResolveHost(m_host, address)) return EADDRNOTAVAIL;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(m_port));
    peer.sin_addr = address;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) return 0;
    if (errno != EINPROGRESS) return errno;

    const std::uint64_t start = m.clock.TickMs();
    for (;;) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 0) > 0) return SocketErrorOf(fd);
        if (m.clock.TickMs() - start >= static_cast<std::uint64_t>(kSnppConnectTimeoutMs)) return ETIMEDOUT;
        // A refused attempt makes the socket readable too, which ends the wait early.
        if (WaitAndCheckCancel(start, kSnppConnectTimeoutMs, fd)) return -1;
    }
}

bool CSnppClient::Connect()
{
    Close();
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
        m_error = kSnppNoSocket;
        m_socketError = errno;
        return false;
    }
    SetStatus("Connecting to SNPP Server");
    int result = OpenConnection(fd);
    if (result != 0) {
        ::close(fd);
        ResetStatus();
        if (result < 0) {
            m_error = kSnppCancelled;
            return false;
        }
        m_socketError = result;
        m_error = result == ETIMEDOUT ? kSnppConnectTimeout
                  : result == ECONNREFUSED ? kSnppConnectRefused
                                           : kSnppConnectFailed;
        return false;
    }
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    m_socket = fd;

    SetStatus("Waiting for Ready Signal");
    Reply greeting = Transact("");
    if (greeting.kind == ReplyKind::Cancelled) {
        CloseSocket();
        ResetStatus();
        m_error = kSnppCancelled;
        return false;
    }
    if (greeting.kind != ReplyKind::Answer || greeting.code < 200 || greeting.code > 299) {
        m_error = kSnppBadGreeting;
        m_serverText = greeting.text;
        CloseSocket();
        ResetStatus();
        return false;
    }
    m_loggedIn = false;
    if (m_user.empty()) return true;
    const int login = LogIn();
    if (login == 0) return true;
    m_error = login;
    // A refusal leaves the connection usable: QUIT is said. Anything else drops it.
    if (login != kSnppCancelled && m_loginRefused) {
        Close();
    } else {
        CloseSocket();
        ResetStatus();
    }
    return false;
}

// The login, for a server that wants one: 0, 105 when it was not accepted (the server's
// words are kept for the message), 109 when the user cancelled. Logged in, the client
// asks for its pages to be queued (SITE JQUEUE): a server that otherwise answers SEND
// only once the page has reached the pager would outlast the wait for the answer. A
// server that does not know the request refuses it, which changes nothing.
int CSnppClient::LogIn()
{
    std::string command = "LOGI " + CleanSnppText(m_user);
    if (!m_password.empty()) command += " " + CleanSnppText(m_password);
    const Reply reply = Transact(command + "\r\n");
    if (reply.kind == ReplyKind::Cancelled) return kSnppCancelled;
    if (reply.kind != ReplyKind::Answer || reply.code < 200 || reply.code > 299) {
        m_serverText = reply.kind == ReplyKind::Answer ? reply.text : std::string(kSnppNoResponseText);
        // A wrong name or password stays wrong: only a server that is busy for now
        // (4xx) or silent is tried again.
        m_loginRefused = reply.kind == ReplyKind::Answer && reply.code >= 500;
        return kSnppBadGreeting;
    }
    const Reply queued = Transact("SITE JQUEUE yes\r\n");
    if (queued.kind == ReplyKind::Cancelled) return kSnppCancelled;
    if (queued.kind != ReplyKind::Answer) {
        m_serverText = kSnppNoResponseText;
        return kSnppBadGreeting;
    }
    m_loggedIn = true;
    return 0;
}

// RESE clears the server's page state. Some servers take it as the end of the login as
// well, so a client that logs in does so again before its next page.
CSnppClient::Reply CSnppClient::Reset()
{
    m_loggedIn = false;
    return Transact("RESE\r\n");
}

// Up to retries + 1 attempts; a cancel ends them. Used for the first connection and
// after a 4xx reply or a lost reply dropped it.
bool CSnppClient::ConnectWithRetries()
{
    CWaitCursor cursor(m.status);
    m_loginRefused = false;
    for (int attempt = 0; attempt < Attempts(); ++attempt) {
        if (Connect()) return true;
        if (m_error == kSnppCancelled || m_loginRefused) return false;
    }
    return false;
}

// ---------------------------------------------------------------------------------
// The pages.

// PAGE, MESS and SEND, each of which must be accepted, then RESE so that the server is
// clean for the next page. 0 when sent, else the result code.
int CSnppClient::SendOnePage(const QueuedPage& page)
{
    if (m_socket < 0) return m_error;
    m_lastPin = page.pin;
    if (!m_user.empty() && !m_loggedIn) {
        const int login = LogIn();
        if (login == kSnppCancelled) {
            Close();
            return m_error = kSnppCancelled;
        }
        if (login != 0) {
            CloseSocket();  // the next try connects (and logs in) afresh
            return m_error = login;
        }
    }
    struct Step {
        std::string command;
        int rejected;
    };
    const std::array<Step, 3> steps{{
        {"PAGE " + page.pinDigits + "\r\n", kSnppPageRejected},
        {"MESS " + CleanSnppText(page.text) + "\r\n", kSnppMessRejected},
        {"SEND\r\n", kSnppSendRejected},
    }};
    for (const Step& step : steps) {
        Reply reply = Transact(step.command);
        switch (Classify(reply)) {
        case ReplyClass::Accepted:
            continue;
        case ReplyClass::Cancelled:
            Close();
            return m_error = kSnppCancelled;
        case ReplyClass::NoReply:
            // A reply that comes after we gave up on it would be taken for the answer to
            // the next command, and a rejection could then pass for a delivered page:
            // the connection is out of step and is dropped (the next try reconnects).
            CloseSocket();
            m_serverText = kSnppNoResponseText;
            return m_error = kSnppNoReply;
        case ReplyClass::Temporary:
            // The server wants us gone for now: drop the connection without QUIT.
            CloseSocket();
            [[fallthrough]];
        case ReplyClass::Failed:
            m_error = step.rejected;
            m_serverText = reply.text;
            if (Reset().kind == ReplyKind::Cancelled) {
                Close();
                m_error = kSnppCancelled;
            }
            return m_error;
        }
    }
    Reset();  // the reply does not matter; a cancel here is seen by SendAll
    return 0;
}

// Up to retries + 1 tries of one page, reconnecting first when the connection was
// dropped. A page that finds the connection already gone fails at once with the error
// of the page that lost it.
int CSnppClient::SendPageWithRetries(const QueuedPage& page)
{
    if (m_socket < 0) return m_error != 0 ? m_error : kSnppConnectFailed;
    m_error = 0;
    for (int attempt = 0; attempt < Attempts(); ++attempt) {
        if (m_socket < 0 && !ConnectWithRetries()) return m_error;
        SetStatus("Sending Page(s)");
        int result = SendOnePage(page);
        if (result == 0 || result == kSnppCancelled) return result;
    }
    return m_error;
}

int CSnppClient::SendAll()
{
    m_cancelled = false;
    m_error = 0;
    if (!ConnectWithRetries()) {
        // Not one page went out: no entry may read as delivered.
        for (QueuedPage& page : m_pages) page.entry->DeliveryStatus = static_cast<std::uint16_t>(m_error);
        return m_error;
    }
    m_error = 0;  // failed attempts before the connection are not a page's result

    int lastFailure = 0;
    bool noReply = false;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        // After a page got no reply the server is not answering: the rest are not tried.
        int result = noReply ? kSnppNoReply : SendPageWithRetries(m_pages[i]);
        // A cancel ends the run: this page (unless it was already sent) and all after it.
        if (result == kSnppCancelled || m_cancelled) {
            for (std::size_t j = result == 0 ? i + 1 : i; j < m_pages.size(); ++j)
                m_pages[j].entry->DeliveryStatus = kSnppCancelled;
            EndRun();
            return m_error = kSnppCancelled;
        }
        if (result != 0) {
            m_pages[i].entry->DeliveryStatus = static_cast<std::uint16_t>(result);
            lastFailure = result;
            noReply = noReply || result == kSnppNoReply;
        }
    }
    EndRun();
    // A run in which any page failed is not a success, whatever the last page did.
    return m_error = lastFailure;
}

int CSnppClient::SendNumeric(const std::string& pin, const std::string& digits)
{
    m_cancelled = false;
    m_error = 0;
    QueuedPage page{false, SnppNumericText(digits), "", pin, SnppPinDigits(pin), nullptr};
    if (!ConnectWithRetries()) return m_error;
    m_error = 0;
    int result = SendPageWithRetries(page);
    EndRun();
    return m_error = result;
}

// ---------------------------------------------------------------------------------
// The message.

std::string CSnppClient::ErrorText() const
{
    for (const ErrorTexts& texts : kErrorTexts) {
        if (texts.code != m_error) continue;
        std::string pattern = m_pageCount > 1 && texts.several ? texts.several : texts.single;
        if (m_error >= kSnppConnectTimeout && m_error <= kSnppConnectFailed) pattern = kConnectPrefix + pattern;
        return Expand(pattern, {m_serverText, m_host, std::to_string(m_port), m_lastPin, std::to_string(m_socketError)});
    }
    return {};
}

void CSnppClient::ReportError(const PagerRecord* entry)
{
    if (m_error <= 0) return;
    std::string title = entry ? "Page to " + entry->UserName : "Page Error";
    m.messageBox.Show(ErrorText(), title, MbIcon::Warning, MbButtons::Ok);
}

}  // namespace corvane
