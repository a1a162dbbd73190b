#include "app/core/command_line.h"

#include <gtest/gtest.h>

#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

std::string Line(std::vector<const char*> args)
{
    args.insert(args.begin(), "corvane");
    return CommandLineFromArgs(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, TheSplitAndTheQuotedFormsGiveTheSameLine)
{
    EXPECT_EQ(Line({"-P", "John/Call me", "-Q"}), "-P\"John/Call me\" -Q");
    EXPECT_EQ(Line({"-P\"John/Call me\"", "-Q"}), "-P\"John/Call me\" -Q");
    EXPECT_EQ(Line({"-PJohn/Call"}), "-P\"John/Call\"");
    EXPECT_EQ(Line({"-K", "Night Desk", "-I", "30", "-W", "/srv/corvane/"}), "-K\"Night Desk\" -I30 -W/srv/corvane/");
    for (const std::string& line : {Line({"-P", "John/Call me", "-Q"}), Line({"-P\"John/Call me\"", "-Q"})}) {
        CommandLineOptions options = ParseCommandLine(line);
        ASSERT_EQ(options.pageCommands.size(), 1u);
        EXPECT_EQ(options.pageCommands[0], "John/Call me");
        EXPECT_TRUE(options.quiet);
    }
}

TEST(CommandLine, EveryOptionWithItsValue)
{
    CommandLineOptions o = ParseCommandLine(
        "-K\"Night Desk\" -P\"Bob/first\" -p\"Ann/second\" -F/tmp/Pages.txt -m -r -I30 -S/spool/*.cmd -W/Data/Dir/ -t");
    EXPECT_EQ(o.title, "Night Desk");
    EXPECT_EQ(o.pageCommands, (std::vector<std::string>{"Bob/first", "Ann/second"}));
    EXPECT_TRUE(o.hasCommandFile);
    EXPECT_EQ(o.commandFile, "/tmp/Pages.txt");  // as typed, not upper-cased
    EXPECT_FALSE(o.quiet);
    EXPECT_TRUE(o.monitorAtStart);
    EXPECT_TRUE(o.markMailRead);
    EXPECT_EQ(o.commandScanSeconds, 30);
    EXPECT_EQ(o.commandFileSpec, "/spool/*.cmd");
    EXPECT_EQ(o.dataDir, "/Data/Dir/");
    EXPECT_TRUE(o.noSplash);
}

TEST(CommandLine, DefaultsAndLimits)
{
    CommandLineOptions none = ParseCommandLine("");
    EXPECT_EQ(none.title, "Corvane");
    EXPECT_EQ(none.commandScanSeconds, 5);
    EXPECT_FALSE(none.hasDataDir);
    EXPECT_FALSE(none.noSplash);
    EXPECT_EQ(ParseCommandLine("-I0").commandScanSeconds, 1);
    EXPECT_EQ(ParseCommandLine("-I5000").commandScanSeconds, 3599);
    EXPECT_EQ(ParseCommandLine("-Ixyz").commandScanSeconds, 1);
}

TEST(CommandLine, OptionsAreFoundInsideOtherValues)
{
    // A data path that contains "-T" also suppresses the splash.
    CommandLineOptions o = ParseCommandLine("-W/srv/pager-tools/");
    EXPECT_EQ(o.dataDir, "/srv/pager-tools/");
    EXPECT_TRUE(o.noSplash);
    // The title runs up to and including the first of two adjacent quotes.
    EXPECT_EQ(ParseCommandLine("-K\"Say \"\"hi\"").title, "Say \"");
    EXPECT_EQ(ParseCommandLine("-K\"Open").title, "Open");
}

TEST(CommandLine, CommandFilePiecesAreAtMost999CharactersWithoutTheLineBreak)
{
    test::CTempDir dir;
    std::string longLine(1500, 'x');
    dir.Write("pages.txt", "Bob/Call me\r\nAnn/hi\n" + longLine + "\nlast");
    bool opened = false;
    std::vector<std::string> pieces = ReadCommandFilePieces(dir.File("pages.txt"), opened);
    EXPECT_TRUE(opened);
    ASSERT_EQ(pieces.size(), 5u);
    EXPECT_EQ(pieces[0], "Bob/Call me");
    EXPECT_EQ(pieces[1], "Ann/hi");
    EXPECT_EQ(pieces[2], std::string(999, 'x'));
    EXPECT_EQ(pieces[3], std::string(501, 'x'));
    EXPECT_EQ(pieces[4], "last");
    ReadCommandFilePieces(dir.File("missing.txt"), opened);
    EXPECT_FALSE(opened);
}

}  // namespace
}  // namespace corvane
