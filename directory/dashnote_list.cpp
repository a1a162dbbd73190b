#include "directory/dashnote_list.h"

#include <algorithm>

#include "directory/data_file.h"

namespace corvane {
namespace {

constexpr std::int16_t kRecordMark = 1;
constexpr int kSlotBase = kFirstDashnoteId - 1;

bool ValidId(int id)
{
    return id >= kFirstDashnoteId && id <= kLastDashnoteId;
}

int NextAfter(int id)
{
    return id >= kLastDashnoteId ? kFirstDashnoteId : id + 1;
}

// The fields after the mark; false when the record is damaged or cut short.
bool ReadRecord(CDataReader& in, DashnoteMessage& message)
{
    std::int32_t slot = 0;
    if (!in.Dword(slot) || !in.String(message.Name) || !in.String(message.AlphaText) ||
        !in.String(message.NumericText))
        return false;
    // A slot far outside 1..20 must not overflow into a valid identifier.
    message.CommandId = slot >= 1 && slot <= kMaxDashnotes ? slot + kSlotBase : 0;
    for (;;) {
        std::int32_t code = 0;
        if (!in.Dword(code)) return false;
        if (code == 0) return true;
        message.Recipients.push_back(code);
    }
}

}  // namespace

void CDashnoteList::Load(const std::string& path, IMessageBox* messageBox)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) bytes.clear();
    DashnoteReadResult read = Parse(bytes);
    if (read.damaged && messageBox) ReportDamagedFile(*messageBox, kDamagedDashnoteFile, path, bytes, read.records + 1);
}

DashnoteReadResult CDashnoteList::Parse(std::string_view bytes)
{
    m_messages.clear();
    m_nextId = kFirstDashnoteId;
    DashnoteReadResult result;
    std::vector<DashnoteMessage> unplaced;
    CDataReader in(bytes, kMaxMessageStringLength);
    std::int16_t mark = 0;
    while (in.Word(mark)) {
        if (mark != kRecordMark) continue;
        DashnoteMessage message;
        if (!ReadRecord(in, message)) {
            result.damaged = true;
            break;
        }
        // Two records with one identifier would be one menu command for two messages.
        if (ValidId(message.CommandId) && !FindById(message.CommandId))
            m_messages.push_back(std::move(message));
        else
            unplaced.push_back(std::move(message));
    }
    for (DashnoteMessage& message : unplaced) {
        message.CommandId = FreeId(kFirstDashnoteId);
        if (message.CommandId != 0) m_messages.push_back(std::move(message));
    }
    result.records = m_messages.size();
    return result;
}

std::string CDashnoteList::Serialize() const
{
    CDataWriter out(kMaxMessageStringLength);
    for (const DashnoteMessage& message : m_messages) {
        out.Word(kRecordMark);
        out.Dword(message.CommandId - kSlotBase);
        out.String(message.Name);
        out.String(message.AlphaText);
        out.String(message.NumericText);
        // A code of 0 would end the list early and shift every field after it.
        for (std::int32_t code : message.Recipients)
            if (code != 0) out.Dword(code);
        out.Dword(0);
    }
    return out.bytes();
}

FileError CDashnoteList::Save(const std::string& path) const
{
    return WriteFileAtomically(path, Serialize());
}

int CDashnoteList::FreeId(int from) const
{
    int id = ValidId(from) ? from : kFirstDashnoteId;
    for (int tried = 0; tried < kMaxDashnotes; ++tried, id = NextAfter(id))
        if (!FindById(id)) return id;
    return 0;
}

DashnoteMessage* CDashnoteList::NewEntry()
{
    int id = FreeId(m_nextId);
    if (id == 0) return nullptr;
    m_nextId = NextAfter(id);
    m_messages.push_back(DashnoteMessage{id, {}, {}, {}, {}});
    return &m_messages.back();
}

void CDashnoteList::Remove(int commandId)
{
    auto it = std::find_if(m_messages.begin(), m_messages.end(),
                           [commandId](const DashnoteMessage& m) { return m.CommandId == commandId; });
    if (it == m_messages.end()) return;
    m_messages.erase(it);
    if (commandId < m_nextId) m_nextId = commandId;
}

DashnoteMessage* CDashnoteList::FindById(int commandId)
{
    for (DashnoteMessage& message : m_messages)
        if (message.CommandId == commandId) return &message;
    return nullptr;
}

const DashnoteMessage* CDashnoteList::FindById(int commandId) const
{
    return const_cast<CDashnoteList*>(this)->FindById(commandId);
}

std::vector<DashnoteMenuEntry> CDashnoteList::MenuEntries() const
{
    std::vector<DashnoteMenuEntry> entries;
    for (auto it = m_messages.rbegin(); it != m_messages.rend(); ++it)
        entries.push_back({it->CommandId, DashnoteMenuName(it->Name)});
    return entries;
}

std::string DashnoteMenuName(const std::string& name)
{
    // A character starts at every byte that is not a UTF-8 continuation byte.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) continue;
        if (++characters > kDashnoteMenuNameLength) return name.substr(0, i);
    }
    return name;
}

}  // namespace corvane
