#include "directory/service_list.h"

#include <algorithm>
#include <utility>

#include "directory/code_allocator.h"

namespace corvane {

ServiceRecord* CServiceList::NewService()
{
    std::int16_t code = AllocateCode();
    if (code == 0) return nullptr;
    ServiceRecord& record = AddBlank();
    record.Code = code;
    return &record;
}

ServiceRecord& CServiceList::AddBlank()
{
    m_records.push_back(std::make_unique<ServiceRecord>());
    return *m_records.back();
}

ServiceRecord& CServiceList::Duplicate(const ServiceRecord& record)
{
    m_records.push_back(std::make_unique<ServiceRecord>(record));
    return *m_records.back();
}

void CServiceList::Remove(const ServiceRecord& record)
{
    auto it = std::find_if(m_records.begin(), m_records.end(),
                           [&](const auto& r) { return r.get() == &record; });
    if (it == m_records.end()) return;
    std::int16_t code = (*it)->Code;
    m_records.erase(it);
    if (code > 0 && code < m_nextCode) m_nextCode = code;
}

void CServiceList::Clear()
{
    m_records.clear();
    m_nextCode = 1;
}

const ServiceRecord* CServiceList::FindByName(const std::string& name) const
{
    for (const auto& record : m_records)
        if (record->Name == name) return record.get();
    return nullptr;
}

ServiceRecord* CServiceList::FindByName(const std::string& name)
{
    return const_cast<ServiceRecord*>(std::as_const(*this).FindByName(name));
}

std::int16_t CServiceList::AllocateCode()
{
    return AllocateFreeCode(m_nextCode, m_records);
}

}  // namespace corvane
