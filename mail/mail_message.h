#pragma once
// A mail message as the mail system hands it to its callers.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

namespace corvane {

// What is kept of a message body: its text, in UTF-8, cut at a character boundary.
inline constexpr std::size_t kMaxBodyBytes = 64 * 1024;

// What the inbox listing gives of an unread message, without its body.
struct MailHeader {
    std::uint32_t uid = 0;      // stable while the inbox keeps its UIDVALIDITY
    std::string sender;         // the sender's display name, or the address when there is none
    std::string senderAddress;  // the sender's address alone
    std::string subject;
    std::string to;             // the "To" names (or addresses), separated by single spaces
    std::time_t received = 0;   // when the server received it (seconds since 1970, UTC)
};

struct MailMessage : MailHeader {
    std::string body;      // the first text/plain part, decoded
    bool bodyCut = false;  // the body was longer than kMaxBodyBytes
};

}  // namespace corvane
