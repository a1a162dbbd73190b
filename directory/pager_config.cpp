#include "directory/pager_config.h"

#include "common/decimal.h"
#include "settings/settings.h"

namespace corvane {

namespace {

// The string attributes that several pagers edited together may have in common.
constexpr std::string PagerRecord::*kSharedFields[] = {
    &PagerRecord::PhoneNumber,    &PagerRecord::WaitForConnection, &PagerRecord::DelayTime,
    &PagerRecord::SystemPassword, &PagerRecord::Separator,         &PagerRecord::CustomMessage,
    &PagerRecord::VoiceOne,       &PagerRecord::CustomData,        &PagerRecord::VoiceTwo,
};

}  // namespace

PagerRecord* AddPagerForEdit(CPagerList& list, ISettings& settings)
{
    PagerRecord* pager = list.NewPager();
    if (pager) pager->DelayTime = settings.Get(key::DefaultDelay);
    return pager;
}

void ConfirmAddedPager(const PagerRecord& pager, ISettings& settings)
{
    settings.Write(key::DefaultDelay, pager.DelayTime);
}

void CancelAddedPager(CPagerList& list, const PagerRecord& pager)
{
    list.Remove(pager);
}

std::string RemoveQuestion(const std::vector<const PagerRecord*>& selected)
{
    bool automatic = false;
    for (const PagerRecord* pager : selected) automatic = automatic || pager->AutoPageFlags != 0;
    if (selected.size() == 1) {
        return std::string(automatic ? "That pager is assigned as an automatic page destination.  " : "") +
               "Are you sure you want to delete \"" + selected[0]->UserName + "\" from the list?";
    }
    return std::string(automatic ? "One or more of the selected pagers are assigned as an automatic page "
                                   "destination.  "
                                 : "") +
           "Are you sure you want to delete the selected pagers from the list?";
}

void RemovePagers(CPagerList& list, const std::vector<const PagerRecord*>& selected, ISettings& settings)
{
    bool automatic = false;
    for (const PagerRecord* pager : selected) {
        automatic = automatic || pager->AutoPageFlags != 0;
        list.Remove(*pager);
    }
    if (automatic) settings.Write(key::AutoPagerCode, "-1");
}

PagerRecord& MakeScratchRecord(CPagerList& list, const std::vector<const PagerRecord*>& selected)
{
    PagerRecord& scratch = list.Duplicate(*selected.front());
    scratch.Code = 0;
    for (std::size_t i = 1; i < selected.size(); ++i) {
        const PagerRecord& other = *selected[i];
        for (auto field : kSharedFields)
            if (scratch.*field != other.*field) (scratch.*field).clear();
        if (scratch.DefaultPageContent != other.DefaultPageContent) scratch.DefaultPageContent = "-1";
        if (scratch.MaximumPageLength != other.MaximumPageLength) scratch.MaximumPageLength = -1;
        if (scratch.PageCounter != other.PageCounter) scratch.PageCounter = -1;
    }
    return scratch;
}

void ApplyScratchRecord(CPagerList& list, PagerRecord& scratch, const std::vector<PagerRecord*>& selected)
{
    // Only the attributes that were blanked where the pagers differ travel back: the
    // others in the scratch record are the first pager's and must not overwrite the rest.
    for (PagerRecord* pager : selected) {
        for (auto field : kSharedFields)
            if (!(scratch.*field).empty()) pager->*field = scratch.*field;
        if (scratch.DefaultPageContent != "-1") pager->DefaultPageContent = scratch.DefaultPageContent;
        if (scratch.MaximumPageLength != -1) pager->MaximumPageLength = scratch.MaximumPageLength;
        if (scratch.PageCounter != -1) pager->PageCounter = scratch.PageCounter;
    }
    list.Remove(scratch);
    list.RebuildGroupNames();
}

std::string ClampDelayField(const std::string& text, bool scratch)
{
    if (text.empty() && scratch) return text;
    return Clamp(text, 1, 60);
}

std::int16_t ClampCounterField(const std::string& text, bool scratch)
{
    if (text.empty() && scratch) return -1;
    return static_cast<std::int16_t>(ToLong(Clamp(text, 0, 999)));
}

std::int16_t ClampPageLengthField(const std::string& text, bool scratch)
{
    if (text.empty() && scratch) return -1;
    return static_cast<std::int16_t>(ToLong(Clamp(text, 1, 32767)));
}

bool EditLeavesService(PagerField field)
{
    switch (field) {
    case PagerField::PhoneNumber:
    case PagerField::DelayTime:
    case PagerField::WaitForConnection:
    case PagerField::SystemPassword:
    case PagerField::Separator:
    case PagerField::MaximumPageLength:
    case PagerField::PagerType:
        return true;
    default:
        return false;
    }
}

}  // namespace corvane
