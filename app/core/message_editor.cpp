#include "app/core/message_editor.h"

#include <algorithm>

#include "common/message_box.h"
#include "directory/message_file_write.h"
#include "directory/predefined_messages.h"

namespace corvane {
namespace {

bool Blank(const DashnoteMessage& m)
{
    return m.Name.empty() && m.AlphaText.empty() && m.NumericText.empty() && m.Recipients.empty();
}

}  // namespace

CMessageEditor::CMessageEditor(Kind kind, const DataFiles& files) : m_kind(kind), m_files(files)
{
    if (m_kind == Kind::Dashnote) {
        m_list.Load(m_files.Path(kDashnoteFile), &m_files.messageBox);
    } else {
        CPredefinedMessageList predefined;
        predefined.Load(m_files.Path(kPredefinedMessagesFile), &m_files.messageBox);
        for (const PredefinedMessage& m : predefined.messages())
            m_list.messages().push_back(DashnoteMessage{0, m.Name, m.AlphaText, m.NumericText, {}});
    }
    if (Count() == 0) New();
}

const char* CMessageEditor::Title() const
{
    return m_kind == Kind::Dashnote ? kDashnoteEditorTitle : kPredefinedEditorTitle;
}

std::string CMessageEditor::ShownName(std::size_t index) const
{
    const std::string& name = m_list.messages().at(index).Name;
    return name.empty() ? kNewEntryName : name;
}

void CMessageEditor::Select(std::size_t index)
{
    if (index < Count()) m_current = index;
}

bool CMessageEditor::New()
{
    if (m_kind == Kind::Predefined) {
        m_list.messages().emplace_back();
    } else if (!m_list.NewEntry()) {
        m_files.messageBox.Show(kDashnoteLimitText, kDashnoteLimitCaption, MbIcon::Warning, MbButtons::Ok);
        return false;
    }
    m_current = Count() - 1;
    return true;
}

bool CMessageEditor::Delete()
{
    if (m_files.messageBox.Show(kDeleteMessageText, kDeleteMessageCaption, MbIcon::Question, MbButtons::YesNo) !=
        MbAnswer::Yes)
        return false;
    if (m_kind == Kind::Dashnote)
        m_list.Remove(CurrentEntry().CommandId);
    else
        m_list.messages().erase(m_list.messages().begin() + static_cast<std::ptrdiff_t>(m_current));
    m_current = 0;
    if (Count() == 0) New();
    return true;
}

bool CMessageEditor::ConfirmCancel()
{
    const char* text = m_kind == Kind::Dashnote ? kCancelDashnoteText : kCancelPredefinedText;
    return m_files.messageBox.Show(text, kCancelChangesCaption, MbIcon::Question, MbButtons::YesNo) == MbAnswer::Yes;
}

bool CMessageEditor::Save()
{
    // An entry the user never filled (the one made at opening, say) would be a nameless
    // command of the Dashnote menu, or a nameless choice of the message dialogs.
    std::vector<DashnoteMessage> kept;
    std::copy_if(m_list.messages().begin(), m_list.messages().end(), std::back_inserter(kept),
                 [](const DashnoteMessage& m) { return !Blank(m); });
    if (m_kind == Kind::Dashnote) {
        CDashnoteList file;
        file.messages() = kept;
        return WriteMessageFile(m_files.messageBox, kDashnoteFileKind, m_files.Path(kDashnoteFile), file.Serialize());
    }
    CPredefinedMessageList file;
    for (const DashnoteMessage& m : kept) file.NewEntry() = PredefinedMessage{m.Name, m.AlphaText, m.NumericText};
    return WriteMessageFile(m_files.messageBox, kPredefinedMessageFileKind, m_files.Path(kPredefinedMessagesFile),
                            file.Serialize());
}

}  // namespace corvane
