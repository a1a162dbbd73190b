#pragma once
// "Edit Pre-Defined Messages" (PDM.DAT) and "Edit Dashnote Messages" (DASHNOTE.DAT) as
// data: a drop-down of names with New and Delete, the selected entry's texts (and, for a
// Dashnote, its pagers), the questions of Delete and Cancel, and OK's save. The dialogs
// only show the current entry and hand back what the user changed.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "directory/dashnote_list.h"
#include "directory/pager_list.h"

namespace corvane {

inline constexpr const char* kPredefinedEditorTitle = "Edit Pre-Defined Messages";
inline constexpr const char* kDashnoteEditorTitle = "Edit Dashnote Messages";
inline constexpr const char* kNewEntryName = "<new entry>";
inline constexpr const char* kAlphaTextLabel = "Message for Alphanumeric Pagers";
inline constexpr const char* kNumericTextLabel = "Message for Numeric Pagers";
inline constexpr const char* kRecipientsLabel = "Highlight the pagers that are to receive this Dashnote.";
inline constexpr const char* kDeleteMessageText = "Are you sure you want to delete the currently selected message?";
inline constexpr const char* kDeleteMessageCaption = "Delete Message";
inline constexpr const char* kCancelPredefinedText =
    "Are you sure you want to cancel all changes to the pre-defined message list";
inline constexpr const char* kCancelDashnoteText =
    "Are you sure you want to cancel all changes to the Dashnote message list";
inline constexpr const char* kCancelChangesCaption = "Cancel Changes";

class CMessageEditor {
public:
    enum class Kind { Predefined, Dashnote };

    // Loads the file; the first entry is current, or a new one when there is none.
    CMessageEditor(Kind kind, const DataFiles& files);

    Kind kind() const { return m_kind; }
    const char* Title() const;
    std::size_t Count() const { return m_list.messages().size(); }
    std::size_t Current() const { return m_current; }
    // A Dashnote entry has its CommandId and Recipients too; a pre-defined one does not.
    DashnoteMessage& Entry(std::size_t index) { return m_list.messages().at(index); }
    DashnoteMessage& CurrentEntry() { return Entry(m_current); }
    // The drop-down's text: the name, or "<new entry>" while it has none.
    std::string ShownName(std::size_t index) const;
    void Select(std::size_t index);

    // New: appends an entry and makes it current. A Dashnote beyond the 20th is refused
    // with the limit message (false).
    bool New();
    // Delete, after asking: the current entry goes, and the first one left (or a new
    // one) becomes current. False when the user said No.
    bool Delete();
    // Cancel, after asking: true when the user wants the changes dropped.
    bool ConfirmCancel();
    // OK: the file is replaced whole (Retry or Cancel while it cannot be); entries left
    // entirely empty (no name, no texts, no pagers) are not kept. False when the user
    // gave up saving.
    bool Save();

private:
    Kind m_kind;
    const DataFiles& m_files;
    CDashnoteList m_list;  // the entries of either file (a pre-defined one has no id)
    std::size_t m_current = 0;
};

}  // namespace corvane
