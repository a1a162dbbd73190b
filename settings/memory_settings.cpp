#include "settings/memory_settings.h"

namespace corvane {

bool CMemorySettings::Has(SettingScope scope, std::string_view section, std::string_view key) const
{
    return Scope(scope).count({std::string(section), std::string(key)}) != 0;
}

std::optional<std::string> CMemorySettings::Read(SettingScope scope, std::string_view section,
                                                 std::string_view key)
{
    const Map& map = Scope(scope);
    auto it = map.find({std::string(section), std::string(key)});
    if (it == map.end()) return std::nullopt;
    return it->second;
}

bool CMemorySettings::Store(SettingScope scope, std::string_view section, std::string_view key,
                            std::string_view value)
{
    if (scope == SettingScope::Machine && m_machineReadOnly) return false;
    Scope(scope)[{std::string(section), std::string(key)}] = std::string(value);
    return true;
}

bool CMemorySettings::Erase(SettingScope scope, std::string_view section, std::string_view key)
{
    if (scope == SettingScope::Machine && m_machineReadOnly) return false;
    Scope(scope).erase({std::string(section), std::string(key)});
    return true;
}

}  // namespace corvane
