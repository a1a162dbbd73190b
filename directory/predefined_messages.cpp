#include "directory/predefined_messages.h"

#include "common/file_io.h"
#include "directory/data_file.h"

namespace corvane {

namespace {
constexpr std::int16_t kRecordMark = 1;
}

void CPredefinedMessageList::Load(const std::string& path, IMessageBox* messageBox)
{
    m_messages.clear();
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) return;
    if (!Parse(bytes) && messageBox)
        ReportDamagedFile(*messageBox, kDamagedPredefinedFile, path, bytes, m_messages.size() + 1);
}

bool CPredefinedMessageList::Parse(std::string_view bytes)
{
    m_messages.clear();
    CDataReader in(bytes, kMaxMessageStringLength);
    std::int16_t mark = 0;
    while (in.Word(mark)) {
        // A word other than the mark carries no message: the next word is read as the
        // next mark, and nothing nameless is offered in the drop-down.
        if (mark != kRecordMark) continue;
        PredefinedMessage message;
        // A damaged or truncated record ends the file: what follows cannot be framed.
        if (!in.String(message.Name) || !in.String(message.AlphaText) || !in.String(message.NumericText))
            return false;
        m_messages.push_back(std::move(message));
    }
    return true;
}

std::string CPredefinedMessageList::Serialize() const
{
    CDataWriter out(kMaxMessageStringLength);
    for (const PredefinedMessage& message : m_messages) {
        out.Word(kRecordMark);
        out.String(message.Name);
        out.String(message.AlphaText);
        out.String(message.NumericText);
    }
    return out.bytes();
}

bool CPredefinedMessageList::Save(const std::string& path) const
{
    return WriteFileAtomically(path, Serialize()) == FileError::None;
}

PredefinedMessage& CPredefinedMessageList::NewEntry()
{
    m_messages.emplace_back();
    return m_messages.back();
}

void CPredefinedMessageList::Remove(std::size_t index)
{
    if (index < m_messages.size()) m_messages.erase(m_messages.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace corvane
