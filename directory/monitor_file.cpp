#include "directory/monitor_file.h"

#include "directory/data_file.h"
#include "directory/pager_file.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace corvane {

std::size_t ReadMonitorRecords(std::string_view bytes, CPagerList& list)
{
    // One index instead of a scan of the list per record: a full directory has 32,000
    // local pagers and may have as many records here.
    std::unordered_map<std::int16_t, PagerRecord*> byCode;
    byCode.reserve(list.size());
    for (std::size_t i = 0; i < list.size(); ++i) byCode.emplace(list.at(i).Code, &list.at(i));

    CDataReader in(bytes);
    std::size_t count = 0;
    while (in.Remaining() >= 2) {
        std::int16_t ignored = 0;
        std::int16_t code = 0;
        std::uint16_t flags = 0;
        if (!in.Word(ignored) || !in.Word(code) || !in.Word(flags)) break;
        ++count;
        if (auto it = byCode.find(code); it != byCode.end()) it->second->AutoPageFlags = flags;
    }
    return count;
}

std::string WriteMonitorRecords(const CPagerList& list, std::string_view kept)
{
    CDataWriter out;
    std::unordered_set<std::int16_t> held;
    held.reserve(list.size());
    for (const auto& pager : list.records()) {
        held.insert(pager->Code);
        if (pager->AutoPageFlags == 0 || pager->Code == 0) continue;
        out.Word(std::int16_t{1});
        out.Word(pager->Code);
        out.Word(pager->AutoPageFlags);
    }
    // Each kept code once, with the flags a reader ends up with: those of its last record.
    std::vector<std::pair<std::int16_t, std::uint16_t>> others;
    std::unordered_map<std::int16_t, std::size_t> at;
    CDataReader in(kept);
    std::int16_t ignored = 0;
    std::int16_t code = 0;
    std::uint16_t flags = 0;
    while (in.Word(ignored) && in.Word(code) && in.Word(flags)) {
        if (code >= 0 || held.count(code)) continue;
        auto [it, added] = at.emplace(code, others.size());
        if (added) others.emplace_back(code, flags);
        others[it->second].second = flags;
    }
    for (const auto& [other, otherFlags] : others) {
        if (otherFlags == 0) continue;
        out.Word(std::int16_t{1});
        out.Word(other);
        out.Word(otherFlags);
    }
    return out.bytes();
}

void ApplyMonitorFile(const std::string& path, CPagerList& list)
{
    std::string bytes;
    if (ReadLocalDataFile(path, bytes)) ReadMonitorRecords(bytes, list);
}

}  // namespace corvane
