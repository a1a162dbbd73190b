#pragma once
// MODEMS.DAT: the modem types the configuration pages offer, each with the
// initialisation string that suits it. One type per line: the name, a comma, and the
// string (everything after the first comma).

#include <string>
#include <string_view>
#include <vector>

namespace corvane {

inline constexpr const char* kModemTypesFile = "MODEMS.DAT";
// The type that offers plain port names for a line without a modem.
inline constexpr const char* kDirectConnectType = "Direct Connect";
inline constexpr std::size_t kModemTypeLineMax = 200;

struct ModemType {
    std::string name;
    std::string initString;

    bool operator==(const ModemType&) const = default;
};

class CModemTypes {
public:
    // Lines longer than 200 characters are cut there; blank lines and lines without a
    // name are skipped; a line without a comma is a type with an empty string.
    void Parse(std::string_view text);
    // Reads dataDir + MODEMS.DAT; false (and no types) when it cannot be read.
    bool Load(const std::string& dataDir);

    const std::vector<ModemType>& types() const { return m_types; }
    const ModemType* Find(std::string_view name) const;

private:
    std::vector<ModemType> m_types;
};

}  // namespace corvane
