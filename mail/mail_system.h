#pragma once
// The program's one door to the user's mail: logon, the unread messages of the inbox,
// and sending. The inbox is read over IMAP ("MailImapServer"), mail is sent over SMTP
// ("MailSmtpServer"), both through libcurl and the event pump, so no wait on a mail
// server freezes the shell. Without "MailImapServer" no mail system is installed.
//
// The inbox listing is built for a monitor that looks every minute at an inbox of
// thousands of unread messages: ListUnread gives only UIDs (and the UIDVALIDITY that
// keeps them meaningful), ReadHeaders the few header fields of the UIDs not seen
// before, Read one whole message on demand.
//
//   CMailSystem mail({settings, pump, clock, messageBox});
//   mail.Initialize();
//   if (mail.Logon() == kMailOk) {
//       InboxListing listing;
//       mail.ListUnread(listing);          // UIDs of the unread messages
//       mail.ReadHeaders(newUids, headers);
//       mail.Read(uid, message);           // marks it read when "MAPIMarkRead" is not "0"
//   }
//   mail.SendMail(recipient, subject, body, true);

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/message_box.h"
#include "mail/mail_inbox.h"
#include "mail/mail_message.h"
#include "mail/mail_status.h"
#include "settings/settings.h"

namespace corvane {

class CCurlSession;
class CImapClient;

struct MailSystemDeps {
    ISettings& settings;
    IEventPump& pump;
    const IClock& clock;
    IMessageBox& messageBox;
};

// The sender's address of mail the program sends: "MailFromAddress", else "MailName"
// when it holds an '@', else "corvane@localhost".
std::string MailSenderAddress(ISettings& settings);

class CMailSystem final : public IMailInbox {
public:
    explicit CMailSystem(MailSystemDeps deps);
    ~CMailSystem() override;
    CMailSystem(const CMailSystem&) = delete;
    CMailSystem& operator=(const CMailSystem&) = delete;

    // Called once at start.
    void Initialize();
    // A mail system is installed when "MailImapServer" names the inbox.
    bool Installed() override;

    // Logs on with "MailName" and the scrambled "MailPassword": kMailOk, kMailLoginFailure
    // for a refused name or password, kMailInsecure when TLS failed, kMailFailure for
    // anything else (no mail system, no server, no answer). Shows nothing. A second Logon
    // while logged on succeeds at once.
    int Logon() override;
    bool LoggedOn() const override { return m_loggedOn; }
    // Says goodbye to the server and forgets the logon.
    void Logoff() override;
    // At shut-down, after Logoff: every connection is released.
    void Terminate();

    // The inbox, for the e-mail monitor. Each gives kMailOk, or a failure after which the
    // caller keeps what it had and tries again later (kMailInvalidSession: the logon was
    // refused when the connection had to be made again).
    int ListUnread(InboxListing& listing) override;
    int ReadHeaders(const std::vector<std::uint32_t>& uids, std::vector<MailHeader>& headers) override;
    // The whole message; kMailNoMessages when it is gone. Read without marking when
    // "MAPIMarkRead" is "0", else marked read after it was read.
    int Read(std::uint32_t uid, MailMessage& message);
    // The whole message, never marked read; and the mark on its own, for a reader that
    // marks a message only once it has dealt with it.
    int Peek(std::uint32_t uid, MailMessage& message) override;
    int MarkRead(std::uint32_t uid) override;

    // One plain message to one recipient. On failure the text of MailSendErrorText is
    // shown (caption "Mail Error") when showErrors is set. kMailOk when the server took it.
    int SendMail(const std::string& recipient, const std::string& subject, const std::string& body,
                 bool showErrors);

    // The server's or libcurl's words for the last failure.
    const std::string& LastError() const override { return m_lastError; }

private:
    int Fetch(std::uint32_t uid, MailMessage& message, bool markRead);
    int RunInbox(const std::function<int()>& operation);
    int List(InboxListing& listing);
    int EnsureInbox();
    int Connect();
    std::string CurrentLogin() const;
    int SendOnce(const std::string& recipient, const std::string& subject, const std::string& body);

    MailSystemDeps m;
    std::unique_ptr<CImapClient> m_imap;
    std::unique_ptr<CCurlSession> m_smtp;
    bool m_loggedOn = false;
    bool m_imapBusy = false;  // a command is under way: a nested call (from the pump) is refused
    bool m_smtpBusy = false;
    bool m_logoffPending = false;
    unsigned m_sent = 0;      // for the Message-ID
    std::string m_login;      // the server, name and password of the inbox connection
    std::string m_lastError;
};

}  // namespace corvane
