// The run state's Dashnote messages and fixed texts (see run_state.h).

#include "app/core/dashnote_send.h"
#include "app/core/run_state.h"

namespace corvane {

void CRunState::ReloadDashnotes()
{
    m_dashnotes.Load(m_files.Path(kDashnoteFile), &m_d.messageBox);
}

void CRunState::ReloadMessages()
{
    m_messages = LoadMessages(m_files.Path(kMessagesFile));
}

void CRunState::SendDashnote(int commandId, const FormView& view)
{
    // The menu is disabled while a page is sent; a command that arrives all the same is
    // queued and goes out with the next run.
    const DashnoteMessage* message = m_dashnotes.FindById(commandId);
    if (!message) return;
    if (QueueDashnote(*message, view, m_pagers, m_queue) == 0) {
        m_d.messageBox.Show(message->Recipients.empty() ? kDashnoteNoSelectionText : kDashnoteNoPagersLeftText,
                            kDashnoteCaption, MbIcon::Warning, MbButtons::Ok);
        return;
    }
    m_d.shell.SetQueueCount(static_cast<int>(m_queue.requests.size()));
}

}  // namespace corvane
