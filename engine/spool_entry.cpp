#include "engine/spool_entry.h"

#include <array>

#include "engine/page_request.h"

namespace corvane {
namespace {

constexpr std::string_view kMagic = "CVRQ";
constexpr std::size_t kHeaderBytes = 10;  // magic, layout, body length
constexpr std::size_t kCrcBytes = 4;

constexpr std::array<std::uint32_t, 256> MakeCrcTable()
{
    std::array<std::uint32_t, 256> table {};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

void PutLe(std::string& out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutText(std::string& out, const std::string& text)
{
    PutLe(out, text.size(), 4);
    out += text;
}

class CLeReader {
public:
    explicit CLeReader(std::string_view bytes) : m_bytes(bytes) {}
    bool Number(std::uint64_t& value, int bytes)
    {
        if (m_bytes.size() - m_pos < static_cast<std::size_t>(bytes)) return false;
        value = 0;
        for (int i = 0; i < bytes; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(m_bytes[m_pos + i])) << (8 * i);
        m_pos += static_cast<std::size_t>(bytes);
        return true;
    }
    bool Text(std::string& text)
    {
        std::uint64_t size = 0;
        if (!Number(size, 4) || size > m_bytes.size() - m_pos) return false;
        text.assign(m_bytes.substr(m_pos, size));
        m_pos += size;
        return true;
    }
    bool AtEnd() const { return m_pos == m_bytes.size(); }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

}  // namespace

std::uint32_t Crc32(std::string_view bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = kCrcTable[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string EncodeSpoolEntry(const SpooledRequest& entry)
{
    std::string body;
    PutLe(body, entry.id, 8);
    PutLe(body, static_cast<std::uint64_t>(static_cast<std::int64_t>(entry.queuedAt)), 8);
    PutLe(body, static_cast<std::uint64_t>(entry.origin), 1);
    PutLe(body, static_cast<std::uint64_t>(entry.sendMode), 1);
    for (const std::string* text : {&entry.name, &entry.phoneOverride, &entry.idOverride, &entry.message})
        PutText(body, *text);

    std::string bytes(kMagic);
    PutLe(bytes, kSpoolEntryLayout, 2);
    PutLe(bytes, body.size(), 4);
    bytes += body;
    PutLe(bytes, Crc32(bytes), 4);
    return bytes;
}

bool DecodeSpoolEntry(std::string_view bytes, SpooledRequest& entry)
{
    if (bytes.size() < kHeaderBytes + kCrcBytes || bytes.substr(0, kMagic.size()) != kMagic) return false;
    CLeReader header(bytes.substr(kMagic.size(), kHeaderBytes - kMagic.size()));
    std::uint64_t layout = 0, bodySize = 0, crc = 0;
    if (!header.Number(layout, 2) || !header.Number(bodySize, 4)) return false;
    if (layout != kSpoolEntryLayout || bodySize > kMaxSpoolBodyBytes) return false;
    if (bytes.size() != kHeaderBytes + bodySize + kCrcBytes) return false;
    CLeReader(bytes.substr(kHeaderBytes + bodySize)).Number(crc, 4);
    if (crc != Crc32(bytes.substr(0, kHeaderBytes + bodySize))) return false;

    CLeReader body(bytes.substr(kHeaderBytes, bodySize));
    std::uint64_t id = 0, queuedAt = 0, origin = 0, mode = 0;
    if (!body.Number(id, 8) || !body.Number(queuedAt, 8) || !body.Number(origin, 1) || !body.Number(mode, 1))
        return false;
    if (id == 0 || origin < kOriginProgram || origin > kOriginResubmitted || mode > kSendScheduled) return false;
    entry = SpooledRequest{};
    entry.id = id;
    entry.queuedAt = static_cast<std::time_t>(static_cast<std::int64_t>(queuedAt));
    entry.origin = static_cast<int>(origin);
    entry.sendMode = static_cast<int>(mode);
    return body.Text(entry.name) && body.Text(entry.phoneOverride) && body.Text(entry.idOverride) &&
           body.Text(entry.message) && body.AtEnd();
}

}  // namespace corvane
