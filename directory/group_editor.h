#pragma once
// The commands of "Configure Groups". A group has no record of its own: it is a name in
// the Groups of its pagers, so adding, renaming and deleting a group edits local pagers.
// Shared pagers cannot be changed: they keep their groups, and the user is told.

#include <cstddef>
#include <string>
#include <vector>

#include "directory/pager_list.h"

namespace corvane {

inline constexpr const char* kGroupsTitle = "Configure Groups";
inline constexpr const char* kAddGroupCaption = "Add Group";
inline constexpr const char* kRenameGroupCaption = "Rename Group";
inline constexpr const char* kDeleteGroupCaption = "Delete Group";
inline constexpr const char* kEditGroupTitle = "Edit Group";
inline constexpr const char* kRenameSharedText =
    "Some or all of the pagers with the group belong to the shared pager file.  These pagers will remain members "
    "of a group with the original name.";
inline constexpr const char* kDeleteSharedText =
    "Some or all of the pagers with the group belong to the shared pager file.  The group cannot be deleted, but "
    "local pagers will be removed from the group.";
inline constexpr const char* kEditSharedText =
    "Some or all of the pagers you selected are members of the shared pager file.  They cannot be added to the "
    "group.";

// A group name is a string of the pager file, which holds at most 999 bytes: a longer
// name would be cut when saved, and the group would lose its name.
inline constexpr std::size_t kMaxGroupNameBytes = 999;
inline constexpr const char* kGroupNameTooLongText =
    "A group name can be at most 999 bytes long (a letter outside plain ASCII takes two to four).  Please type a "
    "shorter name.";

// What the dialog must say after a command; nothing when the text is empty.
struct GroupNotice {
    std::string text;
    std::string caption;
    bool Shown() const { return !text.empty(); }
};

// The Delete Group question.
std::string DeleteGroupQuestion(const std::string& name);

class CGroupEditor {
public:
    // Works on pagers directly; the names shown are its non-empty group names.
    explicit CGroupEditor(CPagerList& pagers);

    const std::vector<std::string>& Names() const { return m_names; }

    // A name typed for Add or Rename that the pager file cannot hold; caption is the
    // asking dialog's title.
    static GroupNotice RefuseName(const std::string& name, const char* caption);

    // Add: the name joins the shown names (once); a group without members lasts only as
    // long as the dialog. False for an empty name or one that RefuseName refuses.
    bool Add(const std::string& name);
    // Local pagers take the new name in place of the old one; shared pagers keep the old
    // one, which then stays listed, and the notice says so.
    GroupNotice Rename(const std::string& oldName, const std::string& newName);
    // After Yes to the question: the name leaves every local pager, and the list unless a
    // shared pager still has it (then the notice says so).
    GroupNotice Delete(const std::string& name);

    // Whether each pager of the list, in list order, is a member.
    std::vector<bool> Members(const std::string& name) const;
    // OK of "Edit Group": every local pager whose highlight differs from its membership
    // joins or leaves; other pagers are left as they are and the notice counts them
    // (captioned "Add Group" when reached through Add).
    GroupNotice EditMembers(const std::string& name, const std::vector<bool>& highlighted, bool throughAdd);

private:
    void AddShown(const std::string& name);
    void DropShown(const std::string& name);

    CPagerList& m_pagers;
    std::vector<std::string> m_names;
};

// The groups that the dialog's own list gave its local pagers, given to the same pagers
// (by Code) of list: a send run under way writes its list back to the pager file when it
// ends (the page counters), which would otherwise undo the dialog's changes.
void TakeLocalGroups(const CPagerList& edited, CPagerList& list);

}  // namespace corvane
