#pragma once
// The rules of the pager configuration dialogs that are not about drawing: adding,
// removing with its questions, editing several pagers through one scratch record, the
// clamps on OK, and which edits make a pager stop following its paging service.

#include <string>
#include <vector>

#include "directory/pager_list.h"

namespace corvane {

class ISettings;

inline constexpr const char* kShareWarningText =
    "This is a shared pager.  You will be unable to save any changes made to this pager.";
inline constexpr const char* kShareWarningCaption = "Share Warning";
inline constexpr const char* kEditGroupText =
    "This is a pager group.  To edit the group, choose Groups from the Configure menu.";
inline constexpr const char* kEditGroupCaption = "Edit Pager";
inline constexpr const char* kDeletePagerCaption = "Delete Pager";

// Add: a new pager whose pause after dialling is the last one confirmed ("DefaultDelay").
// Null when the directory is full.
PagerRecord* AddPagerForEdit(CPagerList& list, ISettings& settings);
// OK on the added pager remembers its pause for the next one.
void ConfirmAddedPager(const PagerRecord& pager, ISettings& settings);
// Cancel on the added pager removes it again.
void CancelAddedPager(CPagerList& list, const PagerRecord& pager);

// The Delete Pager question for the selection (one pager, or several).
std::string RemoveQuestion(const std::vector<const PagerRecord*>& selected);
// Yes: removes them; when one was an automatic destination "AutoPagerCode" becomes "-1".
void RemovePagers(CPagerList& list, const std::vector<const PagerRecord*>& selected, ISettings& settings);

// Several pagers edited together: a copy of the first (code 0) in which every attribute
// that differs among them is blanked (strings empty, DefaultPageContent "-1", numbers -1).
PagerRecord& MakeScratchRecord(CPagerList& list, const std::vector<const PagerRecord*>& selected);
// OK: every non-blank attribute of the scratch record goes to each selected pager; the
// scratch record is removed and the group names rebuilt.
void ApplyScratchRecord(CPagerList& list, PagerRecord& scratch, const std::vector<PagerRecord*>& selected);

// The numbers typed into the individual dialog, as stored on OK. In the scratch record an
// empty field means "unchanged": empty delays stay empty, empty numbers become -1.
std::string ClampDelayField(const std::string& text, bool scratch);              // 1..60
std::int16_t ClampCounterField(const std::string& text, bool scratch);           // 0..999
std::int16_t ClampPageLengthField(const std::string& text, bool scratch);        // 1..32767

// The fields of the individual dialog whose edit matters to the service link.
enum class PagerField {
    PhoneNumber, DelayTime, WaitForConnection, SystemPassword, Separator, MaximumPageLength, PagerType,
    PinDelayTime, BaudRate, Other,
};
// Editing these by hand makes the pager stop following its service (back to "<None>").
bool EditLeavesService(PagerField field);

}  // namespace corvane
