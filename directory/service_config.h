#pragma once
// The rules of the service configuration dialogs apart from their drawing: adding,
// removing, editing one service or several together, the checks on OK, and what the
// confirmation of the whole dialog does to the pagers. The windows call these.

#include <string>
#include <utility>
#include <vector>

#include "directory/pager_list.h"
#include "directory/service_list.h"

namespace corvane {

class IMainView;

inline constexpr const char* kDeleteServiceCaption = "Delete Service";
inline constexpr const char* kServiceBaudRates[] = {"<default>", "300",   "1200",  "2400",
                                                    "9600",      "14400", "24000", "28800"};

// The fields of "Individual Service Configuration" as the user sees and types them.
struct ServiceFields {
    std::string name;
    std::string phoneNumber;
    std::string waitForConnection;
    std::string delayTime;
    std::string pinDelayTime;
    std::string systemPassword;
    std::string separator;
    std::string baudRate;
    std::string maximumPageLength;
    std::string pagesPerCall;
    bool alphanumeric = false;  // the "Numeric" / "Alphanumeric" choice
};

// What the dialog shows for a record: a baud rate not in the list as "<default>", and
// for the scratch record (code 0) the numbers the selected services disagree on empty.
ServiceFields ShowServiceFields(const ServiceRecord& record);

// OK of the individual dialog. Delays are clamped to 1..255, the page length to
// 1..32767, the pages per call to 5..9999; in a single service an empty number takes
// the low bound. In the scratch record an empty field means "leave each service as it
// is" (strings stay empty, numbers become -1), and name, type and baud are not taken.
void ApplyServiceFields(const ServiceFields& fields, ServiceRecord& record);

// OK needs a name; a shared service (negative code) cannot be saved at all.
bool ServiceOkEnabled(const ServiceRecord& record, const ServiceFields& fields);

// The "Delete Service" question for the selected services.
std::string RemoveServicesQuestion(const std::vector<const ServiceRecord*>& selected);

// The pager dialog's service choice: the pager takes the service's attributes and type.
void FollowService(const ServiceRecord& service, PagerRecord& pager);
// By name: "<None>" or a name not in the list copies nothing and gives false.
bool FollowService(const CServiceList& services, const std::string& choice, PagerRecord& pager);

// The state of one "Service Configuration" dialog: its own list of the local services
// and the table of (service, name when first seen) of the services it added or edited.
class CServiceConfig {
public:
    // Loads the local services only; the caller refuses to open while monitoring.
    explicit CServiceConfig(const DataFiles& files);

    CServiceList& services() { return m_services; }

    // Add: a new service whose pause after dialing is the setting DefaultDelay. Null
    // when every local code is taken. Cancel of the dialog removes it again; OK
    // remembers it and writes its pause back to DefaultDelay.
    ServiceRecord* Add();
    void CancelAdd(ServiceRecord& added);
    void ConfirmAdd(ServiceRecord& added);

    // Edit of one service: remembers its name as it was before the first edit.
    void BeginEdit(ServiceRecord& service);

    // Edit of several: a scratch record (code 0) copied from the first, with every
    // field the selected services disagree on cleared (strings) or set to -1 (numbers).
    ServiceRecord& BeginEditSeveral(const std::vector<ServiceRecord*>& selected);
    // Writes the scratch record's non-empty strings and numbers other than -1 into
    // every selected service, then removes the scratch record.
    void ConfirmEditSeveral(ServiceRecord& scratch, const std::vector<ServiceRecord*>& selected);
    void CancelEditSeveral(ServiceRecord& scratch);

    // Asks "Delete Service"; Yes removes the services and their table entries.
    bool Remove(const std::vector<ServiceRecord*>& selected, IMessageBox& messageBox);

    // OK of the whole dialog: renames in the main window's pager list, the services'
    // attributes applied to the pagers that use them, pagers of vanished services set
    // to "<None>", the pager list saved and redrawn, then the service list saved.
    // False when the user gave up saving the service list.
    bool Confirm(CPagerList& mainPagers, IMainView* view);

private:
    void Remember(ServiceRecord& service);
    void Forget(const ServiceRecord& service);

    const DataFiles& m_files;
    CServiceList m_services;
    std::vector<std::pair<ServiceRecord*, std::string>> m_seen;
};

}  // namespace corvane
