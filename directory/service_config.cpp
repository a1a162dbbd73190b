#include "directory/service_config.h"

#include <algorithm>
#include <iterator>

#include "common/decimal.h"
#include "common/main_view.h"
#include "common/message_box.h"
#include "settings/settings.h"

namespace corvane {
namespace {

inline constexpr long kMinDelay = 1, kMaxDelay = 255;
inline constexpr long kMinPageLength = 1, kMaxPageLength = 32767;
inline constexpr long kMinPagesPerCall = 5, kMaxPagesPerCall = 9999;
inline constexpr std::int16_t kDiffers = -1;  // a number of the scratch record the services disagree on

bool IsListedBaud(const std::string& baud)
{
    return std::find(std::begin(kServiceBaudRates), std::end(kServiceBaudRates), baud) !=
           std::end(kServiceBaudRates);
}

std::string NumberText(std::int16_t value, bool scratch)
{
    return scratch && value == kDiffers ? std::string() : std::to_string(value);
}

std::int16_t ClampedNumber(const std::string& text, long low, long high)
{
    return static_cast<std::int16_t>(ToLong(Clamp(text, low, high)));
}

// A delay of a single service is always clamped; in the scratch record only when given.
void TakeDelay(const std::string& text, bool scratch, std::string& field)
{
    field = scratch && text.empty() ? std::string() : Clamp(text, kMinDelay, kMaxDelay);
}

void TakeNumber(const std::string& text, bool scratch, long low, long high, std::int16_t& field)
{
    field = scratch && text.empty() ? kDiffers : ClampedNumber(text, low, high);
}

void ClearIfDiffers(std::string& scratch, const std::string& other)
{
    if (scratch != other) scratch.clear();
}

void MarkIfDiffers(std::int16_t& scratch, std::int16_t other)
{
    if (scratch != other) scratch = kDiffers;
}

void TakeIfGiven(const std::string& scratch, std::string& field)
{
    if (!scratch.empty()) field = scratch;
}

void TakeIfGiven(std::int16_t scratch, std::int16_t& field)
{
    if (scratch != kDiffers) field = scratch;
}

}  // namespace

ServiceFields ShowServiceFields(const ServiceRecord& record)
{
    bool scratch = record.Code == 0;
    ServiceFields fields;
    fields.name = record.Name;
    fields.phoneNumber = record.PhoneNumber;
    fields.waitForConnection = record.WaitForConnection;
    fields.delayTime = record.DelayTime;
    fields.pinDelayTime = record.PinDelayTime;
    fields.systemPassword = record.SystemPassword;
    fields.separator = record.Separator;
    fields.baudRate = IsListedBaud(record.BaudRate) ? record.BaudRate : kDefaultBaud;
    fields.maximumPageLength = NumberText(record.MaximumPageLength, scratch);
    fields.pagesPerCall = NumberText(record.PagesPerCall, scratch);
    fields.alphanumeric = record.ServiceType != "0";
    return fields;
}

void ApplyServiceFields(const ServiceFields& fields, ServiceRecord& record)
{
    bool scratch = record.Code == 0;
    if (!scratch) {
        record.Name = fields.name;
        record.ServiceType = fields.alphanumeric ? "1" : "0";
        record.BaudRate = IsListedBaud(fields.baudRate) ? fields.baudRate : kDefaultBaud;
    }
    record.PhoneNumber = fields.phoneNumber;
    record.SystemPassword = fields.systemPassword;
    record.Separator = fields.separator;
    TakeDelay(fields.waitForConnection, scratch, record.WaitForConnection);
    TakeDelay(fields.delayTime, scratch, record.DelayTime);
    TakeDelay(fields.pinDelayTime, scratch, record.PinDelayTime);
    TakeNumber(fields.maximumPageLength, scratch, kMinPageLength, kMaxPageLength, record.MaximumPageLength);
    TakeNumber(fields.pagesPerCall, scratch, kMinPagesPerCall, kMaxPagesPerCall, record.PagesPerCall);
}

bool ServiceOkEnabled(const ServiceRecord& record, const ServiceFields& fields)
{
    if (record.Code < 0) return false;
    return record.Code == 0 || !fields.name.empty();
}

std::string RemoveServicesQuestion(const std::vector<const ServiceRecord*>& selected)
{
    if (selected.size() == 1)
        return "Are you sure you want to delete \"" + selected.front()->Name + "\" from the list?";
    return "Are you sure you want to delete the selected services from the list?";
}

void FollowService(const ServiceRecord& service, PagerRecord& pager)
{
    pager.PhoneNumber = service.PhoneNumber;
    pager.WaitForConnection = service.WaitForConnection;
    pager.DelayTime = service.DelayTime;
    pager.PinDelayTime = service.PinDelayTime;
    pager.SystemPassword = service.SystemPassword;
    pager.Separator = service.Separator;
    pager.BaudRate = service.BaudRate;
    pager.MaximumPageLength = service.MaximumPageLength;
    pager.PagesPerCall = service.PagesPerCall;
    pager.PagerType = service.ServiceType;
}

bool FollowService(const CServiceList& services, const std::string& choice, PagerRecord& pager)
{
    if (choice == kNoService) return false;
    const ServiceRecord* service = services.FindByName(choice);
    if (!service) return false;
    FollowService(*service, pager);
    return true;
}

CServiceConfig::CServiceConfig(const DataFiles& files) : m_files(files)
{
    m_services.LoadLocal(files);
}

ServiceRecord* CServiceConfig::Add()
{
    ServiceRecord* added = m_services.NewService();
    if (added) added->DelayTime = m_files.settings.Get(key::DefaultDelay);
    return added;
}

void CServiceConfig::CancelAdd(ServiceRecord& added)
{
    Forget(added);
    m_services.Remove(added);
}

void CServiceConfig::ConfirmAdd(ServiceRecord& added)
{
    Remember(added);
    m_files.settings.Write(key::DefaultDelay, added.DelayTime);
}

void CServiceConfig::BeginEdit(ServiceRecord& service)
{
    Remember(service);
}

ServiceRecord& CServiceConfig::BeginEditSeveral(const std::vector<ServiceRecord*>& selected)
{
    ServiceRecord& scratch = m_services.Duplicate(*selected.front());
    scratch.Code = 0;
    for (const ServiceRecord* other : selected) {
        ClearIfDiffers(scratch.PhoneNumber, other->PhoneNumber);
        ClearIfDiffers(scratch.WaitForConnection, other->WaitForConnection);
        ClearIfDiffers(scratch.DelayTime, other->DelayTime);
        // The pause after the PIN is editable here too: cleared when the services
        // disagree, so that an untouched field never overwrites their own values.
        ClearIfDiffers(scratch.PinDelayTime, other->PinDelayTime);
        ClearIfDiffers(scratch.SystemPassword, other->SystemPassword);
        ClearIfDiffers(scratch.Separator, other->Separator);
        MarkIfDiffers(scratch.MaximumPageLength, other->MaximumPageLength);
        MarkIfDiffers(scratch.PagesPerCall, other->PagesPerCall);
    }
    return scratch;
}

void CServiceConfig::ConfirmEditSeveral(ServiceRecord& scratch, const std::vector<ServiceRecord*>& selected)
{
    for (ServiceRecord* service : selected) {
        TakeIfGiven(scratch.PhoneNumber, service->PhoneNumber);
        TakeIfGiven(scratch.WaitForConnection, service->WaitForConnection);
        TakeIfGiven(scratch.DelayTime, service->DelayTime);
        TakeIfGiven(scratch.PinDelayTime, service->PinDelayTime);
        TakeIfGiven(scratch.SystemPassword, service->SystemPassword);
        TakeIfGiven(scratch.Separator, service->Separator);
        TakeIfGiven(scratch.MaximumPageLength, service->MaximumPageLength);
        TakeIfGiven(scratch.PagesPerCall, service->PagesPerCall);
    }
    m_services.Remove(scratch);
}

void CServiceConfig::CancelEditSeveral(ServiceRecord& scratch)
{
    m_services.Remove(scratch);
}

bool CServiceConfig::Remove(const std::vector<ServiceRecord*>& selected, IMessageBox& messageBox)
{
    if (selected.empty()) return false;
    std::vector<const ServiceRecord*> asked(selected.begin(), selected.end());
    if (messageBox.Show(RemoveServicesQuestion(asked), kDeleteServiceCaption, MbIcon::Question, MbButtons::YesNo) !=
        MbAnswer::Yes)
        return false;
    for (ServiceRecord* service : selected) {
        Forget(*service);
        m_services.Remove(*service);
    }
    return true;
}

bool CServiceConfig::Confirm(CPagerList& mainPagers, IMainView* view)
{
    // Renames go through a name no service can have, so that swapped names (A to B and
    // B to A) or a chain of renames move each pager exactly once, from its old name.
    std::vector<std::pair<std::string, std::string>> renames;
    for (const auto& [service, firstName] : m_seen)
        if (service->Name != firstName) renames.emplace_back(firstName, service->Name);
    for (std::size_t i = 0; i < renames.size(); ++i)
        mainPagers.RenameService(renames[i].first, "\x01rename " + std::to_string(i));
    for (std::size_t i = 0; i < renames.size(); ++i)
        mainPagers.RenameService("\x01rename " + std::to_string(i), renames[i].second);

    for (const auto& service : m_services.records()) mainPagers.ApplyService(*service);
    mainPagers.DropMissingServices(m_services);
    mainPagers.Save(m_files);
    if (view) view->RefreshPagerList();
    return m_services.Save(m_files);
}

void CServiceConfig::Remember(ServiceRecord& service)
{
    for (const auto& entry : m_seen)
        if (entry.first == &service) return;
    m_seen.emplace_back(&service, service.Name);
}

void CServiceConfig::Forget(const ServiceRecord& service)
{
    std::erase_if(m_seen, [&](const auto& entry) { return entry.first == &service; });
}

}  // namespace corvane
