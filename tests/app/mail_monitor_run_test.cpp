// The e-mail monitor as the program runs it, against the real IMAP server (dovecot), the
// paging central's own process reached over TCP (TAP) and a real SNPP server: monitoring
// on, the first scan, the pages of new mail and the user's return.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "app/core/run_state.h"
#include "common/poll_pump.h"
#include "engine/transports.h"
#include "mail/filter_file.h"
#include "mail/mail_monitor.h"
#include "mail/mail_system.h"
#include "modem/port_slots.h"
#include "settings/mail_password.h"
#include "settings/memory_settings.h"
#include "tests/net/perl_snpp_server.h"
#include "tests/sim/sim_process.h"
#include "tests/support/fake_frame.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_servers.h"

namespace corvane::test {
namespace {

using ::testing::ElementsAre;
using Texts = std::vector<std::string>;
using SnppPages = std::vector<std::pair<std::string, std::string>>;

// Real milliseconds for the waits; the date moves only when the test says.
class CSteppedClock : public IClock {
public:
    std::time_t Now() const override { return m_now; }
    std::uint64_t TickMs() const override { return m_real.TickMs(); }
    void Advance(int seconds) { m_now += seconds; }

private:
    std::time_t m_now = 983955900;  // 03/07/01 09:05:00 UTC
    CSystemClock m_real;
};

std::string Mail(const std::string& from, const std::string& subject, const std::string& body)
{
    return "From: " + from + "\r\nTo: desk@example.org\r\nSubject: " + subject + "\r\n\r\n" + body + "\r\n";
}

class MailMonitorRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CORVANE_REQUIRE_SERVER("imap", imapPort);
        ASSERT_TRUE(snpp.running());
        std::string user = "r" + std::to_string(::getpid()) + "-" +
                           ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : user) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        maildir = AddImapUser(user, "secret");
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // the server reads its users once a second
        settings.Write(key::MailImapServer, Inbox(imapPort));
        settings.Write(key::MailName, user);
        settings.Write(key::MailPassword, ScrambleMailPassword("secret"));
        settings.Write(key::MailMonitor, "1");
        settings.Write(key::LogFileName, dir.File("log.txt"));

        CMailFilter filter;
        filter.fields[0] = kFieldSubject;
        filter.comparisons[0] = kCompareContains;
        filter.keywords[0] = "DOWN";
        filter.includeFrom = filter.includeSubject = filter.includeBody = 1;
        dir.Write(kFiltersFile, WriteFilters({filter}));
    }

    static std::string Inbox(int port) { return "imap://127.0.0.1:" + std::to_string(port) + "/INBOX"; }

    void SavePagers(bool withTerminal)
    {
        CPagerList list;
        auto add = [&](const std::string& name, const std::string& id, const std::string& phone, std::uint16_t flags) {
            PagerRecord& p = *list.NewPager();
            p.UserName = name;
            p.PagerID = id;
            p.PagerType = "1";
            p.PhoneNumber = phone;
            p.SystemPassword = "SECRET";
            p.WaitForConnection = "10";
            p.AutoPageFlags = flags;
        };
        if (withTerminal) add("Ann", "1001", "555-1212", kAutoMail);
        add("Sam", "5552002", snpp.Dial(), kAutoMail);
        add("Zed", "3003", snpp.Dial(), kAutoCallMonitor);
        list.Save(state.Files());
    }
    void StartCentral()
    {
        ASSERT_TRUE(central.StartTcp(dir.path(), "reply-delay-ms 50\ngo-ahead-delay-ms 100\npassword SECRET\n"));
        settings.Write(key::PagePort, "tcp:127.0.0.1:" + std::to_string(central.Port()));
    }
    void Create()
    {
        mail.Initialize();
        state.Create(false, 5, "");
    }
    // Time passes, then one tick.
    void Tick(int seconds)
    {
        clock.Advance(seconds);
        state.OnTick();
    }

    int imapPort = 0;
    std::string maildir;
    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeFrame frame;
    CSteppedClock clock;
    CPollPump pump;
    CPortSlots slots{settings, boxes, pump, clock};
    CMailSystem mail{{settings, pump, clock, boxes}};
    CTransports transports{{settings, slots, nullptr, pump, clock, boxes, &mail}};
    CNoHooks hooks;
    CRunState state{RunStateDeps{settings, boxes, frame, pump, clock, slots, transports, hooks, "Corvane", dir.path(),
                                 nullptr, &mail}};
    CPerlSnppServer snpp;
    sim::CSimProcess central;
};

TEST_F(MailMonitorRunTest, NewMailIsPagedOnceToTheTerminalAndTheSnppServerAndTheUsersReturnStartsAfresh)
{
    StartCentral();
    SavePagers(true);
    DeliverMail(maildir, Mail("Ops <ops@example.org>", "web down", "There before monitoring began."));
    Create();
    EXPECT_TRUE(frame.switches.mail);
    EXPECT_EQ(boxes.Texts(), "");

    state.Monitoring().OnScreenSaverStarted();
    Tick(1);  // monitoring starts, and the first scan only remembers
    EXPECT_TRUE(state.MailMonitor().HasSeenList());
    DeliverMail(maildir, Mail("\"Ops Desk\" <ops@example.org>", "db1 down", "Disk full\r\non db1."));
    DeliverMail(maildir, Mail("Lee <lee@example.org>", "lunch?", "At noon."));
    Tick(60);
    EXPECT_TRUE(central.Records("PAGE").empty());  // not yet a minute and more
    Tick(1);

    const std::string text = "Mail From: Ops Desk Sub: db1 down Msg: Disk full on db1.";
    EXPECT_THAT(central.Records("PAGE"), ElementsAre("1001\t" + text));
    EXPECT_EQ(snpp.Pages(), (SnppPages{{"5552002", text}}));
    EXPECT_EQ(dir.Read("log.txt"), "03/07/01 09:06AM Ann: " + text + "\n03/07/01 09:06AM Sam: " + text + "\n");
    EXPECT_EQ(dir.Read("errorlog.txt"), "");
    EXPECT_EQ(state.MailMonitor().SeenList().entries.size(), 3u);

    Tick(61);  // the same unread messages again: nothing more
    EXPECT_EQ(central.Records("PAGE").size(), 1u);
    EXPECT_EQ(snpp.Pages().size(), 1u);
    InboxListing listing;
    ASSERT_EQ(mail.ListUnread(listing), kMailOk);
    EXPECT_EQ(listing.unread.size(), 3u);  // read without being marked

    // The user comes back: the lists go, and mail that comes meanwhile is there before the
    // next monitoring begins.
    state.Monitoring().OnUserActivity();
    EXPECT_FALSE(state.MailMonitor().HasSeenList());
    Tick(1);
    EXPECT_EQ(state.MonitoringPhase(), 0);
    DeliverMail(maildir, Mail("Ops <ops@example.org>", "dns down", "Seen by the user."));
    Tick(120);
    state.Monitoring().OnScreenSaverStarted();
    Tick(1);
    EXPECT_EQ(state.MailMonitor().SeenList().entries.size(), 4u);
    Tick(61);
    EXPECT_EQ(snpp.Pages().size(), 1u);
    EXPECT_TRUE(central.Records("ERROR").empty()) << central.Transcript();
}

TEST_F(MailMonitorRunTest, AHugeMessageWithBinaryHeadersIsCutToThePagersOnePage)
{
    SavePagers(false);
    Create();
    state.Monitoring().ToggleManualMonitoring();
    Tick(1);
    std::string body;
    for (int line = 0; body.size() < (10u << 20); ++line) body += "Line " + std::to_string(line) + " of a large log\r\n";
    // The server hands a NUL on as 0x80, which reads as a control character too.
    DeliverMail(maildir, Mail(std::string("\"Ops\x01" "Desk\0\xFF\" <ops@example.org>", 30),
                              "down " + std::string(100000, 'x'), body));
    Tick(61);
    ASSERT_EQ(snpp.Pages().size(), 1u);
    const std::string logged = dir.Read("log.txt");
    EXPECT_EQ(logged, "03/07/01 09:06AM Sam: Mail From: Ops Desk \xC3\xBF Sub: down " + std::string(80 - 33, 'x') + "\n")
        << logged;
}

}  // namespace
}  // namespace corvane::test
