#pragma once
// The settings store: string values addressed by (section, key), in a user scope and a
// machine scope (section "Modem" only). Values are read at the moment of use.

#include <optional>
#include <string>
#include <string_view>

#include "settings/setting_keys.h"

namespace corvane {

class ISettings {
public:
    virtual ~ISettings() = default;

    // The four operations every Part uses.
    std::string GetSetting(std::string_view section, std::string_view key, std::string_view def);
    void WriteSetting(std::string_view section, std::string_view key, std::string_view value);
    // The user's own value of the key, else the machine value, else the default. A user
    // value whose key the machine scope lacks moves there when the machine scope can be
    // written (older installations kept modem settings per user).
    std::string GetMachineSetting(std::string_view section, std::string_view key, std::string_view def);
    // Writes the machine scope and drops the user's own value of the key; when the machine
    // scope cannot be written, the value is kept for this user in the user scope instead.
    // Either way GetMachineSetting returns the value afterwards; false when it would not.
    bool WriteMachineSetting(std::string_view section, std::string_view key, std::string_view value);

    // The same through a named key: its scope decides the pair of functions used.
    std::string Get(const SettingKey& key) { return Get(key, key.def); }
    std::string Get(const SettingKey& key, std::string_view def);
    void Write(const SettingKey& key, std::string_view value);
    int GetInt(const SettingKey& key);
    bool IsOn(const SettingKey& key) { return Get(key) == "1"; }

protected:
    // What a physical store provides. Writes and removals report success.
    virtual std::optional<std::string> Read(SettingScope scope, std::string_view section,
                                            std::string_view key) = 0;
    virtual bool Store(SettingScope scope, std::string_view section, std::string_view key,
                       std::string_view value) = 0;
    virtual bool Erase(SettingScope scope, std::string_view section, std::string_view key) = 0;
};

}  // namespace corvane
