#include "directory/pager_list.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "directory/code_allocator.h"
#include "directory/service_list.h"

namespace corvane {

bool PagerRecord::HasGroup(const std::string& name) const
{
    return std::find(Groups.begin(), Groups.end(), name) != Groups.end();
}

PagerRecord* CPagerList::NewPager()
{
    std::int16_t code = AllocateCode();
    if (code == 0) return nullptr;
    PagerRecord& record = AddBlank();
    record.Code = code;
    return &record;
}

PagerRecord& CPagerList::AddBlank()
{
    m_records.push_back(std::make_unique<PagerRecord>());
    return *m_records.back();
}

PagerRecord& CPagerList::Duplicate(const PagerRecord& record)
{
    m_records.push_back(std::make_unique<PagerRecord>(record));
    return *m_records.back();
}

void CPagerList::Remove(const PagerRecord& record)
{
    auto it = std::find_if(m_records.begin(), m_records.end(),
                           [&](const auto& r) { return r.get() == &record; });
    if (it == m_records.end()) return;
    std::int16_t code = (*it)->Code;
    m_records.erase(it);
    if (code > 0 && code < m_nextCode) m_nextCode = code;
    RebuildGroupNames();
}

void CPagerList::RemoveFrom(std::size_t first)
{
    if (first >= m_records.size()) return;
    for (std::size_t i = first; i < m_records.size(); ++i) {
        std::int16_t code = m_records[i]->Code;
        if (code > 0 && code < m_nextCode) m_nextCode = code;
    }
    m_records.erase(m_records.begin() + static_cast<std::ptrdiff_t>(first), m_records.end());
    RebuildGroupNames();
}

void CPagerList::Clear()
{
    m_records.clear();
    m_groupNames.clear();
    m_nextCode = 1;
}

PagerRecord* CPagerList::FindByCode(std::int16_t code)
{
    for (auto& record : m_records)
        if (record->Code == code) return record.get();
    return nullptr;
}

PagerRecord* CPagerList::FindByName(const std::string& name)
{
    for (auto& record : m_records)
        if (record->UserName == name) return record.get();
    return nullptr;
}

std::int16_t CPagerList::AllocateCode()
{
    return AllocateFreeCode(m_nextCode, m_records);
}

void CPagerList::SortByName()
{
    std::stable_sort(m_records.begin(), m_records.end(),
                     [](const auto& a, const auto& b) { return a->UserName < b->UserName; });
}

void CPagerList::SortByData()
{
    std::stable_sort(m_records.begin(), m_records.end(),
                     [](const auto& a, const auto& b) { return a->CustomData < b->CustomData; });
}

void CPagerList::RebuildGroupNames()
{
    // The set keeps this one pass over the groups: a scan of the names found so far for
    // every group costs 20 s on 32,000 pagers that each have groups of their own.
    m_groupNames.clear();
    std::unordered_set<std::string_view> seen;
    for (const auto& record : m_records)
        for (const auto& group : record->Groups)
            if (seen.insert(group).second) m_groupNames.push_back(group);
}

void CPagerList::ApplyService(const ServiceRecord& service)
{
    for (auto& pager : m_records) {
        if (pager->Code < 0 || pager->ServiceName != service.Name) continue;
        pager->PhoneNumber = service.PhoneNumber;
        pager->WaitForConnection = service.WaitForConnection;
        pager->DelayTime = service.DelayTime;
        pager->PinDelayTime = service.PinDelayTime;
        pager->SystemPassword = service.SystemPassword;
        pager->Separator = service.Separator;
        pager->BaudRate = service.BaudRate;
        pager->MaximumPageLength = service.MaximumPageLength;
        pager->PagesPerCall = service.PagesPerCall;
    }
}

void CPagerList::RenameService(const std::string& oldName, const std::string& newName)
{
    for (auto& pager : m_records)
        if (pager->Code >= 0 && pager->ServiceName == oldName) pager->ServiceName = newName;
}

void CPagerList::DropMissingServices(const CServiceList& services)
{
    for (auto& pager : m_records)
        if (pager->Code >= 0 && !services.FindByName(pager->ServiceName)) pager->ServiceName = kNoService;
}

}  // namespace corvane
