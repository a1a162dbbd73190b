// The command server across a real local socket: corvane-ctl as a separate process,
// raw clients that misbehave, and the single-instance rules of the socket file.

#include "app/core/command_server.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
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
#include "tests/app/command_fakes.h"
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

std::string CtlPath()
{
    const char* dir = std::getenv("CORVANE_BINARY_DIR");
    return std::string(dir ? dir : ".") + "/app/ctl/corvane-ctl";
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
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends (giving up quietly when the server has closed), then reads to the end.
std::string BlockingExchange(const std::string& path, const std::string& head, std::size_t fillerBytes = 0)
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
    void Pump(int ms)
    {
        const auto end = realClock.TickMs() + static_cast<std::uint64_t>(ms);
        PumpUntil([&] { return realClock.TickMs() >= end; }, ms + 1000);
    }

    // Runs corvane-ctl with the arguments while the server answers in this process.
    CtlRun RunCtl(std::vector<std::string> args)
    {
        args.insert(args.begin(), CtlPath());
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        int out[2], err[2];
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(err, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        pid_t pid = -1;
        CtlRun run;
        const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        ::close(err[1]);
        EXPECT_EQ(spawned, 0) << argv[0] << ": " << std::strerror(spawned);
        if (spawned == 0) {
            int status = 0;
            pid_t waited = 0;
            EXPECT_TRUE(PumpUntil([&] { return (waited = ::waitpid(pid, &status, WNOHANG)) != 0; }))
                << "corvane-ctl hangs";
            EXPECT_EQ(waited, pid) << std::strerror(errno);
            run.status = waited == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        run.out = Drain(out[0]);
        run.err = Drain(err[0]);
        return run;
    }
    static std::string Drain(int fd)
    {
        std::string text;
        char chunk[512];
        for (ssize_t n; (n = ::read(fd, chunk, sizeof chunk)) > 0;) text.append(chunk, static_cast<std::size_t>(n));
        ::close(fd);
        return text;
    }
    // Reads what a raw client gets, pumping the server meanwhile, up to the close.
    std::string RawAnswer(int fd)
    {
        ::fcntl(fd, F_SETFL, O_NONBLOCK);
        std::string answer;
        bool closed = false;
        PumpUntil([&] {
            char chunk[256];
            const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
            if (n > 0) answer.append(chunk, static_cast<std::size_t>(n));
            closed = n == 0 || (n < 0 && errno != EAGAIN);
            return closed;
        });
        ::close(fd);
        return answer;
    }
    std::string Raw(const std::string& request)
    {
        const int fd = RawConnect(server.SocketPath());
        EXPECT_GE(fd, 0);
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

    CSystemClock realClock;
    test::CFakeClock clock;
    CPollLoop loop{realClock};
    CPageQueue queue;
    test::CRecordingCommandShell shell;
    CCommandTopics topics{queue, shell};
    const std::string title = UniqueTitle();
    CCommandServer server{loop, clock, topics};
};

TEST_F(CommandServerTest, CtlSendsAPageCommandThatIsQueuedAndTriggered)
{
    const auto run = RunCtl({"-K" + title, "SendPage", "John/Meeting at 3/4 o'clock/now"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0], (PageRequest{kOriginCommand, "John", "Meeting at 3", "4 o'clock", "now"}));
    EXPECT_EQ(queue.sendRequest, kSendCommand);
}

TEST_F(CommandServerTest, CtlPassesTheDataUnchanged)
{
    const std::string data = "Bob/\"tab\there\" it's/a \\back\\slash\r\n  ";
    ASSERT_EQ(RunCtl({"-K" + title, "QueuePage", data}).status, 0);
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0].message, data.substr(4));
    EXPECT_EQ(queue.sendRequest, kSendNone);
}

TEST_F(CommandServerTest, CtlTakesTheTitleInEveryForm)
{
    EXPECT_EQ(RunCtl({"-K" + title, "QueuePage", "A/1"}).status, 0);
    EXPECT_EQ(RunCtl({"-K", title, "QueuePage", "B/2"}).status, 0);
    EXPECT_EQ(RunCtl({"-K\"" + title + "\"", "QueuePage", "C/3"}).status, 0);
    EXPECT_EQ(RunCtl({"-k", title, "-t", "3000", "QueuePage", "D/4"}).status, 0);
    EXPECT_EQ(queue.requests.size(), 4u);
}

TEST_F(CommandServerTest, ThreeQueuedPagesThenSendPagesMakeOneRun)
{
    for (const char* command : {"Ann/one", "Bob/two", "Sales/three"})
        ASSERT_EQ(RunCtl({"-K" + title, "QueuePage", command}).status, 0);
    EXPECT_EQ(queue.sendRequest, kSendNone);
    ASSERT_EQ(RunCtl({"-K" + title, "SendPages"}).status, 0);
    EXPECT_EQ(queue.sendRequest, kSendCommand);
    ASSERT_EQ(queue.requests.size(), 3u);
    EXPECT_EQ(queue.requests[2].name, "Sales");
}

TEST_F(CommandServerTest, ShellTopicsAnswerAfterTheirAction)
{
    EXPECT_EQ(RunCtl({"-K" + title, "AddPager"}).status, 0);
    EXPECT_EQ(RunCtl({"-K" + title, "RereadPagers", "ignored"}).status, 0);
    EXPECT_EQ(RunCtl({"-K" + title, "Close"}).status, 0);
    EXPECT_EQ(shell.addPagerCalls, 1);
    EXPECT_EQ(shell.rereadCalls, 1);
    EXPECT_TRUE(shell.closeRequested);
    EXPECT_TRUE(server.IsListening()) << "Close only asks; the tick closes";
}

TEST_F(CommandServerTest, ExitCodesAndMessages)
{
    const auto other = RunCtl({"-K" + title, "Exit", "John/Hi"});
    EXPECT_EQ(other.status, 1);
    EXPECT_EQ(other.err, "corvane-ctl: \"" + title + "\" did not process the topic \"Exit\".\n");
    EXPECT_TRUE(queue.requests.empty());

    const auto nobody = RunCtl({"-KNobody " + title, "SendPage", "John/Hi"});
    EXPECT_EQ(nobody.status, 2);
    EXPECT_EQ(nobody.err.rfind("corvane-ctl: no instance of \"Nobody " + title + "\" answered (", 0), 0u) << nobody.err;
    EXPECT_EQ(std::count(nobody.err.begin(), nobody.err.end(), '\n'), 1);

    EXPECT_EQ(RunCtl({"-K" + title}).status, 64);
    EXPECT_EQ(RunCtl({"-K" + title, "SendPage", "a/b", "extra"}).status, 64);
    EXPECT_EQ(RunCtl({"-K" + title, "-t", "soon", "SendPage"}).status, 64);
}

TEST_F(CommandServerTest, TopicsAreListedInTheirOrder)
{
    const std::string six = "SendPages\nAddPager\nRereadPagers\nQueuePage\nSendPage\nClose\n";
    EXPECT_EQ(Raw("TOPICS\n"), six);
    const auto run = RunCtl({"-K" + title, "--topics"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, six);
}

TEST_F(CommandServerTest, TheDataEndsAtItsFirstNul)
{
    EXPECT_EQ(Raw(EncodeExecuteRequest("SendPage", std::string("Bob/Hi\0junk/x/y", 15))), "FACK\n");
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0].message, "Hi");

    // A second start forwards its -P command the same way, NUL included.
    std::atomic<bool> done{false};
    bool forwarded = false;
    std::thread second([&] {
        forwarded = CCommandClient(title).ForwardPageCommand("Ann/\"from the second start\"");
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    second.join();
    EXPECT_TRUE(forwarded);
    ASSERT_EQ(queue.requests.size(), 2u);
    EXPECT_EQ(queue.requests[1].message, "from the second start");
}

TEST_F(CommandServerTest, MalformedRequestsGetAnErrorAndChangeNothing)
{
    const std::pair<std::string, std::string> cases[] = {
        {"HELLO\n", "ERROR malformed request\n"},
        {"EXECUTE 8\nSendPage", "ERROR malformed request\n"},
        {"EXECUTE x 1\n", "ERROR malformed request\n"},
        {"EXECUTE -1 2\n", "ERROR malformed request\n"},
        {"EXECUTE  8 2\n", "ERROR malformed request\n"},
        {"execute 8 2\nSendPagea/", "ERROR malformed request\n"},
        {std::string(100, 'E'), "ERROR malformed request\n"},
        {"EXECUTE 257 0\n", "ERROR request too large\n"},
        {"EXECUTE 8 65537\n", "ERROR request too large\n"},
        {"EXECUTE 8 99999999999999999999999\n", "ERROR request too large\n"},
    };
    for (const auto& [request, answer] : cases) EXPECT_EQ(Raw(request), answer) << request;
    EXPECT_TRUE(queue.requests.empty());
    // A CR before the header's LF is allowed, and the data may be exactly at the limit.
    EXPECT_EQ(Raw("TOPICS\r\n").substr(0, 10), "SendPages\n");
    EXPECT_EQ(Raw(EncodeExecuteRequest("QueuePage", "Ann/" + std::string(kMaxDataBytes - 4, 'm'))), "FACK\n");
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0].message.size(), kMaxDataBytes - 4);
}

TEST_F(CommandServerTest, AClientThatSendsNothingIsDroppedAfterTheTimeOut)
{
    const int idle = RawConnect(server.SocketPath());
    const int slow = RawConnect(server.SocketPath());
    ASSERT_GE(idle, 0);
    ASSERT_GE(slow, 0);
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
    EXPECT_TRUE(StillServes());
}

TEST_F(CommandServerTest, HundredMegabyteClientsAreCutOffAtTheLimit)
{
    std::string announced, unframed, trailing;
    std::atomic<int> finished{0};
    std::thread a([&] {
        announced = BlockingExchange(server.SocketPath(), "EXECUTE 8 104857600\nSendPage", kHundredMegabytes);
        ++finished;
    });
    std::thread b([&] {
        unframed = BlockingExchange(server.SocketPath(), "", kHundredMegabytes);
        ++finished;
    });
    std::thread c([&] {
        trailing = BlockingExchange(server.SocketPath(), EncodeExecuteRequest("QueuePage", "Zed/exact"),
                                    kHundredMegabytes);
        ++finished;
    });
    EXPECT_TRUE(PumpUntil([&] { return finished == 3; }, 60000));
    a.join();
    b.join();
    c.join();
    EXPECT_EQ(announced, "ERROR request too large\n");
    EXPECT_EQ(unframed, "ERROR malformed request\n");
    EXPECT_EQ(trailing, "FACK\n");
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0].message, "exact") << "bytes after the request are not part of it";
    EXPECT_LE(server.Stats().peakBufferedBytes, kOneRequestBound);
    EXPECT_EQ(server.Stats().bufferedBytes, 0u);
    EXPECT_TRUE(StillServes());
}

TEST_F(CommandServerTest, AClientThatLeavesMidRequestIsCleanedUp)
{
    for (const std::string partial : {"EXECUTE 8 20\nSendPageBob/", "EXECUTE 8 2", "EXECUTE 8 20\nSend"}) {
        const int fd = RawConnect(server.SocketPath());
        ASSERT_EQ(::send(fd, partial.data(), partial.size(), 0), static_cast<ssize_t>(partial.size()));
        PumpUntil([&] { return server.Stats().bufferedBytes > 0; });
        ::close(fd);
        EXPECT_TRUE(PumpUntil([&] { return server.Stats().openClients == 0; }));
    }
    EXPECT_EQ(server.Stats().abandoned, 3u);
    EXPECT_EQ(server.Stats().bufferedBytes, 0u);
    EXPECT_TRUE(queue.requests.empty());
    // An empty connection (a starting instance checking for us) is no fault.
    ::close(RawConnect(server.SocketPath()));
    EXPECT_TRUE(StillServes());
    EXPECT_EQ(server.Stats().abandoned, 3u);
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
    EXPECT_TRUE(PumpUntil([&] { return finished == kClients; }, 30000));
    for (auto& t : clients) t.join();
    EXPECT_EQ(std::count(results.begin(), results.end(), CommandStatus::Ack), kClients);
    EXPECT_EQ(queue.requests.size(), static_cast<std::size_t>(kClients));
    EXPECT_LE(server.Stats().peakClients, CommandServerLimits{}.maxClients);
    EXPECT_LE(server.Stats().peakBufferedBytes, CommandServerLimits{}.maxClients * kOneRequestBound);
    EXPECT_EQ(server.Stats().openClients, 0u);
}

TEST_F(CommandServerTest, ClientsBeyondTheLimitWaitUntilASlotFrees)
{
    std::vector<int> idle;
    for (std::size_t i = 0; i < CommandServerLimits{}.maxClients; ++i) idle.push_back(RawConnect(server.SocketPath()));
    ASSERT_TRUE(PumpUntil([&] { return server.Stats().openClients == idle.size(); }));

    std::atomic<bool> done{false};
    CommandStatus status = CommandStatus::NoInstance;
    std::thread waiting([&] {
        status = CCommandClient(title).Execute("QueuePage", "Late/still answered", 20000).status;
        done = true;
    });
    Pump(300);
    EXPECT_FALSE(done) << "waits in the backlog while every slot is taken";
    AdvanceAndSweep(5000);
    EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
    waiting.join();
    EXPECT_EQ(status, CommandStatus::Ack);
    for (int fd : idle) ::close(fd);
}

TEST_F(CommandServerTest, AnotherUsersProgramIsRefused)
{
    server.SetAllowedUid(::geteuid() + 1);
    std::atomic<bool> done{false};
    CommandReply reply;
    std::thread stranger([&] {
        reply = CCommandClient(title).Execute("SendPage", "John/Hi", 5000);
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    stranger.join();
    EXPECT_EQ(reply.status, CommandStatus::Refused);
    EXPECT_EQ(reply.detail, "access denied");
    EXPECT_TRUE(queue.requests.empty());
}

TEST_F(CommandServerTest, TheSocketIsPrivate)
{
    struct stat st {};
    ASSERT_EQ(::lstat(server.SocketPath().c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    const std::string folder = server.SocketPath().substr(0, server.SocketPath().rfind('/'));
    ASSERT_EQ(::lstat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
}

TEST_F(CommandServerTest, AStaleSocketIsReplaced)
{
    const std::string path = server.SocketPath();
    server.Stop();
    EXPECT_NE(::access(path.c_str(), F_OK), 0) << "an orderly stop removes the socket";

    // What a crashed instance leaves: a socket file nobody listens on.
    const int dead = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address = Address(path);
    ASSERT_EQ(::bind(dead, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(dead);
    EXPECT_EQ(CCommandClient(title).Execute("SendPage", "a/b", 1000).status, CommandStatus::NoInstance);

    ASSERT_EQ(server.Start(title), ServerStart::Listening) << server.Problem();
    EXPECT_TRUE(StillServes());
}

TEST_F(CommandServerTest, ASecondInstanceNeverStealsALiveSocket)
{
    CPollLoop otherLoop{realClock};
    CPageQueue otherQueue;
    test::CRecordingCommandShell otherShell;
    CCommandTopics otherTopics{otherQueue, otherShell};
    CCommandServer second{otherLoop, clock, otherTopics};

    EXPECT_EQ(second.Start(title), ServerStart::AlreadyRunning);
    EXPECT_TRUE(StillServes()) << "the first instance keeps its socket";
    EXPECT_TRUE(otherQueue.requests.empty());

    server.Stop();
    EXPECT_EQ(second.Start(title), ServerStart::Listening);
    EXPECT_EQ(server.Start(title), ServerStart::AlreadyRunning);
}

TEST_F(CommandServerTest, SomethingElseAtThePathIsLeftAlone)
{
    const std::string path = server.SocketPath();
    server.Stop();
    { std::FILE* f = std::fopen(path.c_str(), "w"); std::fputs("mine", f); std::fclose(f); }
    EXPECT_EQ(server.Start(title), ServerStart::Failed);
    EXPECT_NE(server.Problem(), "");
    struct stat st {};
    EXPECT_EQ(::lstat(path.c_str(), &st), 0);
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
    if (saved) ::setenv("XDG_RUNTIME_DIR", before.c_str(), 1); else ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace corvane

namespace corvane {
namespace {

class CActivateHandler : public ICommandHandler {
public:
    CommandAnswer Execute(const std::string&, const std::string&) override { return CommandAnswer::NotProcessed; }
    std::vector<std::string> Topics() const override { return {}; }
    void Activate() override { ++activations; }
    int activations = 0;
};

TEST(CommandServerActivate, ASecondStartBringsTheRunningInstanceForward)
{
    CSystemClock clock;
    CPollLoop loop(clock);
    CActivateHandler handler;
    CCommandServer server(loop, clock, handler);
    ASSERT_EQ(server.Start("Activate test"), ServerStart::Listening);
    std::thread client([] { EXPECT_TRUE(CCommandClient("Activate test").Activate(2000)); });
    for (int i = 0; i < 100 && handler.activations == 0; ++i) loop.RunOnce(20);
    for (int i = 0; i < 5; ++i) loop.RunOnce(10);
    client.join();
    EXPECT_EQ(handler.activations, 1);
}

}  // namespace
}  // namespace corvane
