#pragma once
// The ordered list of pagers: local ones from PAGERS.DAT, then shared ones.
// Each window or operation that edits pagers owns its own list.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "directory/pager_record.h"
#include "directory/service_record.h"

namespace corvane {

class CServiceList;
class IEventPump;
class IMessageBox;
class ISettings;

// Where the data files are and whom to ask when one cannot be opened.
struct DataFiles {
    std::string dataDir;  // ends with '/'; file names are appended to it
    ISettings& settings;
    IMessageBox& messageBox;
    // How a reading that waits on a server lets the program go on meanwhile (the shared
    // pager table); without one (tools, benchmarks) it waits on the calling thread.
    IEventPump* pump = nullptr;
    std::string Path(const char* name) const { return dataDir + name; }
};

class CPagerList {
public:
    using Records = std::vector<std::unique_ptr<PagerRecord>>;

    CPagerList() = default;
    CPagerList(const CPagerList&) = delete;
    CPagerList& operator=(const CPagerList&) = delete;

    // Records keep their address for as long as they are in the list.
    const Records& records() const { return m_records; }
    std::size_t size() const { return m_records.size(); }
    bool empty() const { return m_records.empty(); }
    PagerRecord& at(std::size_t i) { return *m_records[i]; }
    const PagerRecord& at(std::size_t i) const { return *m_records[i]; }
    const std::vector<std::string>& GroupNames() const { return m_groupNames; }
    std::int16_t NextCodeHint() const { return m_nextCode; }
    void SetNextCodeHint(std::int16_t hint) { m_nextCode = hint; }

    // Null when all 32000 local codes are taken.
    PagerRecord* NewPager();
    PagerRecord& AddBlank();
    PagerRecord& Duplicate(const PagerRecord& record);
    void Remove(const PagerRecord& record);
    // Drops the records from position `first` on (a load that starts again).
    void RemoveFrom(std::size_t first);
    void Clear();
    PagerRecord* FindByCode(std::int16_t code);
    PagerRecord* FindByName(const std::string& name);
    // The first free code from the hint upward, wrapping from 32000 to 1; 0 when none is free.
    std::int16_t AllocateCode();
    void SortByName();
    void SortByData();
    void RebuildGroupNames();

    // Links to paging services; shared pagers are never touched.
    void ApplyService(const ServiceRecord& service);
    void RenameService(const std::string& oldName, const std::string& newName);
    void DropMissingServices(const CServiceList& services);

    // The pager files (PAGERS.DAT, MONITOR.DAT, the shared PAGERS.DAT or table). The new
    // list is built aside and taken whole once complete; a Reload of this list asked for
    // from the events of its own wait returns at once (the reading under way brings it).
    void Reload(const DataFiles& files);
    void LoadLocal(const DataFiles& files);
    void LoadSharedFile(const DataFiles& files);
    // False when the user cancelled after PAGERS.DAT (or MONITOR.DAT) could not be
    // written; MONITOR.DAT is written in either case.
    bool Save(const DataFiles& files);

private:
    Records m_records;
    std::vector<std::string> m_groupNames;
    std::int16_t m_nextCode = 1;
    bool m_reloading = false;
};

}  // namespace corvane
