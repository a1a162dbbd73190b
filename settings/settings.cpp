#include "settings/settings.h"

#include "common/decimal.h"

namespace corvane {

std::string ISettings::GetSetting(std::string_view section, std::string_view key, std::string_view def)
{
    if (auto value = Read(SettingScope::User, section, key)) return *value;
    return std::string(def);
}

void ISettings::WriteSetting(std::string_view section, std::string_view key, std::string_view value)
{
    Store(SettingScope::User, section, key, value);
}

std::string ISettings::GetMachineSetting(std::string_view section, std::string_view key,
                                         std::string_view def)
{
    if (auto value = Read(SettingScope::Machine, section, key)) return *value;
    auto user = Read(SettingScope::User, section, key);
    if (!user) return std::string(def);
    // Only a value that reached the machine scope may leave the user scope.
    if (WriteMachineSetting(section, key, *user)) Erase(SettingScope::User, section, key);
    return *user;
}

bool ISettings::WriteMachineSetting(std::string_view section, std::string_view key, std::string_view value)
{
    return Store(SettingScope::Machine, section, key, value);
}

std::string ISettings::Get(const SettingKey& key, std::string_view def)
{
    return key.scope == SettingScope::Machine ? GetMachineSetting(key.section, key.name, def)
                                              : GetSetting(key.section, key.name, def);
}

void ISettings::Write(const SettingKey& key, std::string_view value)
{
    if (key.scope == SettingScope::Machine)
        WriteMachineSetting(key.section, key.name, value);
    else
        WriteSetting(key.section, key.name, value);
}

int ISettings::GetInt(const SettingKey& key)
{
    return ToInt(Get(key));
}

}  // namespace corvane
