#pragma once
// "Individual Pager Configuration" as data: what the dialog shows for a record (one
// pager, a shared one, or the scratch record of several), what it writes back on OK,
// when OK is allowed, and how a chosen service fills the fields and a later edit by
// hand ends the pager's link to it. The dialog only mirrors these fields.

#include <cstdint>
#include <string>
#include <vector>

#include "directory/pager_config.h"
#include "directory/pager_list.h"
#include "directory/service_list.h"

namespace corvane {

inline constexpr const char* kPagerConfigTitle = "Pager Configuration";
inline constexpr const char* kIndividualPagerTitle = "Individual Pager Configuration";
inline constexpr const char* kGroupListLabel = "Highlight groups to which the pager belongs";
inline constexpr const char* kAddGroupTitle = "Add Group";
inline constexpr const char* kPagerPhoneLabel = "Pager Phone Number";
inline constexpr const char* kSystemPhoneLabel = "System Phone Number";
inline constexpr const char* kContentChoices[] = {"Default Page Message", "Prompt for Message", "Custom Page Message"};
inline constexpr const char* kPagerTypeChoices[] = {"Numeric", "Alphanumeric"};
inline constexpr const char* kPagingErrorCaption = "Paging Error";

inline constexpr int kNotChosen = -1;

struct PagerFields {
    std::string name;
    std::string pagerId;
    std::string phoneNumber;
    std::string waitForConnection;
    std::string delayTime;
    std::string pinDelayTime;
    std::string systemPassword;
    std::string separator;
    std::string maximumPageLength;
    std::string pageCounter;
    std::string voiceOne;
    std::string voiceTwo;
    std::string customData;
    std::string customMessage;
    int pagerType = 0;  // 0 Numeric, 1 Alphanumeric; kNotChosen for several pagers
    bool sendPageCounter = false;
    int content = 1;    // 0 default, 1 prompt, 2 custom; kNotChosen: leave as it is
    std::string service = kNoService;
    std::string baudRate = kDefaultBaud;
    std::vector<std::string> groups;  // the highlighted groups
    std::int16_t pagesPerCall = 9999; // not shown: taken from a chosen service

    bool operator==(const PagerFields&) const = default;
};

// The fields for a record. A ServiceName that is not a service of the list shows as
// "<None>", a BaudRate not in the list as "<default>". The scratch record (several
// pagers) shows the name, PIN and type empty, "Send Page Counter" cleared and the
// numbers the pagers disagree on empty.
PagerFields ShowPagerFields(const PagerRecord& record, const CServiceList& services);

// OK: the clamps, then the fields into the record. For the scratch record an empty
// field stays empty (or -1), the content choice stays "-1" unless one was chosen, and
// the name, PIN, type, baud, groups and page counter switch are not taken.
void ApplyPagerFields(const PagerFields& fields, PagerRecord& record);

// OK needs a name; a shared pager cannot be saved; the scratch record has no name.
bool PagerOkEnabled(const PagerRecord& record, const PagerFields& fields);

// The label of the phone number field for the type choice.
const char* PhoneLabel(int pagerType);

// The service choice: a service of the list fills the fields it holds (the type too,
// except for several pagers, whose type is not edited). "<None>" fills nothing. False
// when nothing was filled.
bool ChooseService(PagerFields& fields, const CServiceList& services, const std::string& choice, bool scratch);

// A field the user edited by hand: some edits end the link to the service.
void EditedByUser(PagerFields& fields, PagerField field);

// The values shown, as a record, for a test page: the record as OK would leave it.
PagerRecord ShownRecord(const PagerRecord& record, const PagerFields& fields);

// The group list: every group of the list plus those of the record; Add Group puts a
// new name in the list (once) and highlights it.
std::vector<std::string> GroupChoices(const CPagerList& list, const PagerRecord& record);
void AddGroup(std::vector<std::string>& choices, PagerFields& fields, const std::string& name);

// Several pagers edited together through one scratch record. The pause after the PIN
// is editable in the dialog like the other pauses, so it is treated like them: shown
// empty where the pagers differ and, when given, written into each of them.
class CSeveralPagers {
public:
    CSeveralPagers(CPagerList& list, std::vector<PagerRecord*> selected);
    PagerRecord& scratch() { return *m_scratch; }
    void Confirm();
    void Cancel();

private:
    CPagerList& m_list;
    std::vector<PagerRecord*> m_selected;
    PagerRecord* m_scratch;
};

}  // namespace corvane
