#include "directory/data_file.h"

#include <algorithm>
#include <cstring>

namespace corvane {

bool CDataReader::Word(std::int16_t& value)
{
    if (Remaining() < 2) return false;
    auto lo = static_cast<unsigned char>(m_bytes[m_pos]);
    auto hi = static_cast<unsigned char>(m_bytes[m_pos + 1]);
    value = static_cast<std::int16_t>(lo | (hi << 8));
    m_pos += 2;
    return true;
}

bool CDataReader::Word(std::uint16_t& value)
{
    std::int16_t word = 0;
    if (!Word(word)) return false;
    value = static_cast<std::uint16_t>(word);
    return true;
}

bool CDataReader::Dword(std::int32_t& value)
{
    if (Remaining() < 4) return false;
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(m_bytes[m_pos + i]);
    value = static_cast<std::int32_t>(v);
    m_pos += 4;
    return true;
}

bool CDataReader::String(std::string& text)
{
    std::int16_t length = 0;
    return Word(length) && StringBody(length, text);
}

bool CDataReader::StringBody(std::int16_t length, std::string& text)
{
    if (length < 1 || length > m_maxLength) return false;
    if (Remaining() < static_cast<std::size_t>(length)) return false;
    std::string_view raw = m_bytes.substr(m_pos, static_cast<std::size_t>(length));
    m_pos += static_cast<std::size_t>(length);
    text.assign(raw.substr(0, raw.find('\0')));
    return true;
}

void CDataWriter::Word(std::int16_t value)
{
    auto v = static_cast<std::uint16_t>(value);
    m_bytes.push_back(static_cast<char>(v & 0xFF));
    m_bytes.push_back(static_cast<char>(v >> 8));
}

void CDataWriter::Dword(std::int32_t value)
{
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) m_bytes.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void CDataWriter::String(std::string_view text)
{
    text = text.substr(0, std::min<std::size_t>(text.size(), static_cast<std::size_t>(m_maxLength - 1)));
    Word(static_cast<std::int16_t>(text.size() + 1));
    m_bytes.append(text);
    m_bytes.push_back('\0');
}

}  // namespace corvane
