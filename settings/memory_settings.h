#pragma once
// A settings store held in memory: for tests, and for tools that must not touch the
// user's files. The machine scope can be made read-only, as /etc/xdg is for a user.

#include <map>
#include <string>

#include "settings/settings.h"

namespace corvane {

class CMemorySettings : public ISettings {
public:
    void SetMachineReadOnly(bool readOnly) { m_machineReadOnly = readOnly; }
    bool Has(SettingScope scope, std::string_view section, std::string_view key) const;

protected:
    std::optional<std::string> Read(SettingScope scope, std::string_view section,
                                    std::string_view key) override;
    bool Store(SettingScope scope, std::string_view section, std::string_view key,
               std::string_view value) override;
    bool Erase(SettingScope scope, std::string_view section, std::string_view key) override;

private:
    using Map = std::map<std::pair<std::string, std::string>, std::string>;
    const Map& Scope(SettingScope scope) const { return scope == SettingScope::User ? m_user : m_machine; }
    Map& Scope(SettingScope scope) { return scope == SettingScope::User ? m_user : m_machine; }
    Map m_user;
    Map m_machine;
    bool m_machineReadOnly = false;
};

}  // namespace corvane
