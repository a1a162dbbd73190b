#include "app/core/page_log_viewer.h"

#include "common/file_io.h"
#include "common/main_view.h"
#include "common/message_box.h"
#include "engine/page_request.h"

namespace corvane {

const char* const kPageLogHelpText =
    "The list shows one line for each page in the log: the date and time, and the pager (or, in the error "
    "log, the error code and the pager).  Select a line to see its message.\n\n"
    "Resubmit sends the selected pages again once this dialog box is closed.  Print prints the selected "
    "lines or the whole log.  Clear empties the log file.";

bool RefuseMissingLog(const std::string& path, IMessageBox& messageBox)
{
    if (FileExists(path)) return false;
    messageBox.Show(kLogMissingText, kLogMissingCaption, MbIcon::Warning, MbButtons::Ok);
    return true;
}

CPageLogViewer::CPageLogViewer(CPageQueue& queue, IMainView& view, IMessageBox& messageBox)
    : m_queue(queue), m_view(view), m_messageBox(messageBox)
{
}

bool CPageLogViewer::Clear()
{
    if (m_messageBox.Show(kClearLogText, kClearLogCaption, MbIcon::Question, MbButtons::YesNo) != MbAnswer::Yes)
        return false;
    if (m_reader.Clear()) return true;
    m_messageBox.Show("Unable to clear the log file " + m_reader.Path() + ".", kClearLogCaption, MbIcon::Warning,
                      MbButtons::Ok);
    return false;
}

void CPageLogViewer::Resubmit(const std::vector<std::size_t>& selected)
{
    for (std::size_t index : selected) {
        if (index >= m_reader.size()) continue;
        // It waits for the dialog's OK (or the next send, when the dialog is closed otherwise).
        m_queue.QueueRequest(kOriginResubmitted, ResubmitName(m_reader.Entries()[index].text), "", "",
                             m_reader.ReadMessage(index), kSendNone);
        m_resubmitted = true;
        m_view.SetQueueCount(static_cast<int>(m_queue.requests.size()));
        m_messageBox.Show(kResubmitText, kResubmitCaption, MbIcon::Information, MbButtons::Ok);
    }
}

void CPageLogViewer::Finish(bool ok)
{
    if (ok && m_resubmitted) m_queue.RequestSend(kSendInteractive);
}

void CPageLogViewer::ShowHelp()
{
    m_messageBox.Show(kPageLogHelpText, kPageLogHelpCaption, MbIcon::Information, MbButtons::Ok);
}

}  // namespace corvane
