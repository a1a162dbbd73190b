// The page spool seen from the command sources: a request the spool cannot keep is refused
// where its source can take it back, and corvane-ctl --queue lists what is pending.

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/core/command_client.h"
#include "app/core/command_files.h"
#include "app/core/command_server.h"
#include "app/core/poll_loop.h"
#include "engine/page_spool.h"
#include "tests/app/app_fakes.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace corvane {
namespace {

// Keeps requests until the n-th, then refuses every one.
class CFullSpool final : public IRequestSpool {
public:
    explicit CFullSpool(int keeps) : m_keeps(keeps) {}
    bool Keep(PageRequest& request, int) override
    {
        request.spoolId = ++m_lastId;
        return static_cast<int>(m_lastId) <= m_keeps;
    }
    void SendRequested(const PageRequestList& waiting, int mode) override { marked.emplace_back(waiting.size(), mode); }
    void Taken(const PageRequestList&, int) override {}
    void Release(std::uint64_t id) override { released.push_back(id); }
    std::vector<SpooledRequest> Pending() const override { return {}; }

    std::vector<std::uint64_t> released;
    std::vector<std::pair<std::size_t, int>> marked;

private:
    int m_keeps;
    std::uint64_t m_lastId = 0;
};

TEST(SpoolRefusals, ACommandTheSpoolCannotKeepIsNotProcessedAndNotQueued)
{
    CFullSpool spool(1);
    CPageQueue queue;
    queue.spool = &spool;
    test::CRecordingCommandShell shell;
    CCommandTopics topics{queue, shell};
    EXPECT_EQ(topics.Execute("QueuePage", "Ann/one"), CommandAnswer::Ack);
    EXPECT_EQ(topics.Execute("SendPage", "Bob/two"), CommandAnswer::NotProcessed);
    EXPECT_EQ(topics.Execute("QueuePage", "Cy/three"), CommandAnswer::NotProcessed);
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0].name, "Ann");
    EXPECT_EQ(queue.sendRequest, kSendNone) << "a refused SendPage sends nothing";
    EXPECT_EQ(spool.released, (std::vector<std::uint64_t>{2, 3}));
    EXPECT_EQ(shell.queueCounts, (std::vector<int>{1}));
    EXPECT_EQ(topics.Execute("SendPages", ""), CommandAnswer::Ack);
    EXPECT_EQ(spool.marked, (std::vector<std::pair<std::size_t, int>>{{1, kSendCommand}}));
}

TEST(SpoolRefusals, ACommandFileStaysWholeUntilTheSpoolKeepsAllItsCommands)
{
    test::CTempDir dir;
    dir.Write("a.cmd", "Ann/one\n\\\\" + dir.File("b.cmd") + "\nCy/three\n");
    dir.Write("b.cmd", "Bob/two\n");
    CFullSpool spool(2);
    CPageQueue queue;
    queue.spool = &spool;
    test::CRecordingCommandShell shell;
    const CommandFileScan scan = ScanCommandFiles(dir.File("a.cmd"), queue, shell);

    // b.cmd was kept whole and is gone; a.cmd's first command is taken back and the file stays.
    EXPECT_TRUE(scan.refused);
    EXPECT_EQ(scan.pageCommands, 1);
    EXPECT_EQ(scan.filesDeleted, 1);
    ASSERT_EQ(queue.requests.size(), 1u);
    EXPECT_EQ(queue.requests[0].name, "Bob");
    EXPECT_EQ(spool.released, (std::vector<std::uint64_t>{3, 1}));
    EXPECT_EQ(::access(dir.File("b.cmd").c_str(), F_OK), -1);
    EXPECT_EQ(dir.Read("a.cmd"), "Ann/one\n\\\\" + dir.File("b.cmd") + "\nCy/three\n");
}

class QueueListingTest : public ::testing::Test {
protected:
    QueueListingTest()
    {
        spool.Open();
        queue.spool = &spool;
    }
    void SetUp() override { ASSERT_EQ(server.Start(title), ServerStart::Listening) << server.Problem(); }

    template <class Predicate>
    void PumpUntil(Predicate done)
    {
        for (const auto end = realClock.TickMs() + 20000; !done() && realClock.TickMs() < end;) loop.RunOnce(10);
    }
    // corvane-ctl with these arguments, its standard output, while this process serves it.
    std::string Ctl(std::vector<std::string> args, int& status)
    {
        args.insert(args.begin(), std::string(std::getenv("CORVANE_BINARY_DIR")) + "/app/ctl/corvane-ctl");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, dir.File("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = -1;
        EXPECT_EQ(::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        int raw = 0;
        PumpUntil([&] { return ::waitpid(pid, &raw, WNOHANG) == pid; });
        status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        return dir.Read("out");
    }

    test::CTempDir dir;
    test::CFakeClock clock;
    CSystemClock realClock;
    CPageSpool spool{dir.path() + "spool/", clock};
    CPageQueue queue;
    test::CRecordingCommandShell shell;
    CCommandTopics topics{queue, shell};
    CPollLoop loop{realClock};
    CCommandServer server{loop, clock, topics};
    const std::string title = "Listing " + std::to_string(::getpid());
};

TEST_F(QueueListingTest, CtlListsEachPendingRequestOnOneLine)
{
    int status = -1;
    EXPECT_EQ(Ctl({"-K" + title, "--queue"}, status), "");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(topics.Execute("SendPage", "Bob/555/77/two\tlines\n\\"), CommandAnswer::Ack);
    EXPECT_EQ(topics.Execute("QueuePage", "Ann/one"), CommandAnswer::Ack);
    spool.Taken({queue.requests[0]}, kSendCommand);
    queue.QueueRequest(kOriginResubmitted, "Cy", "", "", "again", kSendInteractive);

    // TZ is UTC in the tests: the fake clock's 03/07/01 09:05.
    EXPECT_EQ(Ctl({"-K" + title, "--queue"}, status),
              "1\tsending\t2001-03-07 09:05:00\tcommand\tBob\t555\t77\ttwo\\x09lines\\x0A\\\\\n"
              "2\twaiting\t2001-03-07 09:05:00\tcommand\tAnn\t\t\tone\n"
              "3\tqueued\t2001-03-07 09:05:00\tresubmitted\tCy\t\t\tagain\n");
    EXPECT_EQ(status, 0);
}

TEST_F(QueueListingTest, ALongListComesInPagesWhole)
{
    std::vector<std::string> messages;
    for (char c : std::string("abcde")) {
        messages.push_back(std::string(20000, c) + "\x01");
        ASSERT_EQ(topics.Execute("QueuePage", "Ann/" + messages.back()), CommandAnswer::Ack);
    }
    std::vector<SpooledRequest> pending;
    std::atomic<bool> done{false};
    CommandReply reply;
    std::thread client([&] {
        reply = CCommandClient(title).Queue(pending, 5000);
        done = true;
    });
    PumpUntil([&] { return done.load(); });
    client.join();
    ASSERT_EQ(reply.status, CommandStatus::Ack) << reply.detail;
    ASSERT_EQ(pending.size(), messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(pending[i].id, i + 1);
        EXPECT_EQ(pending[i].message, messages[i]);
    }
}

}  // namespace
}  // namespace corvane
