#include "app/core/pager_fields.h"

#include <algorithm>
#include <iterator>

#include "directory/service_config.h"

namespace corvane {

namespace {

constexpr std::int16_t kDiffers = -1;

bool IsListedBaud(const std::string& baud)
{
    return std::find(std::begin(kServiceBaudRates), std::end(kServiceBaudRates), baud) !=
           std::end(kServiceBaudRates);
}

std::string NumberText(std::int16_t value, bool scratch)
{
    return scratch && value == kDiffers ? std::string() : std::to_string(value);
}

int ContentIndex(const std::string& content)
{
    if (content == "0") return 0;
    if (content == "1") return 1;
    if (content == "2") return 2;
    return kNotChosen;
}

}  // namespace

PagerFields ShowPagerFields(const PagerRecord& record, const CServiceList& services)
{
    bool scratch = record.Code == 0;
    PagerFields fields;
    fields.name = scratch ? std::string() : record.UserName;
    fields.pagerId = scratch ? std::string() : record.PagerID;
    fields.pagerType = scratch ? kNotChosen : (record.IsNumeric() ? 0 : 1);
    fields.sendPageCounter = !scratch && record.SendPageCounter != 0;
    fields.phoneNumber = record.PhoneNumber;
    fields.waitForConnection = record.WaitForConnection;
    fields.delayTime = record.DelayTime;
    fields.pinDelayTime = record.PinDelayTime;
    fields.systemPassword = record.SystemPassword;
    fields.separator = record.Separator;
    fields.maximumPageLength = NumberText(record.MaximumPageLength, scratch);
    fields.pageCounter = NumberText(record.PageCounter, scratch);
    fields.voiceOne = record.VoiceOne;
    fields.voiceTwo = record.VoiceTwo;
    fields.customData = record.CustomData;
    fields.customMessage = record.CustomMessage;
    fields.content = ContentIndex(record.DefaultPageContent);
    fields.service = services.FindByName(record.ServiceName) ? record.ServiceName : kNoService;
    fields.baudRate = IsListedBaud(record.BaudRate) ? record.BaudRate : kDefaultBaud;
    fields.groups = record.Groups;
    fields.pagesPerCall = record.PagesPerCall;
    return fields;
}

void ApplyPagerFields(const PagerFields& fields, PagerRecord& record)
{
    bool scratch = record.Code == 0;
    if (!scratch) {
        record.UserName = fields.name;
        record.PagerID = fields.pagerId;
        if (fields.pagerType != kNotChosen) record.PagerType = fields.pagerType == 0 ? "0" : "1";
        record.SendPageCounter = fields.sendPageCounter ? 1 : 0;
        record.BaudRate = fields.baudRate;
        record.Groups = fields.groups;
        record.ServiceName = fields.service;
        record.PagesPerCall = fields.pagesPerCall;
    }
    record.PhoneNumber = fields.phoneNumber;
    record.WaitForConnection = ClampDelayField(fields.waitForConnection, scratch);
    record.DelayTime = ClampDelayField(fields.delayTime, scratch);
    record.PinDelayTime = ClampDelayField(fields.pinDelayTime, scratch);
    record.SystemPassword = fields.systemPassword;
    record.Separator = fields.separator;
    record.MaximumPageLength = ClampPageLengthField(fields.maximumPageLength, scratch);
    record.PageCounter = ClampCounterField(fields.pageCounter, scratch);
    record.VoiceOne = fields.voiceOne;
    record.VoiceTwo = fields.voiceTwo;
    record.CustomData = fields.customData;
    record.CustomMessage = fields.customMessage;
    // No button chosen keeps what the record holds: "-1" in the scratch record, or a
    // value of an older file that none of the buttons stands for.
    if (fields.content != kNotChosen) record.DefaultPageContent = std::to_string(fields.content);
}

bool PagerOkEnabled(const PagerRecord& record, const PagerFields& fields)
{
    if (record.IsShared()) return false;
    return record.Code == 0 || !fields.name.empty();
}

const char* PhoneLabel(int pagerType)
{
    return pagerType == 1 ? kSystemPhoneLabel : kPagerPhoneLabel;
}

bool ChooseService(PagerFields& fields, const CServiceList& services, const std::string& choice, bool scratch)
{
    fields.service = choice;
    const ServiceRecord* service = choice == kNoService ? nullptr : services.FindByName(choice);
    if (!service) {
        fields.service = kNoService;
        return false;
    }
    PagerRecord followed;
    FollowService(*service, followed);
    fields.phoneNumber = followed.PhoneNumber;
    fields.waitForConnection = followed.WaitForConnection;
    fields.delayTime = followed.DelayTime;
    fields.pinDelayTime = followed.PinDelayTime;
    fields.systemPassword = followed.SystemPassword;
    fields.separator = followed.Separator;
    fields.baudRate = IsListedBaud(followed.BaudRate) ? followed.BaudRate : kDefaultBaud;
    fields.maximumPageLength = std::to_string(followed.MaximumPageLength);
    fields.pagesPerCall = followed.PagesPerCall;
    if (!scratch) fields.pagerType = followed.IsNumeric() ? 0 : 1;
    return true;
}

void EditedByUser(PagerFields& fields, PagerField field)
{
    if (EditLeavesService(field)) fields.service = kNoService;
}

PagerRecord ShownRecord(const PagerRecord& record, const PagerFields& fields)
{
    PagerRecord shown = record;
    ApplyPagerFields(fields, shown);
    return shown;
}

std::vector<std::string> GroupChoices(const CPagerList& list, const PagerRecord& record)
{
    std::vector<std::string> choices = list.GroupNames();
    for (const std::string& group : record.Groups)
        if (std::find(choices.begin(), choices.end(), group) == choices.end()) choices.push_back(group);
    std::erase(choices, std::string());
    return choices;
}

void AddGroup(std::vector<std::string>& choices, PagerFields& fields, const std::string& name)
{
    if (name.empty()) return;
    if (std::find(choices.begin(), choices.end(), name) == choices.end()) choices.push_back(name);
    if (std::find(fields.groups.begin(), fields.groups.end(), name) == fields.groups.end())
        fields.groups.push_back(name);
}

CSeveralPagers::CSeveralPagers(CPagerList& list, std::vector<PagerRecord*> selected)
    : m_list(list), m_selected(std::move(selected))
{
    std::vector<const PagerRecord*> asked(m_selected.begin(), m_selected.end());
    m_scratch = &MakeScratchRecord(m_list, asked);
    for (const PagerRecord* pager : m_selected)
        if (pager->PinDelayTime != m_scratch->PinDelayTime) m_scratch->PinDelayTime.clear();
}

void CSeveralPagers::Confirm()
{
    std::string pinDelay = m_scratch->PinDelayTime;
    ApplyScratchRecord(m_list, *m_scratch, m_selected);
    m_scratch = nullptr;
    if (pinDelay.empty()) return;
    for (PagerRecord* pager : m_selected) pager->PinDelayTime = pinDelay;
}

void CSeveralPagers::Cancel()
{
    if (m_scratch) m_list.Remove(*m_scratch);
    m_scratch = nullptr;
    m_list.RebuildGroupNames();
}

}  // namespace corvane
