#include "engine/journal_record.h"

#include <array>

#include "engine/page_request.h"

namespace corvane {
namespace {

constexpr std::string_view kMark = kJournalMark;
constexpr std::size_t kHeaderBytes = 9;  // mark, kind, body length
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

std::string Record(JournalKind kind, const std::string& body)
{
    std::string bytes(kMark);
    PutLe(bytes, static_cast<std::uint64_t>(kind), 1);
    PutLe(bytes, body.size(), 4);
    bytes += body;
    PutLe(bytes, Crc32(bytes), 4);
    return bytes;
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

bool ReadBody(JournalKind kind, std::string_view body, SpooledRequest& request)
{
    CLeReader in(body);
    std::uint64_t id = 0, queuedAt = 0, origin = 0, mode = 0;
    if (!in.Number(id, 8) || id == 0) return false;
    request = SpooledRequest{};
    request.id = id;
    switch (kind) {
    case JournalKind::Released:
        return in.AtEnd();
    case JournalKind::SendMode:
        if (!in.Number(mode, 1) || mode < kSendInteractive || mode > kSendScheduled) return false;
        request.sendMode = static_cast<int>(mode);
        return in.AtEnd();
    case JournalKind::Request:
        break;
    }
    if (!in.Number(queuedAt, 8) || !in.Number(origin, 1) || !in.Number(mode, 1)) return false;
    if (origin < kOriginProgram || origin > kOriginResubmitted || mode > kSendScheduled) return false;
    request.queuedAt = static_cast<std::time_t>(static_cast<std::int64_t>(queuedAt));
    request.origin = static_cast<int>(origin);
    request.sendMode = static_cast<int>(mode);
    return in.Text(request.name) && in.Text(request.phoneOverride) && in.Text(request.idOverride) &&
           in.Text(request.message) && in.AtEnd();
}

}  // namespace

std::uint32_t Crc32(std::string_view bytes)
{
    std::uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : bytes) c = kCrcTable[(c ^ b) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::string EncodeRequestRecord(const SpooledRequest& request)
{
    std::string body;
    PutLe(body, request.id, 8);
    PutLe(body, static_cast<std::uint64_t>(static_cast<std::int64_t>(request.queuedAt)), 8);
    PutLe(body, static_cast<std::uint64_t>(request.origin), 1);
    PutLe(body, static_cast<std::uint64_t>(request.sendMode), 1);
    for (const std::string* text : {&request.name, &request.phoneOverride, &request.idOverride, &request.message}) {
        PutLe(body, text->size(), 4);
        body += *text;
    }
    return Record(JournalKind::Request, body);
}

std::string EncodeSendModeRecord(std::uint64_t id, int sendMode)
{
    std::string body;
    PutLe(body, id, 8);
    PutLe(body, static_cast<std::uint64_t>(sendMode), 1);
    return Record(JournalKind::SendMode, body);
}

std::string EncodeReleasedRecord(std::uint64_t id)
{
    std::string body;
    PutLe(body, id, 8);
    return Record(JournalKind::Released, body);
}

RecordRead ReadJournalRecord(std::string_view bytes, JournalRecord& record, std::size_t& size)
{
    // A cut-off append leaves a beginning of a record: the mark (or a part of it), then
    // fewer bytes than its length says.
    const std::size_t markBytes = std::min(bytes.size(), kMark.size());
    if (bytes.substr(0, markBytes) != kMark.substr(0, markBytes)) return RecordRead::Damaged;
    if (bytes.size() < kHeaderBytes) return RecordRead::Incomplete;
    std::uint64_t kind = 0, bodySize = 0, crc = 0;
    CLeReader header(bytes.substr(kMark.size(), kHeaderBytes - kMark.size()));
    header.Number(kind, 1);
    header.Number(bodySize, 4);
    if (kind < 1 || kind > 3 || bodySize > kMaxJournalBodyBytes) return RecordRead::Damaged;
    size = kHeaderBytes + bodySize + kCrcBytes;
    if (bytes.size() < size) return RecordRead::Incomplete;
    CLeReader(bytes.substr(kHeaderBytes + bodySize, kCrcBytes)).Number(crc, 4);
    if (crc != Crc32(bytes.substr(0, kHeaderBytes + bodySize))) return RecordRead::Damaged;
    record.kind = static_cast<JournalKind>(kind);
    return ReadBody(record.kind, bytes.substr(kHeaderBytes, bodySize), record.request) ? RecordRead::Whole
                                                                                        : RecordRead::Damaged;
}

}  // namespace corvane
