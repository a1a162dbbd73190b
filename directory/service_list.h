#pragma once
// The paging services: local ones from SERVICES.DAT, then shared ones.
// Each dialog that works on services owns its own list.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "directory/pager_list.h"
#include "directory/service_record.h"

namespace corvane {

class CServiceList {
public:
    using Records = std::vector<std::unique_ptr<ServiceRecord>>;

    CServiceList() = default;
    CServiceList(const CServiceList&) = delete;
    CServiceList& operator=(const CServiceList&) = delete;

    const Records& records() const { return m_records; }
    std::size_t size() const { return m_records.size(); }
    ServiceRecord& at(std::size_t i) { return *m_records[i]; }
    const ServiceRecord& at(std::size_t i) const { return *m_records[i]; }
    std::int16_t NextCodeHint() const { return m_nextCode; }
    void SetNextCodeHint(std::int16_t hint) { m_nextCode = hint; }

    // Null when all 32000 local codes are taken.
    ServiceRecord* NewService();
    ServiceRecord& AddBlank();
    ServiceRecord& Duplicate(const ServiceRecord& record);
    void Remove(const ServiceRecord& record);
    void Clear();
    const ServiceRecord* FindByName(const std::string& name) const;
    ServiceRecord* FindByName(const std::string& name);
    std::int16_t AllocateCode();

    // SERVICES.DAT, local and shared.
    void Reload(const DataFiles& files);
    void LoadLocal(const DataFiles& files);
    void LoadSharedFile(const DataFiles& files);
    bool Save(const DataFiles& files);

private:
    Records m_records;
    std::int16_t m_nextCode = 1;
};

}  // namespace corvane
