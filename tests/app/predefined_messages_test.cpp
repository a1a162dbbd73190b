#include "directory/predefined_messages.h"

#include <gtest/gtest.h>

#include "directory/data_file.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {
namespace {

TEST(PredefinedMessages, RecordsRoundTripInFileOrder)
{
    CTempDir dir;
    CPredefinedMessageList list;
    list.NewEntry() = {"Lunch", "Gone to lunch\nback at 1", "100"};
    list.NewEntry() = {"Call", "Call the desk", "911"};
    ASSERT_TRUE(list.Save(dir.File("PDM.DAT")));

    std::string bytes = dir.Read("PDM.DAT");
    EXPECT_EQ(bytes.substr(0, 10), std::string("\x01\x00\x06\x00Lunch\x00", 10));

    CPredefinedMessageList read;
    read.Load(dir.File("PDM.DAT"));
    EXPECT_EQ(read.messages(), list.messages());
    read.Remove(0);
    EXPECT_EQ(read.messages().front().Name, "Call");
}

TEST(PredefinedMessages, OddMarksAreSkippedAndADamagedRecordEndsTheList)
{
    CDataWriter out;
    out.Word(std::int16_t{7});  // not a record mark: the next word is the next mark
    out.Word(std::int16_t{1});
    out.String("One");
    out.String("a");
    out.String("1");
    out.Word(std::int16_t{1});
    out.String("Two");
    out.Word(std::int16_t{0});  // a length of 0 is damage
    CPredefinedMessageList list;
    list.Parse(out.bytes());
    ASSERT_EQ(list.messages().size(), 1u);
    EXPECT_EQ(list.messages()[0], (PredefinedMessage{"One", "a", "1"}));

    list.Load("/nonexistent/PDM.DAT");
    EXPECT_TRUE(list.empty());

    // The editor's load keeps the damaged file aside before its save replaces it, and
    // says so once.
    CTempDir dir;
    CRecordingMessageBox boxes;
    dir.Write("PDM.DAT", out.bytes());
    list.Load(dir.File("PDM.DAT"), &boxes);
    list.Load(dir.File("PDM.DAT"), &boxes);
    ASSERT_EQ(list.messages().size(), 1u);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Message Read Error");
    EXPECT_EQ(boxes.shown[0].text, "Record 2 of the local pre-defined message data file " + dir.File("PDM.DAT") +
                                       " is damaged.  Only the pre-defined messages before it were loaded.  The "
                                       "damaged file has been kept as " + dir.File("PDM.DAT") + ".damaged.");
    EXPECT_EQ(dir.Read("PDM.DAT.damaged"), out.bytes());
}

}  // namespace
}  // namespace corvane::test
