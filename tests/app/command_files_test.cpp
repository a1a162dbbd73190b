#include "app/core/command_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tests/app/command_fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

class CommandFiles : public ::testing::Test {
protected:
    CommandFileScan Scan(const std::string& spec) { return ScanCommandFiles(spec, queue, shell); }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& r : queue.requests) names.push_back(r.name + "|" + r.message);
        return names;
    }
    bool Exists(const std::string& name) const { return ::access(dir.File(name).c_str(), F_OK) == 0; }

    test::CTempDir dir;
    CPageQueue queue;
    test::CRecordingCommandShell shell;
};

TEST_F(CommandFiles, LinesEndAtLfOrCrLfOrTheEnd)
{
    dir.Write("a.cmd", "Ann/one\r\nBob/two\nnot a command\r\n\r\nCy/cr\rinside\nDee/555/77/last");
    const auto scan = Scan(dir.File("a.cmd"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann|one", "Bob|two", "Cy|cr\rinside", "Dee|last"}));
    EXPECT_EQ(queue.requests[3], (PageRequest{kOriginCommand, "Dee", "555", "77", "last"}));
    EXPECT_EQ(scan.pageCommands, 4);
    EXPECT_EQ(scan.filesDeleted, 1);
    EXPECT_FALSE(Exists("a.cmd"));
    EXPECT_EQ(queue.sendRequest, kSendCommand);
    EXPECT_EQ(shell.queueCounts, (std::vector<int>{4}));
}

TEST_F(CommandFiles, AFileWithoutPageCommandsStays)
{
    dir.Write("notes.cmd", "just words\r\nno slash anywhere\n");
    dir.Write("empty.cmd", "");
    Scan(dir.File("*.cmd"));
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_EQ(queue.sendRequest, kSendNone);
    EXPECT_TRUE(shell.queueCounts.empty());
    EXPECT_TRUE(Exists("notes.cmd"));
    EXPECT_TRUE(Exists("empty.cmd"));
}

TEST_F(CommandFiles, WildcardsTakeEveryMatchingFileButNotDirectories)
{
    dir.Write("b.cmd", "Bob/b\n");
    dir.Write("a.cmd", "Ann/a\n");
    dir.Write("c.txt", "Cy/c\n");
    ASSERT_EQ(::mkdir(dir.File("sub.cmd").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo(dir.File("pipe.cmd").c_str(), 0600), 0);  // must not stall the scan
    const auto scan = Scan(dir.File("*.cmd"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann|a", "Bob|b"}));
    EXPECT_EQ(scan.filesDeleted, 2);
    EXPECT_TRUE(Exists("c.txt"));
    EXPECT_TRUE(Exists("sub.cmd"));
}

TEST_F(CommandFiles, WithoutAMatchTheSpecificationIsTheFileName)
{
    dir.Write("odd[1].cmd", "Ann/literal\n");
    Scan(dir.File("odd[1].cmd"));  // as a pattern it matches only "odd1.cmd"
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann|literal"}));
    EXPECT_FALSE(Exists("odd[1].cmd"));

    const auto none = Scan(dir.File("missing*.cmd"));
    EXPECT_EQ(none.pageCommands, 0);
    EXPECT_EQ(Scan("").pageCommands, 0);
}

TEST_F(CommandFiles, ANamedFileIsProcessedAtOnceAndOnlyFilesWithCommandsAreDeleted)
{
    dir.Write("first.cmd", "Ann/before\n\\\\" + dir.File("second.job") + "\r\nAnn/after\n\\\\" +
                               dir.File("words.job") + "\n");
    dir.Write("second.job", "Bob/from the second file\n");
    dir.Write("words.job", "nothing to page\n");
    const auto scan = Scan(dir.File("*.cmd"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann|before", "Bob|from the second file", "Ann|after"}));
    EXPECT_EQ(scan.filesDeleted, 2);
    EXPECT_FALSE(Exists("first.cmd"));
    EXPECT_FALSE(Exists("second.job"));
    EXPECT_TRUE(Exists("words.job"));
}

TEST_F(CommandFiles, ANameLineIsNotAPageCommandEvenWithSlashes)
{
    // Only names: the file gave no page command itself and stays.
    dir.Write("names.cmd", "\\\\" + dir.File("gone.job") + "\n");
    const auto scan = Scan(dir.File("names.cmd"));
    EXPECT_EQ(scan.pageCommands, 0);
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_TRUE(Exists("names.cmd"));
}

TEST_F(CommandFiles, AFileThatNamesItselfOrACycleEnds)
{
    dir.Write("self.cmd", "Ann/once\n\\\\" + dir.File("self.cmd") + "\n");
    auto scan = Scan(dir.File("self.cmd"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann|once"}));
    EXPECT_EQ(scan.namesIgnored, 1);
    EXPECT_FALSE(Exists("self.cmd"));

    queue.requests.clear();
    dir.Write("a.cmd", "Ann/a\n\\\\" + dir.File("b.job") + "\n");
    dir.Write("b.job", "Bob/b\n\\\\" + dir.File("a.cmd") + "\n");
    scan = Scan(dir.File("a.cmd"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann|a", "Bob|b"}));
    EXPECT_EQ(scan.namesIgnored, 1);
    EXPECT_EQ(scan.filesDeleted, 2);
}

TEST_F(CommandFiles, ADeepChainStopsAtTheDepthLimit)
{
    const int files = kMaxCommandFileDepth + 5;
    for (int i = 0; i < files; ++i)
        dir.Write("f" + std::to_string(i), "P" + std::to_string(i) + "/m\n\\\\" + dir.File("f" + std::to_string(i + 1)) + "\n");
    const auto scan = Scan(dir.File("f0"));
    EXPECT_EQ(scan.pageCommands, kMaxCommandFileDepth);
    EXPECT_EQ(scan.namesIgnored, 1);
}

TEST_F(CommandFiles, AFileLockedByItsWriterWaitsForALaterScan)
{
    dir.Write("w.cmd", "Ann/written\n");
    const int writer = ::open(dir.File("w.cmd").c_str(), O_RDWR);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    auto scan = Scan(dir.File("*.cmd"));
    EXPECT_EQ(scan.filesLocked, 1);
    EXPECT_TRUE(queue.requests.empty());
    EXPECT_EQ(queue.sendRequest, kSendNone);
    EXPECT_TRUE(Exists("w.cmd"));

    ::flock(writer, LOCK_UN);
    ::close(writer);
    scan = Scan(dir.File("*.cmd"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Ann|written"}));
    EXPECT_FALSE(Exists("w.cmd"));
    EXPECT_EQ(Scan(dir.File("*.cmd")).pageCommands, 0) << "each command is taken once";
}

TEST_F(CommandFiles, LongLinesAreTakenWholeOrSkippedWholeNeverCut)
{
    const std::string message(1500, 'x');
    const std::string tooLong = "Ann/" + std::string(kMaxCommandLineBytes, 'y');
    const std::string atLimit = "Cy/" + std::string(kMaxCommandLineBytes - 3, 'z');
    dir.Write("long.cmd", "Bob/" + message + "\r\n" + tooLong + "/Zed/x/y\n" + atLimit + "\r\nDee/short\n" + tooLong);
    const auto scan = Scan(dir.File("long.cmd"));
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
