// Log Pages To: the edge cases behind the dialog tests' create, append and overwrite.

#include "app/core/log_file_choice.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

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
        return ChooseLogFile(settings, picked, [&] { return ++asked, answer; }, boxes);
    }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    int asked = 0;
};

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
    EXPECT_EQ(boxes.shown[0].text, "Unable to open the log file " + dir.File("missing/pages.txt") + " for writing.");
    EXPECT_EQ(boxes.shown[0].caption, "Log File Error");
    if (::geteuid() != 0) {  // root may write a read-only file anyway
        dir.Write("locked.txt", "x");
        ::chmod(dir.File("locked.txt").c_str(), 0444);
        EXPECT_EQ(Choose(dir.File("locked.txt"), LogFileAnswer::Append), LogFileResult::Failed);
        EXPECT_EQ(dir.Read("locked.txt"), "x");
    }
}

}  // namespace
}  // namespace corvane::test
