#pragma once
// What the run state asks of the frame: the main view, the monitoring title and check
// marks, and the few things only a window can do. The headless shell implements it
// without windows.

#include "app/core/monitoring_control.h"
#include "callmon/caller_id_view.h"
#include "common/main_view.h"

namespace corvane {

// The status-bar panes and check marks that follow the run state.
struct SwitchState {
    bool callMonitor = false;  // "CALL"
    bool pim = false;          // "PIM"
    bool mail = false;         // "MAIL"
    bool callerIdPopup = false;
    bool paused = false;       // Pause Page Queue's check mark
};

// The caller-ID pop-up's virtuals (ICallerIdView) do nothing unless a shell shows it.
class IFrameShell : public IMainView, public IMonitoringView, public ICallerIdView {
public:
    // The tick's close request: close the main window as the user's Close would.
    virtual void CloseProgram() = 0;
    // Cancel the page call in progress without the stop flag (monitoring ended): the
    // shell's event pump reports Cancel to the call's next wait.
    virtual void PostCancel() = 0;
    // The new-pager step of the command server: the dialog, modally; nothing headless.
    virtual void AddNewPager() = 0;
    virtual void ShowSwitches(const SwitchState& state) = 0;
    // The tray icon's animation while a page is sent: the alternate icon or the normal one.
    virtual void ShowAlternateIcon(bool alternate) = 0;
    // A second start of the program: bring the window (and its last pop-up) to the front,
    // restoring it when minimised.
    virtual void BringToFront() {}
    // "TaskbarButton" read again (the preferences closed): the window's button in the
    // task bar, or the icon in the tray when it is "0".
    virtual void ApplyTaskbarButton() {}
};

}  // namespace corvane
