#include "mail/mail_system.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "mail/imap_client.h"
#include "settings/mail_password.h"
#include "mail/smtp_message.h"
#include "net/curl_session.h"

namespace corvane {
namespace {

constexpr int kSmtpTimeoutMs = 60000;

// Marks a connection in use for the length of a call; a call that comes in through the
// event pump meanwhile (the tick runs while a transfer waits) finds it taken.
class CBusy {
public:
    explicit CBusy(bool& flag) : m_flag(flag), m_taken(!flag) { m_flag = true; }
    ~CBusy()
    {
        if (m_taken) m_flag = false;
    }
    CBusy(const CBusy&) = delete;
    CBusy& operator=(const CBusy&) = delete;
    bool Taken() const { return m_taken; }

private:
    bool& m_flag;
    bool m_taken;
};

std::size_t ReadText(char* buffer, std::size_t size, std::size_t count, void* source)
{
    auto* text = static_cast<std::string_view*>(source);
    std::size_t n = std::min(size * count, text->size());
    std::memcpy(buffer, text->data(), n);
    text->remove_prefix(n);
    return n;
}

// What became of a send, in the statuses the user's texts are tied to. A failure the
// server answered is judged by its reply code; one without an answer (no connection, a
// connection that broke or went silent) means the mail system was lost.
int SmtpStatus(const CurlOutcome& outcome)
{
    if (outcome.Ok()) return kMailOk;
    if (outcome.cancelled) return kMailCancelled;
    if (outcome.timedOut) return kMailInvalidSession;
    switch (outcome.responseCode) {
    case 550:
    case 551:
    case 553: return kMailUnknownRecipient;
    case 452:
    case 552: return kMailDiskFull;
    case 530:
    case 534:
    case 535: return kMailInvalidSession;  // the server refused the login
    default: break;
    }
    if (outcome.responseCode >= 400) return kMailFailure;
    switch (outcome.code) {
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_USE_SSL_FAILED: return kMailInsecure;
    case CURLE_LOGIN_DENIED:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_WEIRD_SERVER_REPLY: return kMailInvalidSession;
    default: return kMailFailure;
    }
}

int InboxStatus(ImapStatus status)
{
    switch (status) {
    case ImapStatus::Ok: return kMailOk;
    case ImapStatus::LoginRefused: return kMailLoginFailure;
    case ImapStatus::Insecure: return kMailInsecure;
    case ImapStatus::Cancelled: return kMailCancelled;
    case ImapStatus::NoConnection:
    case ImapStatus::Refused: break;
    }
    return kMailFailure;
}

std::string DomainOf(const std::string& address)
{
    std::size_t at = address.rfind('@');
    if (at == std::string::npos) return "localhost";
    std::string domain = address.substr(at + 1);
    domain = domain.substr(0, domain.find_first_of(">) \t"));
    return domain.empty() ? "localhost" : domain;
}

}  // namespace

std::string MailSenderAddress(ISettings& settings)
{
    std::string from = settings.Get(key::MailFromAddress);
    if (!from.empty()) return from;
    std::string name = settings.Get(key::MailName);
    if (name.find('@') != std::string::npos) return name;
    return "corvane@localhost";
}

CMailSystem::CMailSystem(MailSystemDeps deps)
    : m(deps),
      m_imap(std::make_unique<CImapClient>(deps.pump, deps.clock)),
      m_smtp(std::make_unique<CCurlSession>(deps.pump, deps.clock))
{
}

CMailSystem::~CMailSystem() = default;

void CMailSystem::Initialize()
{
    InitialiseCurl();
}

bool CMailSystem::Installed()
{
    return !m.settings.Get(key::MailImapServer).empty();
}

int CMailSystem::Logon()
{
    if (m_loggedOn) return kMailOk;
    if (!Installed()) {
        m_lastError = "No mail server is set (MailImapServer).";
        return kMailFailure;
    }
    return RunInbox([this]() -> int {
        int status = Connect();
        m_loggedOn = status == kMailOk;
        return status;
    });
}

int CMailSystem::RunInbox(const std::function<int()>& operation)
{
    if (m_imapBusy) {
        m_lastError = "The mail server is busy with another request.";
        return kMailFailure;
    }
    int status;
    {
        CBusy busy(m_imapBusy);
        status = operation();
    }
    if (m_logoffPending) {
        m_logoffPending = false;
        Logoff();
    }
    return status;
}

int CMailSystem::Connect()
{
    std::string connectUrl, mailbox;
    if (!SplitImapUrl(m.settings.Get(key::MailImapServer), connectUrl, mailbox)) {
        m_lastError = "MailImapServer is not an imap:// or imaps:// address.";
        return kMailFailure;
    }
    StreamLogin login{connectUrl, m.settings.Get(key::MailName),
                      UnscrambleMailPassword(m.settings.Get(key::MailPassword)), true};
    ImapStatus status = m_imap->Connect(login);
    m_lastError = m_imap->LastError();
    m_login = CurrentLogin();
    return InboxStatus(status);
}

std::string CMailSystem::CurrentLogin() const
{
    return m.settings.Get(key::MailImapServer) + '\n' + m.settings.Get(key::MailName) + '\n' +
           m.settings.Get(key::MailPassword);
}

// The inbox connection, made again when the server dropped it (an idle time-out), and
// when the server, name or password was changed in the preferences since: the inbox
// read is then the one they name.
int CMailSystem::EnsureInbox()
{
    if (!m_loggedOn) return kMailNotLoggedOn;
    if (m_imap->Connected() && CurrentLogin() != m_login) m_imap->Logout();
    if (m_imap->Connected()) return kMailOk;
    int status = Connect();
    if (status == kMailLoginFailure) {
        // The name or password that worked before is refused now.
        m_loggedOn = false;
        return kMailInvalidSession;
    }
    return status;
}

int CMailSystem::ListUnread(InboxListing& listing)
{
    return RunInbox([&]() -> int { return List(listing); });
}

int CMailSystem::List(InboxListing& listing)
{
    listing = InboxListing{};
    std::string connectUrl, mailbox;
    SplitImapUrl(m.settings.Get(key::MailImapServer), connectUrl, mailbox);
    // A connection the server has dropped since the last use shows only when it is
    // used: one more try on a fresh connection.
    for (int attempt = 0; attempt < 2; ++attempt) {
        bool fresh = !m_imap->Connected();
        if (int status = EnsureInbox(); status != kMailOk) return status;
        ImapStatus status = m_imap->Select(mailbox, listing.uidValidity);
        if (status == ImapStatus::Ok) status = m_imap->SearchUnseen(listing.unread);
        m_lastError = m_imap->LastError();
        if (status == ImapStatus::NoConnection && !fresh) continue;
        return InboxStatus(status);
    }
    return kMailFailure;
}

int CMailSystem::ReadHeaders(const std::vector<std::uint32_t>& uids, std::vector<MailHeader>& headers)
{
    return RunInbox([&]() -> int {
        if (int status = EnsureInbox(); status != kMailOk) return status;
        ImapStatus status = m_imap->FetchHeaders(uids, headers);
        m_lastError = m_imap->LastError();
        return InboxStatus(status);
    });
}

int CMailSystem::Read(std::uint32_t uid, MailMessage& message)
{
    return Fetch(uid, message, m.settings.Get(key::MAPIMarkRead) != "0");
}

int CMailSystem::Peek(std::uint32_t uid, MailMessage& message)
{
    return Fetch(uid, message, false);
}

int CMailSystem::MarkRead(std::uint32_t uid)
{
    return RunInbox([&]() -> int {
        if (int status = EnsureInbox(); status != kMailOk) return status;
        ImapStatus status = m_imap->MarkSeen(uid);
        m_lastError = m_imap->LastError();
        return InboxStatus(status);
    });
}

int CMailSystem::Fetch(std::uint32_t uid, MailMessage& message, bool markRead)
{
    return RunInbox([&]() -> int {
        if (int status = EnsureInbox(); status != kMailOk) return status;
        bool found = false;
        ImapStatus status = m_imap->FetchMessage(uid, message, found);
        if (status == ImapStatus::Ok && found && markRead) status = m_imap->MarkSeen(uid);
        m_lastError = m_imap->LastError();
        if (status == ImapStatus::Ok && !found) return kMailNoMessages;
        return InboxStatus(status);
    });
}

void CMailSystem::Logoff()
{
    m_loggedOn = false;
    if (m_imapBusy) {
        // A request is under way inside the event pump: the connection goes when it ends.
        m_logoffPending = true;
        return;
    }
    m_imap->Logout();
    if (!m_smtpBusy) m_smtp->Close();
}

void CMailSystem::Terminate()
{
    Logoff();
}

int CMailSystem::SendMail(const std::string& recipient, const std::string& subject, const std::string& body,
                          bool showErrors)
{
    int status = kMailNotLoggedOn;
    if (m_loggedOn) {
        CBusy busy(m_smtpBusy);
        status = busy.Taken() ? SendOnce(recipient, subject, body) : kMailFailure;
    }
    if (status != kMailOk && showErrors) {
        std::string text = MailSendErrorText(status, m_lastError);
        if (!text.empty()) m.messageBox.Show(text, kMailErrorCaption, MbIcon::Warning, MbButtons::Ok);
    }
    return status;
}

int CMailSystem::SendOnce(const std::string& recipient, const std::string& subject, const std::string& body)
{
    std::string server = m.settings.Get(key::MailSmtpServer);
    if (server.empty()) return kMailNoSendServer;
    // Mail to nobody would be taken by some servers and then go nowhere.
    if (recipient.find_first_not_of(" \t\r\n") == std::string::npos) {
        m_lastError = "The recipient is empty.";
        return kMailUnknownRecipient;
    }
    OutgoingMail mail{HeaderSafe(MailSenderAddress(m.settings)), HeaderSafe(recipient), subject, body};
    std::time_t now = m.clock.Now();
    std::string messageId = "<" + std::to_string(now) + "." + std::to_string(::getpid()) + "." +
                            std::to_string(++m_sent) + ".corvane@" + DomainOf(mail.from) + ">";
    std::string text = ComposeMailText(mail, now, messageId);
    std::string_view source = text;

    CURL* easy = m_smtp->Prepare();
    curl_slist* recipients = curl_slist_append(nullptr, mail.recipient.c_str());
    curl_easy_setopt(easy, CURLOPT_URL, server.c_str());
    curl_easy_setopt(easy, CURLOPT_MAIL_FROM, mail.from.c_str());
    curl_easy_setopt(easy, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &ReadText);
    curl_easy_setopt(easy, CURLOPT_READDATA, &source);
    // STARTTLS when the server offers it; its certificate must verify.
    curl_easy_setopt(easy, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    // libcurl authenticates only when the server offers AUTH.
    std::string name = m.settings.Get(key::MailName);
    std::string password = UnscrambleMailPassword(m.settings.Get(key::MailPassword));
    if (!name.empty()) {
        curl_easy_setopt(easy, CURLOPT_USERNAME, name.c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, password.c_str());
    }
    CurlOutcome outcome = m_smtp->Perform(kSmtpTimeoutMs);
    curl_slist_free_all(recipients);
    m_lastError = outcome.timedOut ? "The mail server did not answer." : outcome.error;
    return SmtpStatus(outcome);
}

}  // namespace corvane
