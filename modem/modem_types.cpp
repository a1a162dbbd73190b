#include "modem/modem_types.h"

#include "common/file_io.h"

namespace corvane {

void CModemTypes::Parse(std::string_view text)
{
    m_types.clear();
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.size() > kModemTypeLineMax) line = line.substr(0, kModemTypeLineMax);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);

        std::size_t comma = line.find(',');
        ModemType type;
        type.name = std::string(line.substr(0, comma));
        if (comma != std::string_view::npos) type.initString = std::string(line.substr(comma + 1));
        if (!type.name.empty()) m_types.push_back(std::move(type));
    }
}

bool CModemTypes::Load(const std::string& dataDir)
{
    std::string bytes;
    if (ReadLockedFile(dataDir + kModemTypesFile, bytes) != FileError::None) {
        m_types.clear();
        return false;
    }
    Parse(bytes);
    return true;
}

const ModemType* CModemTypes::Find(std::string_view name) const
{
    for (const auto& type : m_types)
        if (type.name == name) return &type;
    return nullptr;
}

}  // namespace corvane
