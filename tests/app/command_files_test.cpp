#include "app/core/command_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/app/app_fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

class CommandFiles : public ::testing::Test {
protected:
    CommandFileScan Scan(const std::string& name) { return ScanCommandFiles(dir.File(name), queue, shell); }
    std::vector<std::string> Pages() const
    {
        std::vector<std::string> pages;
        for (const auto& r : queue.requests) pages.push_back(r.name + "|" + r.message);
        return pages;
    }
    bool Exists(const std::string& name) const { return ::access(dir.File(name).c_str(), F_OK) == 0; }
    std::string NameLine(const std::string& name) const { return "\\\\" + dir.File(name) + "\n"; }

    test::CTempDir dir;
    CPageQueue queue;
    test::CRecordingCommandShell shell;
};

TEST_F(CommandFiles, LinesEndAtLfOrCrLfOrTheEnd)
{
    dir.Write("a.cmd", "Ann/one\r\nBob/two\nnot a command\r\n\r\nCy/cr\rinside\nDee/555/77/last");
    const auto scan = Scan("a.cmd");
    EXPECT_EQ(Pages(), (std::vector<std::string>{"Ann|one", "Bob|two", "Cy|cr\rinside", "Dee|last"}));
    EXPECT_EQ(queue.requests[3], (PageRequest{kOriginCommand, "Dee", "555", "77", "last"}));
    EXPECT_EQ(scan.pageCommands, 4);
    EXPECT_EQ(scan.filesDeleted, 1);
    EXPECT_FALSE(Exists("a.cmd"));
    EXPECT_EQ(queue.sendRequest, kSendCommand);
    EXPECT_EQ(shell.queueCounts, (std::vector<int>{4}));
}

TEST_F(CommandFiles, WildcardsTakeEveryRegularFileAndFilesWithoutCommandsStay)
{
    dir.Write("b.cmd", "Bob/b\n");
    dir.Write("a.cmd", "Ann/a\n");
    dir.Write("c.txt", "Cy/c\n");
    dir.Write("notes.cmd", "just words\r\nno slash anywhere\n");
    dir.Write("empty.cmd", "");
    dir.Write("names.cmd", NameLine("gone.job"));  // a name line is no page command
    ASSERT_EQ(::mkdir(dir.File("sub.cmd").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(dir.File("pipe.cmd").c_str(), 0600), 0);  // must not stall the scan
    const auto scan = Scan("*.cmd");
    EXPECT_EQ(Pages(), (std::vector<std::string>{"Ann|a", "Bob|b"}));
    EXPECT_EQ(scan.filesDeleted, 2);
    for (const char* kept : {"c.txt", "notes.cmd", "empty.cmd", "names.cmd", "sub.cmd"}) EXPECT_TRUE(Exists(kept)) << kept;

    EXPECT_EQ(Scan("*.cmd").pageCommands, 0);
    EXPECT_EQ(queue.sendRequest, kSendCommand);
    EXPECT_EQ(shell.queueCounts, (std::vector<int>{1, 2})) << "a scan without commands shows nothing";
}

TEST_F(CommandFiles, WithoutAMatchTheSpecificationIsTheFileName)
{
    dir.Write("odd[1].cmd", "Ann/literal\n");
    Scan("odd[1].cmd");  // as a pattern it matches only "odd1.cmd"
    EXPECT_EQ(Pages(), (std::vector<std::string>{"Ann|literal"}));
    EXPECT_FALSE(Exists("odd[1].cmd"));
    EXPECT_EQ(Scan("missing*.cmd").pageCommands, 0);
    EXPECT_EQ(ScanCommandFiles("", queue, shell).pageCommands, 0);
}

TEST_F(CommandFiles, ANamedFileIsProcessedAtOnceAndOnlyFilesWithCommandsAreDeleted)
{
    dir.Write("first.cmd", "Ann/before\n" + NameLine("second.job") + "Ann/after\r\n" + NameLine("words.job"));
    dir.Write("second.job", "Bob/from the second file\n");
    dir.Write("words.job", "nothing to page\n");
    const auto scan = Scan("*.cmd");
    EXPECT_EQ(Pages(), (std::vector<std::string>{"Ann|before", "Bob|from the second file", "Ann|after"}));
    EXPECT_EQ(scan.filesDeleted, 2);
    EXPECT_FALSE(Exists("first.cmd"));
    EXPECT_FALSE(Exists("second.job"));
    EXPECT_TRUE(Exists("words.job"));
}

TEST_F(CommandFiles, SelfReferencesCyclesAndDeepChainsEnd)
{
    dir.Write("self.cmd", "Ann/once\n" + NameLine("self.cmd"));
    auto scan = Scan("self.cmd");
    EXPECT_EQ(Pages(), (std::vector<std::string>{"Ann|once"}));
    EXPECT_EQ(scan.namesIgnored, 1);
    EXPECT_FALSE(Exists("self.cmd"));

    queue.requests.clear();
    dir.Write("a.cmd", "Ann/a\n" + NameLine("b.job"));
    dir.Write("b.job", "Bob/b\n" + NameLine("a.cmd"));
    scan = Scan("a.cmd");
    EXPECT_EQ(Pages(), (std::vector<std::string>{"Ann|a", "Bob|b"}));
    EXPECT_EQ(scan.namesIgnored, 1);
    EXPECT_EQ(scan.filesDeleted, 2);

    for (int i = 0; i < kMaxCommandFileDepth + 5; ++i)
        dir.Write("f" + std::to_string(i), "P" + std::to_string(i) + "/m\n" + NameLine("f" + std::to_string(i + 1)));
    scan = Scan("f0");
    EXPECT_EQ(scan.pageCommands, kMaxCommandFileDepth);
    EXPECT_EQ(scan.namesIgnored, 1);
}

TEST_F(CommandFiles, AFileLockedByItsWriterWaitsForALaterScan)
{
    dir.Write("w.cmd", "Ann/written\n");
    const int writer = ::open(dir.File("w.cmd").c_str(), O_RDWR);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);
    EXPECT_EQ(Scan("*.cmd").filesLocked, 1);
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_EQ(queue.sendRequest, kSendNone);
    EXPECT_TRUE(Exists("w.cmd"));

    ::close(writer);
    Scan("*.cmd");
    EXPECT_EQ(Pages(), (std::vector<std::string>{"Ann|written"}));
    EXPECT_FALSE(Exists("w.cmd"));
}

TEST_F(CommandFiles, LongLinesAreTakenWholeOrSkippedWholeNeverCut)
{
    const std::string message(1500, 'x');
    const std::string tooLong = "Ann/" + std::string(kMaxCommandLineBytes, 'y');
    const std::string atLimit = "Cy/" + std::string(kMaxCommandLineBytes - 3, 'z');
    dir.Write("long.cmd", "Bob/" + message + "\r\n" + tooLong + "/Zed/x/y\n" + atLimit + "\r\nDee/short\n" + tooLong);
    const auto scan = Scan("long.cmd");
    ASSERT_EQ(queue.requests.size(), 3u);
    EXPECT_EQ(queue.requests[0].message, message);
    EXPECT_EQ(queue.requests[1].name, "Cy");
    EXPECT_EQ(queue.requests[1].message.size(), kMaxCommandLineBytes - 3);
    EXPECT_EQ(queue.requests[2].message, "short");
    EXPECT_EQ(scan.linesSkipped, 2);
    EXPECT_FALSE(Exists("long.cmd"));
}

}  // namespace
}  // namespace corvane
