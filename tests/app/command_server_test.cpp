// The command server across a real local socket: corvane-ctl as a separate process,
// raw clients that misbehave, and the single-instance rules of the socket file.

#include "app/core/command_server.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/core/command_client.h"
#include "app/core/command_topics.h"
#include "app/core/poll_loop.h"
#include "tests/app/app_fakes.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace corvane {
namespace {

constexpr std::size_t kHundredMegabytes = 100u * 1024 * 1024;
constexpr std::size_t kOneRequestBound = kMaxRequestHeaderBytes + kMaxTopicBytes + kMaxDataBytes;

std::string UniqueTitle(const std::string& base = "Test Corvane")
{
    static int counter = 0;
    return base + " " + std::to_string(::getpid()) + "-" + std::to_string(++counter);
}

sockaddr_un Address(const std::string& path)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    return address;
}

int RawConnect(const std::string& path)
{
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = Address(path);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    return -1;
}

// Sends the head and then filler (giving up quietly when the server has closed), then
// reads to the end.
std::string BlockingExchange(const std::string& path, const std::string& head, std::size_t fillerBytes)
{
    const int fd = RawConnect(path);
    if (fd < 0) return "connect failed";
    bool open = ::send(fd, head.data(), head.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(head.size());
    const std::string filler(1024 * 1024, 'x');
    for (std::size_t sent = 0; open && sent < fillerBytes;) {
        const ssize_t n = ::send(fd, filler.data(), std::min(filler.size(), fillerBytes - sent), MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += static_cast<std::size_t>(n);
    }
    std::string answer;
    char chunk[256];
    for (ssize_t n; (n = ::recv(fd, chunk, sizeof chunk, 0)) > 0;) answer.append(chunk, static_cast<std::size_t>(n));
    ::close(fd);
    return answer;
}

struct CtlRun {
    int status = -1;
    std::string out;
    std::string err;
};

class CommandServerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(server.Start(title), ServerStart::Listening) << server.Problem(); }

    template <class Predicate>
    bool PumpUntil(Predicate done, int maxMs = 20000)
    {
        const auto end = realClock.TickMs() + static_cast<std::uint64_t>(maxMs);
        while (!done()) {
            if (realClock.TickMs() > end) return false;
            loop.RunOnce(10);
        }
        return true;
    }
    // Runs a client call on another thread while the server answers on this one.
    template <class Call>
    auto Pumped(Call call)
    {
        std::atomic<bool> done{false};
        decltype(call()) result{};
        std::thread client([&] {
            result = call();
            done = true;
        });
        PumpUntil([&] { return done.load(); });
        client.join();
        return result;
    }

    // Runs corvane-ctl with the arguments while the server answers in this process.
    CtlRun RunCtl(std::vector<std::string> args)
    {
        const char* binaries = std::getenv("CORVANE_BINARY_DIR");
        args.insert(args.begin(), std::string(binaries ? binaries : ".") + "/app/ctl/corvane-ctl");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, output.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, output.File("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = -1;
        const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        EXPECT_EQ(spawned, 0) << argv[0];
        if (spawned != 0) return {};
        int status = 0;
        EXPECT_TRUE(PumpUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; })) << "corvane-ctl hangs";
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output.Read("out"), output.Read("err")};
    }
    // Reads what a raw client gets, pumping the server meanwhile, up to the close.
    std::string RawAnswer(int fd)
    {
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        std::string answer;
        PumpUntil([&] {
            char chunk[256];
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n > 0) answer.append(chunk, static_cast<std::size_t>(n));
            return n == 0 || (n < 0 && errno != EAGAIN);
        });
        ::close(fd);
        return answer;
    }
    std::string Raw(const std::string& request)
    {
        const int fd = RawConnect(server.SocketPath());
        EXPECT_EQ(::send(fd, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
        return RawAnswer(fd);
    }
    bool StillServes()
    {
        const std::size_t before = queue.requests.size();
        return RunCtl({"-K" + title, "QueuePage", "Check/alive"}).status == 0 && queue.requests.size() == before + 1;
    }
    void AdvanceAndSweep(std::uint64_t ms)
    {
        clock.Advance(ms);
        server.Sweep();
    }

    test::CTempDir output;
    CSystemClock realClock;
    test::CFakeClock clock;
    CPollLoop loop{realClock};
    CPageQueue queue;
    test::CRecordingCommandShell shell;
    CCommandTopics topics{queue, shell};
    const std::string title = UniqueTitle();
    CCommandServer server{loop, clock, topics};
};

TEST_F(CommandServerTest, CtlPassesThePageCommandUnchangedInEveryTitleForm)
{
    const std::string data = "Bob/\"tab\there\" it's/a \\back\\slash\r\n  ";
    EXPECT_EQ(RunCtl({"-K" + title, "QueuePage", data}).status, 0);
    EXPECT_EQ(RunCtl({"-K", title, "QueuePage", "B/2"}).status, 0);
    EXPECT_EQ(RunCtl({"-K\"" + title + "\"", "QueuePage", "C/3"}).status, 0);
    EXPECT_EQ(queue.sendRequest, kSendNone);
    const auto run = RunCtl({"-k", title, "-t", "3000", "SendPage", "John/Meeting at 3/4 o'clock/now"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(queue.requests.size(), 4u);
    EXPECT_EQ(queue.requests[0].message, data.substr(4));
    EXPECT_EQ(queue.requests[3], (PageRequest{kOriginCommand, "John", "Meeting at 3", "4 o'clock", "now"}));
    EXPECT_EQ(queue.sendRequest, kSendCommand);
}

TEST_F(CommandServerTest, ShellTopicsAnswerAfterTheirActionAndASecondStartActivates)
{
    EXPECT_EQ(RunCtl({"-K" + title, "AddPager"}).status, 0);
    EXPECT_EQ(RunCtl({"-K" + title, "RereadPagers", "ignored"}).status, 0);
    EXPECT_EQ(RunCtl({"-K" + title, "Close"}).status, 0);
    EXPECT_EQ(shell.addPagerCalls, 1);
    EXPECT_EQ(shell.rereadCalls, 1);
    EXPECT_TRUE(shell.closeRequested);
    EXPECT_TRUE(server.IsListening()) << "Close only asks; the tick closes";
    EXPECT_TRUE(Pumped([&] { return CCommandClient(title).Activate(2000); }));
    EXPECT_EQ(shell.frontCalls, 1);
}

TEST_F(CommandServerTest, ExitCodesMessagesAndTheTopicList)
{
    const auto other = RunCtl({"-K" + title, "Exit", "John/Hi"});
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(other.err, "corvane-ctl: \"" + title + "\" did not process the topic \"Exit\".\n");
    EXPECT_TRUE(queue.requests.empty());

    const auto nobody = RunCtl({"-KNobody " + title, "SendPage", "John/Hi"});
    EXPECT_EQ(nobody.status, 2);
    EXPECT_EQ(nobody.err.rfind("corvane-ctl: no instance of \"Nobody " + title + "\" answered (", 0), 0u) << nobody.err;
    EXPECT_EQ(std::count(nobody.err.begin(), nobody.err.end(), '\n'), 1);

    for (std::vector<std::string> usage : {std::vector<std::string>{"-K" + title},
                                           {"-K" + title, "SendPage", "a/b", "extra"},
                                           {"-K" + title, "-t", "soon", "SendPage"}})
        EXPECT_EQ(RunCtl(usage).status, 64);

    const std::string six = "SendPages\nAddPager\nRereadPagers\nQueuePage\nSendPage\nClose\n";
    EXPECT_EQ(Raw("TOPICS\n"), six);
    EXPECT_EQ(Raw("TOPICS\r\n"), six);
    const auto topicsRun = RunCtl({"-K" + title, "--topics"});
    EXPECT_EQ(topicsRun.status, 0);
    EXPECT_EQ(topicsRun.out, six);
}

TEST_F(CommandServerTest, TheDataEndsAtItsFirstNul)
{
    EXPECT_EQ(Raw(EncodeExecuteRequest("SendPage", std::string("Bob/Hi\0junk/x/y", 15))), "FACK\n");
    // A second start forwards its -P command the same way, NUL included.
    EXPECT_TRUE(Pumped([&] { return CCommandClient(title).ForwardPageCommand("Ann/\"from the second start\""); }));
    ASSERT_EQ(queue.requests.size(), 2u);
    EXPECT_EQ(queue.requests[0].message, "Hi");
    EXPECT_EQ(queue.requests[1].message, "from the second start");
}

TEST_F(CommandServerTest, MalformedRequestsGetAnErrorAndChangeNothing)
{
    const std::string malformed[] = {"HELLO\n",       "EXECUTE 8\nSendPage", "EXECUTE x 1\n", "EXECUTE -1 2\n",
                                     "EXECUTE  8 2\n", std::string(100, 'E'), "execute 8 2\nSendPagea/"};
    for (const std::string& request : malformed) EXPECT_EQ(Raw(request), "ERROR malformed request\n") << request;
    for (const char* request : {"EXECUTE 257 0\n", "EXECUTE 8 65537\n", "EXECUTE 8 99999999999999999999999\n"})
        EXPECT_EQ(Raw(request), "ERROR request too large\n") << request;
    EXPECT_TRUE(queue.requests.empty());
    // The data may be exactly at the limit.
    EXPECT_EQ(Raw(EncodeExecuteRequest("QueuePage", "Ann/" + std::string(kMaxDataBytes - 4, 'm'))), "FACK\n");
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0].message.size(), kMaxDataBytes - 4);
}

TEST_F(CommandServerTest, ClientsThatLeaveMidRequestOrSendNothingAreDroppedAndOthersServed)
{
    for (const std::string partial : {"EXECUTE 8 20\nSendPageBob/", "EXECUTE 8 2", "EXECUTE 8 20\nSend"}) {
        const int fd = RawConnect(server.SocketPath());
        ASSERT_EQ(::send(fd, partial.data(), partial.size(), 0), static_cast<ssize_t>(partial.size()));
        PumpUntil([&] { return server.Stats().bufferedBytes > 0; });
        ::close(fd);
        EXPECT_TRUE(PumpUntil([&] { return server.Stats().openClients == 0; }));
    }
    // An empty connection (a starting instance checking for us) is no fault.
    ::close(RawConnect(server.SocketPath()));
    EXPECT_TRUE(StillServes());
    EXPECT_EQ(server.Stats().abandoned, 3u);
    EXPECT_EQ(server.Stats().bufferedBytes, 0u);

    const int idle = RawConnect(server.SocketPath());
    const int slow = RawConnect(server.SocketPath());
    ASSERT_EQ(::send(slow, "EXECUTE 8 1", 11, 0), 11);
    PumpUntil([&] { return server.Stats().openClients == 2; });
    EXPECT_TRUE(StillServes()) << "others are answered meanwhile";
    AdvanceAndSweep(4999);
    EXPECT_EQ(server.Stats().openClients, 2u);
    AdvanceAndSweep(1);
    EXPECT_EQ(server.Stats().openClients, 0u);
    EXPECT_EQ(RawAnswer(idle), "ERROR time-out\n");
    EXPECT_EQ(RawAnswer(slow), "ERROR time-out\n");
    EXPECT_EQ(server.Stats().timedOut, 2u);
    EXPECT_EQ(queue.requests.size(), 2u) << "only the requests of the clients that completed them";
}

TEST_F(CommandServerTest, HundredMegabyteClientsAreCutOffAtTheLimit)
{
    const std::string heads[] = {"EXECUTE 8 104857600\nSendPage", "", EncodeExecuteRequest("QueuePage", "Zed/exact")};
    std::string answers[3];
    std::atomic<int> finished{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 3; ++i)
        clients.emplace_back([&, i] {
            answers[i] = BlockingExchange(server.SocketPath(), heads[i], kHundredMegabytes);
            ++finished;
        });
    EXPECT_TRUE(PumpUntil([&] { return finished == 3; }, 60000));
    for (auto& t : clients) t.join();
    EXPECT_EQ(answers[0], "ERROR request too large\n");
    EXPECT_EQ(answers[1], "ERROR malformed request\n");
    EXPECT_EQ(answers[2], "FACK\n");
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0].message, "exact") << "bytes after the request are not part of it";
    EXPECT_LE(server.Stats().peakBufferedBytes, kOneRequestBound);
    EXPECT_EQ(server.Stats().bufferedBytes, 0u);
    EXPECT_TRUE(StillServes());
}

TEST_F(CommandServerTest, TwoHundredClientsAtOnceAreAllAnswered)
{
    constexpr int kClients = 200;
    std::vector<CommandStatus> results(kClients, CommandStatus::NoInstance);
    std::atomic<int> finished{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back([&, i] {
            results[static_cast<std::size_t>(i)] =
                CCommandClient(title).Execute("QueuePage", "P" + std::to_string(i) + "/m", 20000).status;
            ++finished;
        });
    }
    // More than the slots: the others wait in the backlog and are answered in turn.
    EXPECT_TRUE(PumpUntil([&] { return finished == kClients; }, 30000));
    for (auto& t : clients) t.join();
    EXPECT_EQ(std::count(results.begin(), results.end(), CommandStatus::Ack), kClients);
    EXPECT_EQ(queue.requests.size(), static_cast<std::size_t>(kClients));
    EXPECT_LE(server.Stats().peakClients, CommandServerLimits{}.maxClients);
    EXPECT_LE(server.Stats().peakBufferedBytes, CommandServerLimits{}.maxClients * kOneRequestBound);
    EXPECT_EQ(server.Stats().openClients, 0u);
}

TEST_F(CommandServerTest, TheSocketIsPrivateAndAnotherUsersProgramIsRefused)
{
    struct stat st {};
    ASSERT_EQ(::lstat(server.SocketPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const std::string folder = server.SocketPath().substr(0, server.SocketPath().rfind('/'));
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());

    server.SetAllowedUid(::geteuid() + 1);
    const CommandReply reply = Pumped([&] { return CCommandClient(title).Execute("SendPage", "John/Hi", 5000); });
    EXPECT_EQ(reply.status, CommandStatus::Refused);
    EXPECT_EQ(reply.detail, "access denied");
    EXPECT_TRUE(queue.requests.empty());
}

TEST_F(CommandServerTest, ALiveSocketIsNeverStolenAStaleOneIsReplacedAndNothingElse)
{
    CPageQueue otherQueue;
    test::CRecordingCommandShell otherShell;
    CCommandTopics otherTopics{otherQueue, otherShell};
    CCommandServer second{loop, clock, otherTopics};
    EXPECT_EQ(second.Start(title), ServerStart::AlreadyRunning);
    EXPECT_TRUE(StillServes()) << "the first instance keeps its socket";

    const std::string path = server.SocketPath();
    server.Stop();
    EXPECT_NE(::access(path.c_str(), F_OK), 0) << "an orderly stop removes the socket";
    // What a crashed instance leaves: a socket file nobody listens on.
    const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = Address(path);
    ASSERT_EQ(::bind(dead, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(dead);
    EXPECT_EQ(CCommandClient(title).Execute("SendPage", "a/b", 1000).status, CommandStatus::NoInstance);
    ASSERT_EQ(second.Start(title), ServerStart::Listening) << second.Problem();
    EXPECT_EQ(server.Start(title), ServerStart::AlreadyRunning);
    EXPECT_EQ(RunCtl({"-K" + title, "QueuePage", "Ann/to the second"}).status, 0);
    EXPECT_EQ(otherQueue.requests.size(), 1u);

    second.Stop();
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::fputs("mine", f);
    std::fclose(f);
    EXPECT_EQ(server.Start(title), ServerStart::Failed);
    EXPECT_NE(server.Problem(), "");
    struct stat st {};
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    ::unlink(path.c_str());
}

TEST_F(CommandServerTest, LongAndOddTitlesGetTheirOwnSocket)
{
    server.Stop();
    const std::string longTitle = UniqueTitle(std::string(150, 'L') + "/../\xc3\xa9");
    ASSERT_EQ(server.Start(longTitle), ServerStart::Listening) << server.Problem();
    EXPECT_LT(server.SocketPath().size(), sizeof(sockaddr_un{}.sun_path));
    EXPECT_EQ(server.SocketPath().find("/../"), std::string::npos);
    EXPECT_EQ(RunCtl({"-K" + longTitle, "QueuePage", "Ann/long"}).status, 0);
    EXPECT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(CommandSocketName("Corvane"), "Corvane");
    EXPECT_EQ(CommandSocketName(".a b/c%"), "%2Ea%20b%2Fc%25");
}

TEST(CommandSocketFolder, AFolderOthersCanEnterIsRefused)
{
    test::CTempDir runtime;
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string before = saved ? saved : "";
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
    ASSERT_EQ(::mkdir(runtime.File("corvane").c_str(), 0700), 0);
    ::chmod(runtime.File("corvane").c_str(), 0755);

    CSystemClock clock;
    CPollLoop loop{clock};
    CPageQueue queue;
    test::CRecordingCommandShell shell;
    CCommandTopics topics{queue, shell};
    CCommandServer server{loop, clock, topics};
    EXPECT_EQ(server.Start("Corvane"), ServerStart::Failed);
    EXPECT_NE(server.Problem().find("not a private folder"), std::string::npos);
    EXPECT_EQ(CCommandClient("Corvane").Execute("SendPage", "a/b", 1000).status, CommandStatus::NoInstance);

    ::chmod(runtime.File("corvane").c_str(), 0700);
    EXPECT_EQ(server.Start("Corvane"), ServerStart::Listening);
    server.Stop();
    saved ? ::setenv("XDG_RUNTIME_DIR", before.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace corvane
