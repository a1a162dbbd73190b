// The group commands on a pager list with local and shared pagers, and DASHNOTE.DAT:
// slots and identifiers, the limit, the menu's order and names, damaged files.

#include <gtest/gtest.h>

#include "directory/dashnote_list.h"
#include "directory/group_editor.h"
#include "directory/message_file_write.h"
#include "directory/pager_file.h"
#include "tests/directory/directory_helpers.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane {
namespace {

using test::S;
using test::W;
using Groups = std::vector<std::string>;

std::string D(std::int32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes += static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xFF);
    return bytes;
}

// A record of DASHNOTE.DAT as another copy of the program writes it.
std::string Record(int slot, const std::string& name, std::vector<std::int32_t> codes = {})
{
    std::string bytes = W(1) + D(slot) + S(name) + S(name + " alpha") + S("5551212");
    for (std::int32_t code : codes) bytes += D(code);
    return bytes + D(0);
}

class GroupEditorTest : public ::testing::Test {
protected:
    // A (local: Sales, North), B (shared: North, East), C (local: sales).
    GroupEditorTest()
    {
        Add(1, "A", {"Sales", "North"});
        Add(-1, "B", {"North", "East"});
        Add(2, "C", {"sales"});
    }
    void Add(std::int16_t code, const std::string& name, Groups groups)
    {
        PagerRecord& p = list.AddBlank();
        p.Code = code;
        p.UserName = name;
        p.Groups = std::move(groups);
    }
    const Groups& GroupsOf(const char* name) { return list.FindByName(name)->Groups; }

    CPagerList list;
};

TEST_F(GroupEditorTest, RenameKeepsSharedPagersInTheOldGroupAndSaysSo)
{
    CGroupEditor groups(list);
    GroupNotice notice = groups.Rename("North", "Field");
    EXPECT_EQ(notice.text, kRenameSharedText);
    EXPECT_EQ(notice.caption, "Rename Group");
    EXPECT_EQ(GroupsOf("A"), (Groups{"Sales", "Field"}));  // in place
    EXPECT_EQ(GroupsOf("B"), (Groups{"North", "East"}));
    EXPECT_EQ(groups.Names(), (Groups{"Sales", "North", "East", "sales", "Field"}));

    // All local: the new name takes the old one's place; a pager in both is in it once.
    GroupNotice quiet = groups.Rename("Sales", "sales");
    EXPECT_FALSE(quiet.Shown());
    EXPECT_EQ(GroupsOf("A"), (Groups{"sales", "Field"}));
    EXPECT_EQ(groups.Names(), (Groups{"North", "East", "sales", "Field"}));
    list.FindByName("C")->Groups = {"sales", "Field"};
    groups.Rename("Field", "sales");
    EXPECT_EQ(GroupsOf("C"), (Groups{"sales"}));
    EXPECT_EQ(groups.Names(), (Groups{"North", "East", "sales"}));
}

TEST_F(GroupEditorTest, DeleteRemovesLocalMembershipsAndTheNameUnlessASharedPagerHasIt)
{
    EXPECT_EQ(DeleteGroupQuestion("North"), "Are you sure you want to delete the \"North\" group?");
    CGroupEditor groups(list);
    GroupNotice notice = groups.Delete("North");
    EXPECT_EQ(notice.text, kDeleteSharedText);
    EXPECT_EQ(notice.caption, "Delete Group");
    EXPECT_EQ(GroupsOf("A"), Groups{"Sales"});
    EXPECT_EQ(GroupsOf("B"), (Groups{"North", "East"}));
    EXPECT_EQ(groups.Names(), (Groups{"Sales", "North", "East", "sales"}));

    EXPECT_FALSE(groups.Delete("Sales").Shown());
    EXPECT_EQ(groups.Names(), (Groups{"North", "East", "sales"}));
    EXPECT_EQ(GroupsOf("A"), Groups{});
}

TEST_F(GroupEditorTest, EditGroupChangesLocalPagersAndCountsSharedOnes)
{
    CGroupEditor groups(list);
    ASSERT_TRUE(groups.Add("Night desk"));
    EXPECT_EQ(groups.Names().back(), "Night desk");
    // Highlighting A, B (shared) and C: A and C join, B does not.
    GroupNotice notice = groups.EditMembers("Night desk", {true, true, true}, true);
    EXPECT_EQ(notice.text, kEditSharedText);
    EXPECT_EQ(notice.caption, "Add Group");
    EXPECT_EQ(GroupsOf("A"), (Groups{"Sales", "North", "Night desk"}));
    EXPECT_EQ(GroupsOf("B"), (Groups{"North", "East"}));
    EXPECT_EQ(GroupsOf("C"), (Groups{"sales", "Night desk"}));

    // Un-highlighting the shared member of North: left as it is, captioned "Edit Group";
    // an unchanged highlight says nothing.
    EXPECT_EQ(groups.EditMembers("North", {true, false, false}, false).caption, "Edit Group");
    EXPECT_EQ(GroupsOf("B"), (Groups{"North", "East"}));
    EXPECT_FALSE(groups.EditMembers("North", groups.Members("North"), false).Shown());
    EXPECT_FALSE(groups.EditMembers("Night desk", {false, false, false}, false).Shown());
    EXPECT_EQ(GroupsOf("C"), Groups{"sales"});
    // A group left without members stays listed while the dialog is open.
    EXPECT_EQ(groups.Names().back(), "Night desk");
}

TEST_F(GroupEditorTest, OddNamesAreKeptByteForByteAndTooLongOnesRefused)
{
    CGroupEditor groups(list);
    const std::string odd = "Night/\"Day\" 'desk' \xE9t\xE9 \xFF";
    const std::string longest(kMaxGroupNameBytes, 'x');
    ASSERT_TRUE(groups.Add(odd));
    groups.EditMembers(odd, {true, false, false}, true);
    groups.Rename("Sales", longest);
    EXPECT_EQ(GroupsOf("A"), (Groups{longest, "North", odd}));

    const std::string tooLong(kMaxGroupNameBytes + 1, 'x');
    EXPECT_EQ(CGroupEditor::RefuseName(tooLong, kRenameGroupCaption).text, kGroupNameTooLongText);
    EXPECT_EQ(CGroupEditor::RefuseName(tooLong, kRenameGroupCaption).caption, "Rename Group");
    EXPECT_FALSE(groups.Add(tooLong));
    EXPECT_FALSE(groups.Add(""));
    EXPECT_FALSE(groups.Rename("North", tooLong).Shown());
    EXPECT_EQ(GroupsOf("A"), (Groups{longest, "North", odd}));

    // Through the pager file and back.
    CPagerList read;
    ReadPagerRecords(WritePagerRecords(list), read);
    EXPECT_EQ(read.FindByName("A")->Groups, (Groups{longest, "North", odd}));
}

TEST(DashnoteFile, SlotsBecomeIdentifiersAndTheFileIsWrittenBackUnchanged)
{
    const std::string longText(1500, 'z');
    const std::string bytes = Record(3, "Three", {7, -2, 40000}) +
                              W(1) + D(1) + S("One") + S(longText) + S("911") + D(0);
    CDashnoteList list;
    DashnoteReadResult read = list.Parse(bytes);
    EXPECT_FALSE(read.damaged);
    ASSERT_EQ(list.messages().size(), 2u);
    // A recipient that no longer exists (or never could: 40000) stays in the file.
    EXPECT_EQ(list.messages()[0], (DashnoteMessage{61209, "Three", "Three alpha", "5551212", {7, -2, 40000}}));
    EXPECT_EQ(list.messages()[1], (DashnoteMessage{61207, "One", longText, "911", {}}));
    EXPECT_EQ(list.Serialize(), bytes);
    EXPECT_EQ(list.FindById(61209)->Name, "Three");
    EXPECT_EQ(list.FindById(61208), nullptr);

    test::CTempDir dir;
    ASSERT_EQ(list.Save(dir.File("DASHNOTE.DAT")), FileError::None);
    CDashnoteList loaded;
    loaded.Load(dir.File("DASHNOTE.DAT"));
    EXPECT_EQ(loaded.messages(), list.messages());
    loaded.Load(dir.File("missing.dat"));
    EXPECT_TRUE(loaded.empty());
}

TEST(DashnoteFile, IdentifiersComeFromTheHintUpToTheLimitAndAreReused)
{
    CDashnoteList list;
    list.Parse(Record(2, "Two"));
    EXPECT_EQ(list.NextIdHint(), 61207);
    EXPECT_EQ(list.NewEntry()->CommandId, 61207);
    EXPECT_EQ(list.NewEntry()->CommandId, 61209);  // 61208 is taken
    EXPECT_EQ(list.NextIdHint(), 61210);
    while (list.messages().size() < 20) ASSERT_NE(list.NewEntry(), nullptr);
    EXPECT_EQ(list.messages().back().CommandId, 61226);
    EXPECT_EQ(list.NewEntry(), nullptr);
    EXPECT_EQ(list.messages().size(), 20u);

    list.Remove(61212);
    EXPECT_EQ(list.NextIdHint(), 61207);  // wrapped past 61226 already
    EXPECT_EQ(list.NewEntry()->CommandId, 61212);
    list.Remove(61226);
    list.Remove(61215);
    EXPECT_EQ(list.NextIdHint(), 61213);  // neither is below the hint
    EXPECT_EQ(list.NewEntry()->CommandId, 61215);
    EXPECT_EQ(list.NewEntry()->CommandId, 61226);
}

TEST(DashnoteFile, TheMenuListsTheNewestFirstWithNamesOf25Characters)
{
    CDashnoteList list;
    list.Parse(Record(1, "One") + Record(2, "Two") + Record(3, "Three") +
               Record(4, "A name of thirty characters..") + Record(5, "\xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9 "
                                                                     "\xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9 xyz"));
    std::vector<DashnoteMenuEntry> menu = list.MenuEntries();
    ASSERT_EQ(menu.size(), 5u);
    EXPECT_EQ(menu[0].commandId, 61211);
    // 25 characters, not 25 bytes: no letter is cut in half.
    EXPECT_EQ(menu[0].text, "\xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9 x");
    EXPECT_EQ(menu[1], (DashnoteMenuEntry{61210, "A name of thirty characte"}));
    EXPECT_EQ(menu[2], (DashnoteMenuEntry{61209, "Three"}));
    EXPECT_EQ(menu[3], (DashnoteMenuEntry{61208, "Two"}));
    EXPECT_EQ(menu[4], (DashnoteMenuEntry{61207, "One"}));
    EXPECT_EQ(DashnoteMenuName(std::string(25, 'x')), std::string(25, 'x'));
    EXPECT_EQ(DashnoteMenuName("\xFF\xFE/\"q\""), "\xFF\xFE/\"q\"");
}

TEST(DashnoteFile, OddMarksBadSlotsAndDamageAreReadDefensively)
{
    CDashnoteList list;
    // A word that is not the mark is skipped; slots outside 1..20 or taken already get a
    // free identifier.
    DashnoteReadResult read =
        list.Parse(W(7) + Record(2, "Two") + Record(0, "Zero") + Record(2, "Again") + Record(-5, "Minus"));
    EXPECT_FALSE(read.damaged);
    ASSERT_EQ(list.messages().size(), 4u);
    EXPECT_EQ(list.messages()[0].CommandId, 61208);
    EXPECT_EQ(list.messages()[1].CommandId, 61207);
    EXPECT_EQ(list.messages()[1].Name, "Zero");
    EXPECT_EQ(list.messages()[2].CommandId, 61209);
    EXPECT_EQ(list.messages()[3].CommandId, 61210);

    // Twenty-one records: the one without a free identifier is left out.
    std::string many;
    for (int slot = 1; slot <= 21; ++slot) many += Record(slot > 20 ? 1 : slot, "N" + std::to_string(slot));
    EXPECT_EQ(list.Parse(many).records, 20u);

    // A damaged string, or a record cut short by the end of the file, ends the reading there.
    const std::string good = Record(1, "Good");
    for (const std::string& damage : {W(1) + D(2) + W(0) + Record(3, "After"),
                                      W(1) + D(2) + S("x") + W(-3) + Record(3, "After"),
                                      W(1) + D(2) + S("x") + S("y") + S("z") + D(9), W(1) + D(2) + S("x")}) {
        read = list.Parse(good + damage);
        EXPECT_TRUE(read.damaged);
        EXPECT_EQ(read.records, 1u);
        ASSERT_EQ(list.messages().size(), 1u);
        EXPECT_EQ(list.messages()[0].Name, "Good");
    }
}

TEST(DashnoteFile, ADamagedFileIsKeptAsideAndToldOnce)
{
    test::CTempDir dir;
    test::CRecordingMessageBox boxes;
    const std::string bytes = Record(1, "Good") + W(1) + D(2) + W(0);
    dir.Write("DASHNOTE.DAT", bytes);
    CDashnoteList list;
    list.Load(dir.File("DASHNOTE.DAT"), &boxes);
    list.Load(dir.File("DASHNOTE.DAT"), &boxes);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].caption, "Dashnote Read Error");
    EXPECT_EQ(boxes.shown[0].text, "Record 2 of the local Dashnote message data file " + dir.File("DASHNOTE.DAT") +
                                       " is damaged.  Only the Dashnote messages before it were loaded.  The damaged "
                                       "file has been kept as " + dir.File("DASHNOTE.DAT") + ".damaged.");
    EXPECT_EQ(dir.Read("DASHNOTE.DAT.damaged"), bytes);
}

TEST(MessageFileWrite, AFileThatCannotBeWrittenIsToldWithRetryAndCancelAndNothingIsLost)
{
    test::CTempDir dir;
    test::CRecordingMessageBox boxes;
    dir.Write("DASHNOTE.DAT", "old");
    int fd = test::LockFile(dir.File("DASHNOTE.DAT"), LOCK_SH);  // another copy reading it
    boxes.answers = {MbAnswer::Retry, MbAnswer::Cancel};
    EXPECT_FALSE(WriteMessageFile(boxes, kDashnoteFileKind, dir.File("DASHNOTE.DAT"), "new"));
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "Unable to write the Dashnote message file " + dir.File("DASHNOTE.DAT") +
                                       ".  Another process is currently using the file.");
    EXPECT_EQ(boxes.shown[0].caption, "Sharing Violation");
    EXPECT_TRUE(boxes.shown[0].buttons == MbButtons::RetryCancel);
    EXPECT_EQ(dir.Read("DASHNOTE.DAT"), "old");
    ::close(fd);
    EXPECT_TRUE(WriteMessageFile(boxes, kDashnoteFileKind, dir.File("DASHNOTE.DAT"), "new"));
    EXPECT_EQ(dir.Read("DASHNOTE.DAT"), "new");

    EXPECT_FALSE(WriteMessageFile(boxes, kPredefinedMessageFileKind, dir.File("gone/PDM.DAT"), "x"));
    EXPECT_EQ(boxes.shown.back().text, "Unable to write the pre-defined message file " + dir.File("gone/PDM.DAT") + ".");
    EXPECT_EQ(boxes.shown.back().caption, "Message Write Error");
}

}  // namespace
}  // namespace corvane
