#pragma once
// The IMAP side of the mail system: one connection to the inbox, opened and logged on
// by libcurl, over which the commands below are spoken directly, so that literals are
// read by their length (a line in a message can never pass for the server's answer),
// a message is read without being marked (BODY.PEEK) and a long one streams through the
// MIME reader instead of being held whole.
//
// Every wait goes through the event pump: a server that stops answering costs at most
// kImapReplyTimeoutMs of silence, and Cancel or Exit ends the wait at once. A command
// that finds the connection gone reports NoConnection; the caller logs on again.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "common/event_pump.h"
#include "mail/mail_message.h"
#include "net/curl_stream.h"

namespace corvane {

inline constexpr int kImapConnectTimeoutMs = 30000;
inline constexpr int kImapReplyTimeoutMs = 30000;
// The longest one command may take, however steadily a server trickles its answer.
inline constexpr int kImapCommandLimitMs = 600000;

enum class ImapStatus {
    Ok,
    LoginRefused,  // the server refused the name or password
    Insecure,      // TLS failed: the certificate did not verify, or no TLS could be agreed
    NoConnection,  // could not connect, the connection broke, or the server stopped answering
    Refused,       // the server answered NO or BAD
    Cancelled,     // the user's Cancel or Exit
};

// "imap://host:port/INBOX" into the connection's URL ("imap://host:port/") and the
// mailbox ("INBOX" when the URL names none). False for a URL that is not imap or imaps.
bool SplitImapUrl(const std::string& url, std::string& connectUrl, std::string& mailbox);

// A sorted list of UIDs in IMAP's set form: "1:3,7,9:12".
std::string UidSet(const std::vector<std::uint32_t>& sortedUids);

// INTERNALDATE ("17-Jul-1996 02:44:25 -0700") as seconds since 1970; 0 when malformed.
std::time_t ParseInternalDate(std::string_view text);

class CImapClient {
public:
    CImapClient(IEventPump& pump, const IClock& clock);

    ImapStatus Connect(const StreamLogin& login);
    bool Connected() const { return m_stream.IsOpen(); }
    // LOGOUT, then the connection is closed.
    void Logout();
    void Close() { m_stream.Close(); }

    ImapStatus Select(const std::string& mailbox, std::uint32_t& uidValidity);
    ImapStatus SearchUnseen(std::vector<std::uint32_t>& uids);
    // Sender, subject, "To" and received time of each UID the server still has.
    ImapStatus FetchHeaders(const std::vector<std::uint32_t>& uids, std::vector<MailHeader>& headers);
    // The whole message, without marking it read; found is false when the UID is gone.
    ImapStatus FetchMessage(std::uint32_t uid, MailMessage& message, bool& found);
    ImapStatus MarkSeen(std::uint32_t uid);

    // The server's or libcurl's words for the last failure.
    const std::string& LastError() const { return m_lastError; }

    // One response as read: the text with each literal left as its "{n}", and the
    // literals that were kept (cut to kKeptLiteralBytes; "" for a streamed one).
    struct Response {
        std::string text;
        std::vector<std::string> literals;
    };
    // Where a literal's bytes go, chosen from the response text before it; an empty
    // sink keeps the literal in the response.
    using LiteralSink = std::function<void(std::string_view)>;
    using LiteralRouter = std::function<LiteralSink(std::string_view textBefore)>;
    using UntaggedHandler = std::function<void(const Response&)>;

    ImapStatus Command(const std::string& command, const UntaggedHandler& onUntagged,
                       const LiteralRouter& router = {});

private:
    ImapStatus Lost(StreamResult result);

    CCurlStream m_stream;
    const IClock& m_clock;
    std::string m_buffer;  // bytes read and not yet taken
    unsigned m_tag = 0;
    std::string m_lastError;
};

}  // namespace corvane
