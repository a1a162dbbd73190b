#pragma once
// Monitoring on and off: the screen saver starts it, the user's return ends it, and
// Monitor Without Screen Saver keeps it on by hand. The tick reads MonitoringActive()
// and starts or stops the monitors when it changes.

#include <cstdint>
#include <string>

#include "app/core/hook_library.h"
#include "common/clock.h"
#include "common/event_pump.h"

namespace corvane {

// What monitoring changes in the window (the headless shell has none to change).
class IMonitoringView {
public:
    virtual ~IMonitoringView() = default;
    virtual void SetTitle(const std::string& title) = 0;
    // Manual monitoring on or off: the check mark of the system-menu item, the pressed
    // toolbar button and the "MONITORING" status pane.
    virtual void ShowManualMonitoring(bool on) = 0;
};

// The e-mail monitor's memory of mail it has already seen (both mail systems).
class ISeenMailLists {
public:
    virtual ~ISeenMailLists() = default;
    virtual void EmptySeenMailLists() = 0;
};

class CMonitoringControl {
public:
    // title: the program's title (after -K); the monitoring title adds " - Monitoring".
    CMonitoringControl(IHookLibrary& hooks, IEventPump& pump, const IClock& clock,
                       IMonitoringView& view, ISeenMailLists& seenMail, std::string title);

    // Start-up: reports go to hookFd, and the screen saver is watched for the whole run.
    void StartScreenSaverDetection(int hookFd);
    // Exit: no more reports, and none to the descriptor, which the shell closes next.
    void StopScreenSaverDetection();

    // A report read from the hook descriptor.
    void OnHookMessage(std::uint32_t message);
    void OnScreenSaverStarted();
    void OnUserActivity();

    // Monitor Without Screen Saver (command 32782, and -M at start).
    void ToggleManualMonitoring();
    // Activate Screen Saver (command 32779): starts it, then keeps the events running
    // for two seconds, so that its start is reported before the command returns.
    void ActivateScreenSaver();

    bool MonitoringActive() const { return m_monitoringActive; }
    bool ManualMonitoring() const { return m_manualMonitoring; }
    const std::string& Title() const { return m_title; }
    std::string MonitoringTitle() const { return m_title + " - Monitoring"; }

    static constexpr int kActivateWaitMs = 2000;

private:
    IHookLibrary& m_hooks;
    IEventPump& m_pump;
    const IClock& m_clock;
    IMonitoringView& m_view;
    ISeenMailLists& m_seenMail;
    std::string m_title;
    bool m_monitoringActive = false;
    bool m_manualMonitoring = false;
};

}  // namespace corvane
