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
    CommandLineOptions options = ParseCommandLine(Line({"-P", "John/Call me", "-Q"}));
    EXPECT_EQ(options.pageCommands, (std::vector<std::string>{"John/Call me"}));
    EXPECT_TRUE(options.quiet);
}

TEST(CommandLine, EveryOptionWithItsValueAndItsLimits)
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

    EXPECT_EQ(ParseCommandLine("").title, "Corvane");
    EXPECT_EQ(ParseCommandLine("").commandScanSeconds, 5);
    const std::pair<const char*, int> limits[] = {{"-I0", 1}, {"-I5000", 3599}, {"-Ixyz", 1}};
    for (const auto& [option, seconds] : limits)
        EXPECT_EQ(ParseCommandLine(option).commandScanSeconds, seconds) << option;
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
    dir.Write("pages.txt", "Bob/Call me\r\nAnn/hi\n" + std::string(1500, 'x') + "\nlast");
    bool opened = false;
    EXPECT_EQ(ReadCommandFilePieces(dir.File("pages.txt"), opened),
              (std::vector<std::string>{"Bob/Call me", "Ann/hi", std::string(999, 'x'), std::string(501, 'x'), "last"}));
    EXPECT_TRUE(opened);
    ReadCommandFilePieces(dir.File("missing.txt"), opened);
    EXPECT_FALSE(opened);
}

}  // namespace
}  // namespace corvane
