// corvaned as real processes: the single-instance rule, forwarding, side-by-side
// titles, the data directory warning and an orderly end on Close and SIGTERM.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <cstdlib>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <thread>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "app/core/command_client.h"
#include "directory/pager_list.h"
#include "mail/filter_file.h"
#include "settings/mail_password.h"
#include "settings/ini_settings.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_servers.h"

extern char** environ;

namespace corvane::test {
namespace {

using namespace std::chrono_literals;

class DaemonProcessTest : public ::testing::Test {
protected:
    DaemonProcessTest()
    {
        ::mkdir((home.path() + "run").c_str(), 0700);
        ::setenv("XDG_RUNTIME_DIR", (home.path() + "run").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home.path() + "config").c_str(), 1);
        ::setenv("CORVANE_SYSCONFDIR", (home.path() + "etc").c_str(), 1);
        data.Write("MODEMS.DAT", "Direct Connect,DIRECT\n");
        // A paging server that takes the connection and never greets.
        silent = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(silent, 4);
        socklen_t length = sizeof address;
        ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
        CPagerList pagers;
        for (const char* name : {"Bob", "Net"}) {
            PagerRecord& p = *pagers.NewPager();
            p.UserName = name;
            p.PagerType = "1";
        }
        pagers.at(1).PhoneNumber = "SNPP:127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        CMemorySettings settings;
        CRecordingMessageBox boxes;
        pagers.Save(DataFiles{data.path(), settings, boxes});
    }
    ~DaemonProcessTest() override
    {
        ::close(silent);
        for (pid_t pid : started) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    // Starts corvaned in the data folder with its standard error in a file.
    pid_t Start(std::vector<std::string> args, const std::string& errName = "stderr.txt")
    {
        const char* binaries = std::getenv("CORVANE_BINARY_DIR");
        args.insert(args.begin(), std::string(binaries ? binaries : ".") + "/app/daemon/corvaned");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, data.File(errName).c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, data.path().c_str());
        pid_t pid = 0;
        EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        started.push_back(pid);
        return pid;
    }

    template <class Predicate>
    static bool Eventually(Predicate done, std::chrono::milliseconds limit = 10s)
    {
        for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for(20ms))
            if (done()) return true;
        return false;
    }
    static bool Answers(const std::string& title)
    {
        std::vector<std::string> topics;
        return CCommandClient(title).Topics(topics, 200).status == CommandStatus::Ack;
    }
    bool WaitForInstance(const std::string& title) { return Eventually([&] { return Answers(title); }); }
    bool WaitForText(const std::string& name, const std::string& text)
    {
        return Eventually([&] { return data.Read(name).find(text) != std::string::npos; });
    }
    // The exit status, or -1 when the process did not end within the time.
    int WaitForExit(pid_t pid, std::chrono::milliseconds limit = 10s)
    {
        int status = 0;
        if (!Eventually([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, limit)) return -1;
        std::erase(started, pid);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    CTempDir home;
    CTempDir data;
    std::vector<pid_t> started;
    int silent = -1;
};

TEST_F(DaemonProcessTest, ASecondStartForwardsItsPageCommandAndEndsAnotherTitleRunsBeside)
{
    pid_t first = Start({"-KForward", "-W" + data.path()});
    Start({"-KNight", "-W" + data.path()}, "night.txt");
    ASSERT_TRUE(WaitForInstance("Forward"));
    EXPECT_TRUE(WaitForInstance("Night"));
    pid_t second = Start({"-KForward", "-W" + data.path(), "-P", "Bob/forwarded page"}, "second.txt");
    EXPECT_EQ(WaitForExit(second), 0);
    // The first instance sends it: no page port is configured, so it is logged as failed.
    EXPECT_TRUE(WaitForText("errorlog.txt", "Error 1 To Bob: forwarded page\n")) << data.Read("errorlog.txt");
    EXPECT_EQ(WaitForExit(first, 100ms), -1);  // still running
}

TEST_F(DaemonProcessTest, ADataDirectoryWithoutItsSlashIsReported)
{
    std::string withoutSlash = data.path().substr(0, data.path().size() - 1);
    pid_t pid = Start({"-KWarn", "-W" + withoutSlash});
    ASSERT_TRUE(WaitForInstance("Warn"));
    EXPECT_EQ(data.Read("stderr.txt"),
              "Initialization Error: Unable to locate the data files.  Be sure the pathname specified in the -W "
              "command line parameter is correct.\n");
    ::kill(pid, SIGTERM);
    EXPECT_EQ(WaitForExit(pid), 0);
}

TEST_F(DaemonProcessTest, CloseOverTheCommandServerEndsTheProgram)
{
    pid_t pid = Start({"-KEnd", "-W" + data.path()});
    ASSERT_TRUE(WaitForInstance("End"));
    EXPECT_EQ(CCommandClient("End").Execute("Close", "", 2000).status, CommandStatus::Ack);
    EXPECT_EQ(WaitForExit(pid), 0);
    EXPECT_FALSE(Answers("End"));
}

TEST_F(DaemonProcessTest, SigtermDuringAPageCancelsTheCallThenEnds)
{
    pid_t pid = Start({"-KBusy", "-W" + data.path()});
    ASSERT_TRUE(WaitForInstance("Busy"));
    ASSERT_EQ(CCommandClient("Busy").Execute("SendPage", "Net/never greeted", 2000).status, CommandStatus::Ack);
    std::this_thread::sleep_for(2500ms);  // the run has started and waits for the greeting
    ::kill(pid, SIGTERM);
    EXPECT_EQ(WaitForExit(pid, 15s), 0);
    EXPECT_EQ(data.Read("errorlog.txt").substr(17), "Error 109 To Net: never greeted\n");
}

TEST_F(DaemonProcessTest, MailMonitoringWithTheMailServerDownSaysSoOnceAndStaysOn)
{
    CPagerList pagers;
    PagerRecord& p = *pagers.NewPager();
    p.UserName = "Mia";
    p.PagerType = "1";
    p.AutoPageFlags = kAutoMail;
    CMemorySettings memory;
    CRecordingMessageBox boxes;
    pagers.Save(DataFiles{data.path(), memory, boxes});
    data.Write("FILTERS.DAT", WriteFilters({CMailFilter{}}));
    // Nobody listens on the silent server's port once it is closed.
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(silent);
    silent = -1;
    {
        CIniSettings settings("Mx");
        settings.Write(key::MailImapServer, "imap://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/INBOX");
        settings.Write(key::MailName, "nobody");
        settings.Write(key::MailMonitor, "1");
    }

    pid_t pid = Start({"-KMx", "-M", "-W" + data.path()});
    ASSERT_TRUE(WaitForInstance("Mx"));
    std::this_thread::sleep_for(3s);  // monitoring began, and its first scan found the server down too
    EXPECT_EQ(CCommandClient("Mx").Execute("Close", "", 2000).status, CommandStatus::Ack);
    EXPECT_EQ(WaitForExit(pid), 0);
    EXPECT_EQ(data.Read("stderr.txt"), "Mail Error: Error attempting to open the mail session.  Please insure your mail "
                                       "software is installed correctly.\n");
    EXPECT_EQ(CIniSettings("Mx").Get(key::MailMonitor), "1");
}

// The message holding marker as the test SMTP server stored it, "" while none came.
std::string StoredMail(const std::string& marker)
{
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(ServersDir() + "/smtp/Maildir/new", error)) {
        std::ifstream in(file.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        if (text.str().find(marker) != std::string::npos) return text.str();
    }
    return "";
}

TEST_F(DaemonProcessTest, GatewayPageByMailFromTheCommandClientToTheSmtpServer)
{
    int imapPort = 0, smtpPort = 0;
    CORVANE_REQUIRE_SERVER("imap", imapPort);
    CORVANE_REQUIRE_SERVER("smtp", smtpPort);
    std::string user = "d" + std::to_string(::getpid()) + "-gateway";
    AddImapUser(user, "secret");
    std::this_thread::sleep_for(1100ms);  // the server reads its password file at most once a second
    CIniSettings settings("Gw");
    settings.Write(key::MailImapServer, "imap://127.0.0.1:" + std::to_string(imapPort) + "/INBOX");
    settings.Write(key::MailSmtpServer, "smtp://127.0.0.1:" + std::to_string(smtpPort));
    settings.Write(key::MailName, user);
    settings.Write(key::MailPassword, ScrambleMailPassword("secret"));
    settings.Write(key::MailFromAddress, "desk@example.org");
    settings.Write(key::PagePort, "MD");
    settings.Write(key::MailAddress, "md-gateway@example.org");

    pid_t pid = Start({"-KGw", "-W" + data.path()});
    ASSERT_TRUE(WaitForInstance("Gw"));
    std::string marker = "gateway page " + std::to_string(::getpid());
    const char* binaries = std::getenv("CORVANE_BINARY_DIR");
    std::string ctl = std::string(binaries ? binaries : ".") + "/app/ctl/corvane-ctl";
    ASSERT_EQ(std::system((ctl + " -KGw SendPage 'Bob/" + marker + "'").c_str()), 0);
    ASSERT_TRUE(Eventually([&] { return !StoredMail(marker).empty(); }));
    std::string mail = StoredMail(marker);
    EXPECT_NE(mail.find("\nSubject: CVTOM2 Bob\\1\\\\60\\8\\\\*\\\\2\\80\n"), std::string::npos) << mail;
    EXPECT_NE(mail.find("\nX-MailFrom: desk@example.org\nX-RcptTo: md-gateway@example.org\n"), std::string::npos);
    EXPECT_EQ(mail.substr(mail.find("\n\n") + 2), marker + "\n");
    EXPECT_TRUE(WaitForText("log.txt", "Bob: " + marker + "\n")) << data.Read("log.txt");
    EXPECT_EQ(CCommandClient("Gw").Execute("Close", "", 2000).status, CommandStatus::Ack);
    EXPECT_EQ(WaitForExit(pid), 0);
    EXPECT_EQ(data.Read("stderr.txt"), "Corvane: Your page request(s) are being delivered to the paging server.\n");
    EXPECT_EQ(data.Read("errorlog.txt"), "");
}

TEST_F(DaemonProcessTest, ThePagingServersTextsAndAPortTakenByAnother)
{
    // A port of our own: the daemon listens there and shows what arrives.
    int port = 0;
    {
        int probe = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        ::close(probe);
    }
    CIniSettings listening("Sv");
    listening.Write(key::PagePort, "SV");
    listening.Write(key::IPPort, std::to_string(port));
    pid_t pid = Start({"-KSv", "-W" + data.path()});
    ASSERT_TRUE(WaitForInstance("Sv"));
    int client = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const char text[] = "Page to Bob delivered\r\n";
    ASSERT_EQ(::write(client, text, sizeof text - 1), static_cast<ssize_t>(sizeof text - 1));
    ::close(client);
    EXPECT_TRUE(WaitForText("stderr.txt", "Message from Paging Server: Page to Bob delivered\n"))
        << data.Read("stderr.txt");
    ::kill(pid, SIGTERM);
    EXPECT_EQ(WaitForExit(pid), 0);

    // The server itself holds the port: the daemon cannot listen, but its pages still go.
    int server = ::socket(AF_INET, SOCK_STREAM, 0);
    address.sin_port = 0;
    ::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(server, reinterpret_cast<sockaddr*>(&address), &length);
    ::listen(server, 5);
    CIniSettings taken("Taken");
    taken.Write(key::PagePort, "SV");
    taken.Write(key::IPAddress, "2130706433");
    taken.Write(key::IPPort, std::to_string(ntohs(address.sin_port)));
    pid = Start({"-KTaken", "-W" + data.path()}, "taken.txt");
    ASSERT_TRUE(WaitForInstance("Taken"));
    ASSERT_EQ(CCommandClient("Taken").Execute("SendPage", "Bob/to the server", 2000).status, CommandStatus::Ack);
    int accepted = ::accept(server, nullptr, nullptr);
    ASSERT_GE(accepted, 0);
    std::string request;
    char chunk[256];
    for (ssize_t n; (n = ::read(accepted, chunk, sizeof chunk)) > 0;) request.append(chunk, static_cast<std::size_t>(n));
    EXPECT_EQ(request, "to the server\x02" "Bob\x02" "A///300//80");
    ::close(accepted);
    ::close(server);
    EXPECT_TRUE(WaitForText("log.txt", "Bob: to the server\n"));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(WaitForExit(pid), 0);
}

}  // namespace
}  // namespace corvane::test
