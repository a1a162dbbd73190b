#pragma once
// What the e-mail monitor needs of the mail system: the logon and the unread messages of
// the inbox. CMailSystem is the real one; tests give the monitor an inbox of their own.

#include <cstdint>
#include <string>
#include <vector>

#include "mail/mail_message.h"

namespace corvane {

// The unread messages of the inbox at one moment.
struct InboxListing {
    std::uint32_t uidValidity = 0;  // when it changes, earlier UIDs name other messages
    std::vector<std::uint32_t> unread;  // ascending
};

// Results are the mail system's statuses (mail/mail_status.h).
class IMailInbox {
public:
    virtual ~IMailInbox() = default;
    // A mail system is set up to log on to.
    virtual bool Installed() = 0;
    virtual int Logon() = 0;
    virtual bool LoggedOn() const = 0;
    virtual void Logoff() = 0;
    virtual int ListUnread(InboxListing& listing) = 0;
    // Sender, subject, "To" and received time of the UIDs the server still has.
    virtual int ReadHeaders(const std::vector<std::uint32_t>& uids, std::vector<MailHeader>& headers) = 0;
    // The whole message, left unread; kMailNoMessages when it is gone.
    virtual int Peek(std::uint32_t uid, MailMessage& message) = 0;
    virtual int MarkRead(std::uint32_t uid) = 0;
    // The server's or libcurl's words for the last failure.
    virtual const std::string& LastError() const = 0;
};

}  // namespace corvane
