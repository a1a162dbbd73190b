#pragma once
// What the Page Log dialog does with the log it shows: clearing the file, and sending
// chosen entries again as new requests of the page queue.

#include <cstddef>
#include <string>
#include <vector>

#include "app/core/log_reader.h"

namespace corvane {

class IMainView;
class IMessageBox;
struct CPageQueue;

inline constexpr const char* kViewLogFileTitle = "View Log File";
inline constexpr const char* kLogMissingText = "The selected log file does not exist.";
inline constexpr const char* kLogMissingCaption = "View Page Log File Error";
inline constexpr const char* kClearLogText = "Are you sure you want to clear the log file?";
inline constexpr const char* kClearLogCaption = "Clear Page Log";
inline constexpr const char* kResubmitText =
    "The page(s) have been resubmitted and will be sent once this dialog box is closed.";
inline constexpr const char* kResubmitCaption = "Resubmit Page";
inline constexpr const char* kPageLogHelpCaption = "Page Log Help";
extern const char* const kPageLogHelpText;

// True (and the warning shown) when the chosen log file is not there.
bool RefuseMissingLog(const std::string& path, IMessageBox& messageBox);

class CPageLogViewer {
public:
    CPageLogViewer(CPageQueue& queue, IMainView& view, IMessageBox& messageBox);

    // A file that cannot be read gives an empty list.
    void Open(const std::string& path) { m_reader.Open(path); }
    const CLogReader& Reader() const { return m_reader; }

    // Asks first; true when the file is now empty.
    bool Clear();
    // The entries at these list positions, in list order, as resubmitted requests.
    void Resubmit(const std::vector<std::size_t>& selected);
    // The dialog closes. With OK the resubmitted pages go out at the next tick;
    // otherwise they wait in the queue for the next send run.
    void Finish(bool ok);
    bool Resubmitted() const { return m_resubmitted; }
    void ShowHelp();

private:
    CPageQueue& m_queue;
    IMainView& m_view;
    IMessageBox& m_messageBox;
    CLogReader m_reader;
    bool m_resubmitted = false;
};

}  // namespace corvane
