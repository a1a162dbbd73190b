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
    // A value of the user's own wins over the machine's, as a user's configuration does over
    // the system's: it is where a user who may not write the machine scope keeps a choice.
    if (auto user = Read(SettingScope::User, section, key)) {
        // Older installations kept modem settings per user only. Such a value moves to the
        // machine scope when that scope lacks the key and can be written; only a value that
        // reached the machine scope may leave the user scope.
        if (!Read(SettingScope::Machine, section, key) && Store(SettingScope::Machine, section, key, *user))
            Erase(SettingScope::User, section, key);
        return *user;
    }
    if (auto machine = Read(SettingScope::Machine, section, key)) return *machine;
    return std::string(def);
}

bool ISettings::WriteMachineSetting(std::string_view section, std::string_view key, std::string_view value)
{
    const bool userHasOwn = Read(SettingScope::User, section, key).has_value();
    if (Store(SettingScope::Machine, section, key, value)) {
        // A value of the user's own would hide the new one from this user.
        return !userHasOwn || Erase(SettingScope::User, section, key);
    }
    // The machine scope belongs to the administrator. What the machine scope holds already
    // needs no copy of the user's (so that a later change by the administrator still
    // reaches this user); anything else is kept for this user in the user scope.
    if (Read(SettingScope::Machine, section, key) == value)
        return !userHasOwn || Erase(SettingScope::User, section, key);
    return Store(SettingScope::User, section, key, value);
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
