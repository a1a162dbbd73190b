#include "app/core/log_file_choice.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "common/file_io.h"
#include "settings/memory_settings.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

class LogFileChoiceTest : public ::testing::Test {
protected:
    LogFileChoiceTest()
    {
        dir.Write("log.txt", "old line\n");
        settings.Write(key::LogFileName, dir.File("log.txt"));
    }
    LogFileResult Choose(const std::string& picked, LogFileAnswer answer)
    {
        return ChooseLogFile(
            settings, picked, [&] { return ++asked, answer; }, boxes);
    }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    int asked = 0;
};

TEST_F(LogFileChoiceTest, ANewFileIsCreatedEmptyWithoutAQuestion)
{
    EXPECT_EQ(Choose(dir.File("pages.txt"), LogFileAnswer::Cancel), LogFileResult::Created);
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(FileExists(dir.File("pages.txt")));
    EXPECT_EQ(dir.Read("pages.txt"), "");
    EXPECT_EQ(settings.Get(key::LogFileName), dir.File("pages.txt"));
}

TEST_F(LogFileChoiceTest, AnExistingFileIsOverwrittenAppendedOrLeftAsTheUserAnswers)
{
    struct Case {
        LogFileAnswer answer;
        LogFileResult result;
        std::string contents;
        bool stored;
    } cases[] = {
        {LogFileAnswer::Overwrite, LogFileResult::Overwritten, "", true},
        {LogFileAnswer::Append, LogFileResult::Appended, "kept\n", true},
        {LogFileAnswer::Cancel, LogFileResult::Unchanged, "kept\n", false},
    };
    for (const Case& c : cases) {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        dir.Write("other.txt", "kept\n");
        asked = 0;
        EXPECT_EQ(Choose(dir.File("other.txt"), c.answer), c.result);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(dir.Read("other.txt"), c.contents);
        EXPECT_EQ(settings.Get(key::LogFileName), c.stored ? dir.File("other.txt") : dir.File("log.txt"));
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(LogFileChoiceTest, TheCurrentFileAgainChangesNothingButAnotherCaseIsAnotherFile)
{
    EXPECT_EQ(Choose(dir.File("log.txt"), LogFileAnswer::Overwrite), LogFileResult::Unchanged);
    EXPECT_EQ(Choose(dir.path() + "./log.txt", LogFileAnswer::Overwrite), LogFileResult::Unchanged);
    EXPECT_EQ(Choose("", LogFileAnswer::Overwrite), LogFileResult::Unchanged);  // the dialog was cancelled
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(dir.Read("log.txt"), "old line\n");
    EXPECT_EQ(Choose(dir.File("LOG.txt"), LogFileAnswer::Cancel), LogFileResult::Created);
}

TEST_F(LogFileChoiceTest, AFileThatCannotBeWrittenIsNotTakenAndTheUserIsTold)
{
    EXPECT_EQ(Choose(dir.File("missing/pages.txt"), LogFileAnswer::Cancel), LogFileResult::Failed);
    EXPECT_EQ(settings.Get(key::LogFileName), dir.File("log.txt"));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Log File Error");
    if (::geteuid() != 0) {  // root may write a read-only file anyway
        dir.Write("locked.txt", "x");
        ::chmod(dir.File("locked.txt").c_str(), 0444);
        EXPECT_EQ(Choose(dir.File("locked.txt"), LogFileAnswer::Append), LogFileResult::Failed);
    }
}

}  // namespace
}  // namespace corvane::test
