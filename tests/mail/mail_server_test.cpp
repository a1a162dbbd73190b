// The mail system against the real servers of tests/servers: dovecot (IMAP, and IMAP over
// TLS) and aiosmtpd (SMTP, SMTP over TLS, SMTP with STARTTLS), and against scripted and
// silent servers for the failures real ones do not give on demand.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "common/poll_pump.h"
#include "engine/transports.h"
#include "mail/imap_client.h"
#include "settings/mail_password.h"
#include "mail/mail_system.h"
#include "modem/port_slots.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/test_servers.h"

namespace corvane {
namespace {

using namespace test;

// A loopback server in a thread: each connection gets the replies of an SMTP script, or
// (silent) nothing at all.
class CScriptedSmtp {
public:
    struct Script {
        std::string auth = "235 ok";
        std::string mail = "250 ok";
        std::string rcpt = "250 ok";
        std::string end = "250 queued";  // after the message; "close" drops the connection
    };
    explicit CScriptedSmtp(Script script, bool silent = false) : m_script(std::move(script)), m_silent(silent)
    {
        m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        ::listen(m_listener, 5);
        m_thread = std::thread([this] { Serve(); });
    }
    ~CScriptedSmtp()
    {
        // The client may keep its connection for the next mail: end it too.
        if (int client = m_client.load(); client >= 0) ::shutdown(client, SHUT_RDWR);
        ::shutdown(m_listener, SHUT_RDWR);
        ::close(m_listener);
        m_thread.join();
    }
    int port() const { return m_port; }

private:
    void Serve()
    {
        for (;;) {
            int client = ::accept(m_listener, nullptr, nullptr);
            if (client < 0) return;
            m_client = client;
            if (!m_silent) Talk(client);
            else while (::read(client, m_chunk, sizeof m_chunk) > 0) {
                }
            m_client = -1;
            ::close(client);
        }
    }
    bool Reply(int client, const std::string& line)
    {
        if (line == "close") return false;
        std::string text = line + "\r\n";
        return ::write(client, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    void Talk(int client)
    {
        std::string input;
        bool inData = false;
        bool inAuth = false;  // the credentials follow on a line of their own
        if (!Reply(client, "220 scripted")) return;
        for (;;) {
            ssize_t n = ::read(client, m_chunk, sizeof m_chunk);
            if (n <= 0) return;
            input.append(m_chunk, static_cast<std::size_t>(n));
            for (std::size_t end; (end = input.find(inData ? "\r\n.\r\n" : "\r\n")) != std::string::npos;) {
                std::string line = input.substr(0, end);
                input.erase(0, end + (inData ? 5 : 2));
                std::string reply = "250 ok";
                if (inData) {
                    inData = false;
                    reply = m_script.end;
                } else if (inAuth) {
                    inAuth = false;
                    reply = m_script.auth;
                } else if (line.rfind("EHLO", 0) == 0) {
                    reply = "250-scripted\r\n250 AUTH PLAIN";
                } else if (line == "AUTH PLAIN") {
                    inAuth = true;
                    reply = "334 ";
                } else if (line.rfind("AUTH", 0) == 0) {
                    reply = m_script.auth;
                } else if (line.rfind("MAIL", 0) == 0) {
                    reply = m_script.mail;
                } else if (line.rfind("RCPT", 0) == 0) {
                    reply = m_script.rcpt;
                } else if (line == "DATA") {
                    inData = true;
                    reply = "354 go on";
                } else if (line == "QUIT") {
                    Reply(client, "221 bye");
                    return;
                }
                if (!Reply(client, reply)) return;
            }
        }
    }

    Script m_script;
    bool m_silent;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<int> m_client{-1};
    char m_chunk[4096];
    std::thread m_thread;
};

std::string Url(const char* scheme, int port, const char* path = "")
{
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port) + path;
}

// A port nobody listens on.
int ClosedPort()
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

// The message holding marker as aiosmtpd of kind stored it, without the lines that
// change from run to run (the peer's port, the Message-ID); "" when none came.
std::string StoredMail(const std::string& kind, const std::string& marker)
{
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(ServersDir() + "/" + kind + "/Maildir/new", error)) {
        std::ifstream in(file.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        if (text.str().find(marker) == std::string::npos) continue;
        return std::regex_replace(text.str(), std::regex("(X-Peer|Message-ID): [^\n]*\n"), "");
    }
    return "";
}

class MailServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CORVANE_REQUIRE_SERVER("imap", imapPort);
        CORVANE_REQUIRE_SERVER("smtp", smtpPort);
        ::unsetenv("CORVANE_CA_FILE");
        // A mailbox of this run's own (the server's folders outlive a run); the server
        // folds names to lower case.
        user = std::string("m") + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : user) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        maildir = AddImapUser(user, "secret");
        // The server looks at its password file again at most once a second.
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        settings.Write(key::MailImapServer, Url("imap", imapPort, "/INBOX"));
        settings.Write(key::MailSmtpServer, Url("smtp", smtpPort));
        settings.Write(key::MailName, user);
        settings.Write(key::MailPassword, ScrambleMailPassword("secret"));
        settings.Write(key::MailFromAddress, "corvane@example.org");
    }
    void TearDown() override { ::unsetenv("CORVANE_CA_FILE"); }

    int imapPort = 0;
    int smtpPort = 0;
    std::string user;
    std::string maildir;
    CMemorySettings settings;
    CFakeClock clock;  // the Date of sent mail is fixed; real servers are waited for in real time
    CPollPump pump;
    CRecordingMessageBox boxes;
    CMailSystem mail{{settings, pump, clock, boxes}};
};

TEST_F(MailServerTest, LogonAndTheUnreadMessagesReadWithAndWithoutMarking)
{
    settings.Write(key::MailPassword, ScrambleMailPassword("wrong"));
    EXPECT_EQ(mail.Logon(), kMailLoginFailure);
    settings.Write(key::MailPassword, ScrambleMailPassword("secret"));
    settings.Write(key::MailImapServer, Url("imap", ClosedPort(), "/INBOX"));
    EXPECT_EQ(mail.Logon(), kMailFailure);
    EXPECT_FALSE(mail.LoggedOn());
    settings.Write(key::MailImapServer, Url("imap", imapPort, "/INBOX"));
    ASSERT_EQ(mail.Logon(), kMailOk);
    EXPECT_EQ(mail.Logon(), kMailOk);  // at once
    EXPECT_TRUE(boxes.shown.empty());

    DeliverMail(maildir,
                "From: \"Ops Desk\" <ops@example.org>\r\nTo: Ann <ann@example.org>, bob@example.org\r\n"
                "Subject: Server down\r\nContent-Type: text/plain; charset=utf-8\r\n"
                "Content-Transfer-Encoding: quoted-printable\r\n\r\nDisk =C3=A9 full=\r\n now\r\n");
    DeliverMail(maildir,
                "From: pat@example.org\r\nTo: \"Desk\" <desk@example.org>\r\nSubject: =?ISO-8859-1?Q?Caf=E9?=\r\n"
                "Content-Type: text/plain; charset=ISO-8859-1\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                "Q2Fm6SBvdXZlcnQ=\r\n");
    DeliverMail(maildir,
                "From: Lee <lee@example.org>\r\nTo: desk@example.org\r\nSubject: Report\r\n"
                "Content-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\nContent-Type: text/plain\r\n\r\n"
                "See attached\r\n--b1\r\nContent-Type: application/pdf\r\nContent-Disposition: attachment; "
                "filename=r.pdf\r\nContent-Transfer-Encoding: base64\r\n\r\nJVBERi0xLjQ=\r\n--b1--\r\n");
    std::ofstream(maildir + "/cur/1.read.corvane-test:2,S") << "From: old@example.org\r\nSubject: seen\r\n\r\nold\r\n";

    InboxListing listing;
    ASSERT_EQ(mail.ListUnread(listing), kMailOk);
    ASSERT_EQ(listing.unread.size(), 3u);
    EXPECT_NE(listing.uidValidity, 0u);
    std::vector<MailHeader> headers;
    ASSERT_EQ(mail.ReadHeaders(listing.unread, headers), kMailOk);
    ASSERT_EQ(headers.size(), 3u);
    struct Expected {
        const char* sender;
        const char* subject;
        const char* to;
        const char* body;
    };
    const Expected expected[] = {
        {"Ops Desk", "Server down", "Ann bob@example.org", "Disk \xC3\xA9 full now"},
        {"pat@example.org", "Caf\xC3\xA9", "Desk", "Caf\xC3\xA9 ouvert"},
        {"Lee", "Report", "desk@example.org", "See attached"},
    };
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(headers[i].uid, listing.unread[i]);
        EXPECT_EQ(headers[i].sender, expected[i].sender);
        EXPECT_EQ(headers[i].subject, expected[i].subject);
        EXPECT_EQ(headers[i].to, expected[i].to);
        EXPECT_LT(std::abs(headers[i].received - std::time(nullptr)), 600);
        MailMessage message;
        ASSERT_EQ(mail.Read(listing.unread[i], message), kMailOk);
        EXPECT_EQ(message.body, expected[i].body);
        EXPECT_EQ(message.subject, expected[i].subject);
        EXPECT_EQ(message.received, headers[i].received);
    }
    // "MAPIMarkRead" "0" (the default): still unread on the server. "1": marked.
    InboxListing again;
    ASSERT_EQ(mail.ListUnread(again), kMailOk);
    EXPECT_EQ(again.unread, listing.unread);
    settings.Write(key::MAPIMarkRead, "1");
    MailMessage message;
    ASSERT_EQ(mail.Read(listing.unread[0], message), kMailOk);
    ASSERT_EQ(mail.ListUnread(again), kMailOk);
    EXPECT_EQ(again.unread, (std::vector<std::uint32_t>{listing.unread[1], listing.unread[2]}));
    EXPECT_EQ(mail.Read(999999, message), kMailNoMessages);

    mail.Logoff();
    EXPECT_FALSE(mail.LoggedOn());
    EXPECT_EQ(mail.ListUnread(again), kMailNotLoggedOn);
}

TEST_F(MailServerTest, AnotherAccountSetInThePreferencesIsTheInboxReadNext)
{
    ASSERT_EQ(mail.Logon(), kMailOk);
    InboxListing listing;
    ASSERT_EQ(mail.ListUnread(listing), kMailOk);
    EXPECT_TRUE(listing.unread.empty());
    const std::string other = user + "-b";
    DeliverMail(AddImapUser(other, "other"), "From: a@example.org\r\nSubject: x\r\n\r\nbody\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    settings.Write(key::MailName, other);
    settings.Write(key::MailPassword, ScrambleMailPassword("other"));
    ASSERT_EQ(mail.ListUnread(listing), kMailOk);
    EXPECT_EQ(listing.unread.size(), 1u);
    // A password the server refuses ends the logon: the next Logon says why.
    settings.Write(key::MailPassword, ScrambleMailPassword("wrong"));
    EXPECT_EQ(mail.ListUnread(listing), kMailInvalidSession);
    EXPECT_FALSE(mail.LoggedOn());
}

TEST_F(MailServerTest, ALargeMessageStreamsThroughAndItsLinesNeverPassForTheServer)
{
    // Lines that look like the server's own answers sit inside the message: they are read
    // as message text because the message arrives as a literal of known length.
    std::string raw = "From: big@example.org\r\nSubject: big\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n"
                      "--b\r\nContent-Type: text/plain\r\n\r\nc1 OK\r\nc4 OK done\r\n* 1 FETCH (UID 1)\r\n--b\r\n"
                      "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                      std::string(8u << 20, 'A') + "\r\n--b--\r\n";
    DeliverMail(maildir, raw);
    ASSERT_EQ(mail.Logon(), kMailOk);
    InboxListing listing;
    ASSERT_EQ(mail.ListUnread(listing), kMailOk);
    ASSERT_EQ(listing.unread.size(), 1u);
    MailMessage message;
    ASSERT_EQ(mail.Read(listing.unread[0], message), kMailOk);
    EXPECT_EQ(message.body, "c1 OK\r\nc4 OK done\r\n* 1 FETCH (UID 1)");
    EXPECT_EQ(message.subject, "big");
    // The connection is still in step: the next command gets its own answer.
    ASSERT_EQ(mail.ListUnread(listing), kMailOk);
    EXPECT_EQ(listing.unread.size(), 1u);
}

TEST_F(MailServerTest, GatewayPagesArriveAsTheGatewaysReadThem)
{
    CPortSlots ports(settings, boxes, pump, clock);
    CTransports transports({settings, ports, nullptr, pump, clock, boxes, &mail});
    settings.Write(key::PagePort, "MD");
    settings.Write(key::MailAddress, "gateway@example.org");
    PagerRecord pager;
    pager.UserName = "Bob\r\nBcc: evil@example.org";
    pager.PagerType = "1";
    pager.PhoneNumber = "5550100";
    pager.PagerID = "1002";
    pager.SystemPassword = "pw";
    // The logon that failed at start (none was made here) is made before the page goes.
    ASSERT_TRUE(transports.HandToGateway(pager, "Call the office md-marker", false)) << mail.LastError();
    EXPECT_EQ(StoredMail("smtp", "md-marker"),
              "From: corvane@example.org\nTo: gateway@example.org\n"
              "Subject: CVTOM2 Bob  Bcc: evil@example.org\\1\\5550100\\60\\8\\pw\\*\\1002\\2\\80\n"
              "Date: Wed, 07 Mar 2001 09:05:00 +0000\nMIME-Version: 1.0\n"
              "Content-Type: text/plain; charset=us-ascii\nContent-Transfer-Encoding: 7bit\n"
              "X-MailFrom: corvane@example.org\nX-RcptTo: gateway@example.org\n\nCall the office md-marker\n");

    settings.Write(key::PagePort, "EX");
    PagerRecord numeric;
    numeric.UserName = "Net";
    numeric.PhoneNumber = "123";
    numeric.PagerID = "77";
    numeric.DelayTime = "2";
    numeric.PinDelayTime = "3";
    numeric.Separator = "#";
    ASSERT_TRUE(transports.HandToGateway(numeric, "5551212 ex-marker", false));
    EXPECT_EQ(StoredMail("smtp", "ex-marker"),
              "From: corvane@example.org\nTo: \"[PAGE:N/123/77/2/3/#]\"@example.org\nSubject: CVTOEX\n"
              "Date: Wed, 07 Mar 2001 09:05:00 +0000\nMIME-Version: 1.0\n"
              "Content-Type: text/plain; charset=us-ascii\nContent-Transfer-Encoding: 7bit\n"
              "X-MailFrom: corvane@example.org\nX-RcptTo: \"[PAGE:N/123/77/2/3/#]\"@example.org\n\n"
              "5551212 ex-marker\n");

    // No address for Corvane/md: the page is not handed over, and the user is told why.
    settings.Write(key::PagePort, "MD");
    settings.Write(key::MailAddress, "");
    EXPECT_FALSE(transports.HandToGateway(pager, "nowhere", true));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.Texts(), "Mail Error: Your page cannot be sent because the specified Corvane/md mail address does "
                             "not exist in the address list.  Please check the address name in the Paging tab of the "
                             "Modem Configuration dialog.\n");
}

TEST_F(MailServerTest, SendFailuresGiveTheTextsOfTheirStatus)
{
    struct Case {
        CScriptedSmtp::Script script;
        int status;
        const char* text;
    };
    const char* unknown = "Your page cannot be sent because the specified Corvane/md mail address does not exist in "
                          "the address list.  Please check the address name in the Paging tab of the Modem "
                          "Configuration dialog.";
    const char* full = "There is insufficient disk space to send the page to Corvane/md.  Please free some disk "
                       "space before trying again.";
    const char* lost = "The logon to the mail system has been lost.  You should exit and restart Corvane.";
    const char* other = "Your page cannot be sent.  An unspecified error was received.  You should exit and restart "
                        "Windows.";
    const Case cases[] = {
        {{.rcpt = "550 no such user"}, kMailUnknownRecipient, unknown},
        {{.rcpt = "551 not local"}, kMailUnknownRecipient, unknown},
        {{.rcpt = "553 bad address"}, kMailUnknownRecipient, unknown},
        {{.rcpt = "452 mailbox full"}, kMailDiskFull, full},
        {{.end = "552 too large"}, kMailDiskFull, full},
        {{.auth = "535 authentication failed"}, kMailInvalidSession, lost},
        {{.end = "close"}, kMailInvalidSession, lost},
        {{.mail = "451 try later"}, kMailFailure, other},
        {{.end = "554 transaction failed"}, kMailFailure, other},
    };
    ASSERT_EQ(mail.Logon(), kMailOk);
    settings.Write(key::MailSmtpServer, Url("smtp", ClosedPort()));  // a server that is down
    EXPECT_EQ(mail.SendMail("gw@example.org", "s", "b", false), kMailInvalidSession);
    for (const Case& c : cases) {
        CScriptedSmtp server(c.script);
        settings.Write(key::MailSmtpServer, Url("smtp", server.port()));
        boxes.shown.clear();
        EXPECT_EQ(mail.SendMail("gw@example.org", "s", "b", true), c.status) << c.text << " / " << mail.LastError();
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, c.text);
        EXPECT_EQ(boxes.shown[0].caption, "Mail Error");
        EXPECT_EQ(mail.SendMail("gw@example.org", "s", "b", false), c.status);
        EXPECT_EQ(boxes.shown.size(), 1u);  // without show-errors nothing more
    }
    mail.Logoff();
    boxes.shown.clear();
    EXPECT_EQ(mail.SendMail("gw@example.org", "s", "b", true), kMailNotLoggedOn);
    EXPECT_EQ(boxes.Texts(), "Mail Error: Corvane is not logged onto the mail system.  Please exit and restart the "
                             "application.\n");
}

TEST_F(MailServerTest, ServersThatNeverAnswerCostBoundedTimeWithThePumpRunning)
{
    CScriptedSmtp silent({}, true);
    CFakeClock fakeClock;
    CFastForwardPump fastPump(fakeClock);
    CMailSystem slow({settings, fastPump, fakeClock, boxes});
    settings.Write(key::MailImapServer, Url("imap", silent.port(), "/INBOX"));
    std::uint64_t start = fakeClock.TickMs();
    auto realStart = std::chrono::steady_clock::now();
    EXPECT_EQ(slow.Logon(), kMailFailure);
    EXPECT_GE(fakeClock.TickMs() - start, static_cast<std::uint64_t>(kImapConnectTimeoutMs) - 1000);
    EXPECT_LE(fakeClock.TickMs() - start, static_cast<std::uint64_t>(kImapConnectTimeoutMs) + 1000);
    EXPECT_GT(fastPump.waits, 100);  // the shell's events ran all the while

    // A logged-on mail system whose SMTP server takes the connection and says nothing.
    settings.Write(key::MailImapServer, Url("imap", imapPort, "/INBOX"));
    fastPump.fastForward = false;
    ASSERT_EQ(slow.Logon(), kMailOk);
    fastPump.fastForward = true;
    settings.Write(key::MailSmtpServer, Url("smtp", silent.port()));
    EXPECT_EQ(slow.SendMail("gw@example.org", "s", "b", true), kMailInvalidSession);
    EXPECT_EQ(boxes.Texts(), "Mail Error: The logon to the mail system has been lost.  You should exit and restart "
                             "Corvane.\n");
    EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(20));
}

TEST_F(MailServerTest, TlsWithTheTestAuthorityAndARefusalWithout)
{
    int imapsPort = 0, smtpsPort = 0, starttlsPort = 0;
    CORVANE_REQUIRE_SERVER("imaps", imapsPort);
    CORVANE_REQUIRE_SERVER("smtps", smtpsPort);
    CORVANE_REQUIRE_SERVER("smtpstls", starttlsPort);
    settings.Write(key::MailImapServer, Url("imaps", imapsPort, "/INBOX"));
    // The system's authorities do not know the test's: refused, and said why.
    EXPECT_EQ(mail.Logon(), kMailInsecure);
    EXPECT_NE(mail.LastError().find("certificate"), std::string::npos) << mail.LastError();

    ::setenv("CORVANE_CA_FILE", (ServersDir() + "/imaps/ca.pem").c_str(), 1);
    DeliverMail(maildir, "From: a@example.org\r\nSubject: over TLS\r\n\r\nsecret text\r\n");
    ASSERT_EQ(mail.Logon(), kMailOk);
    InboxListing listing;
    ASSERT_EQ(mail.ListUnread(listing), kMailOk);
    ASSERT_EQ(listing.unread.size(), 1u);
    MailMessage message;
    ASSERT_EQ(mail.Read(listing.unread[0], message), kMailOk);
    EXPECT_EQ(message.body, "secret text");

    // Implicit TLS and STARTTLS; the smtp servers' authority differs from the imaps one.
    settings.Write(key::MailSmtpServer, Url("smtps", smtpsPort));
    EXPECT_EQ(mail.SendMail("gw@example.org", "s", "smtps-refused", true), kMailInsecure);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("no secure connection to the mail server could be made"), std::string::npos);
    // aiosmtpd offers AUTH after STARTTLS but takes no login: these sends go without a name.
    settings.Write(key::MailName, "");
    for (auto [kind, port] : {std::pair{"smtps", smtpsPort}, std::pair{"smtpstls", starttlsPort}}) {
        ::setenv("CORVANE_CA_FILE", (ServersDir() + "/" + kind + "/ca.pem").c_str(), 1);
        settings.Write(key::MailSmtpServer, Url(std::string(kind) == "smtps" ? "smtps" : "smtp", port));
        std::string marker = std::string("tls-marker-") + kind;
        EXPECT_EQ(mail.SendMail("gw@example.org", "s", marker, false), kMailOk) << kind << ": " << mail.LastError();
        EXPECT_NE(StoredMail(kind, marker), "") << kind;
    }
    EXPECT_EQ(StoredMail("smtps", "smtps-refused"), "");
}

}  // namespace
}  // namespace corvane
