#pragma once
// What the core asks of the main window (or of the headless shell, which has none).

#include <string>

#include "common/status_line.h"

namespace corvane {

class IMainView : public IStatusLine {
public:
    // The form's status field: "Idle", or the send run's "Paging 1 of 3: Bob".
    virtual void SetStatusField(const std::string& text) = 0;
    // The status bar's queue pane: the number of pending page requests.
    virtual void SetQueueCount(int count) = 0;
    // While a page is in progress the send and page-list commands are disabled and
    // Cancel is enabled; afterwards the other way round.
    virtual void SetPageInProgress(bool inProgress) = 0;
    virtual void Minimize() = 0;
    virtual void Restore() = 0;
    virtual bool IsMinimized() const = 0;
    // The application-exit command (Auto-Exit after a run): handled like the user's Exit.
    virtual void PostExit() = 0;
    // The pager list changed on disk or in memory: redraw it.
    virtual void RefreshPagerList() = 0;
};

}  // namespace corvane
