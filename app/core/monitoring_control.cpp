#include "app/core/monitoring_control.h"

#include <algorithm>
#include <utility>

#include "inputhook/inputhook.h"

namespace corvane {

CMonitoringControl::CMonitoringControl(IHookLibrary& hooks, IEventPump& pump, const IClock& clock,
                                       IMonitoringView& view, ISeenMailLists& seenMail,
                                       std::string title)
    : m_hooks(hooks), m_pump(pump), m_clock(clock), m_view(view), m_seenMail(seenMail),
      m_title(std::move(title))
{
}

void CMonitoringControl::StartScreenSaverDetection(int hookFd)
{
    m_hooks.RegisterHookSendWindow(hookFd);
    m_hooks.StartCBT();
}

void CMonitoringControl::StopScreenSaverDetection()
{
    m_hooks.StopCBT();
    m_hooks.StopKeyOrMouse();
    // The descriptor is closed after this; its number may be reused by another file.
    m_hooks.RegisterHookSendWindow(-1);
}

void CMonitoringControl::OnHookMessage(std::uint32_t message)
{
    if (message == WM_HOOK_SCREENSAVER) OnScreenSaverStarted();
    else if (message == WM_HOOK_ACTIVITY) OnUserActivity();
}

void CMonitoringControl::OnScreenSaverStarted()
{
    m_monitoringActive = true;
    m_hooks.StartKeyOrMouse();
}

void CMonitoringControl::OnUserActivity()
{
    // Manual monitoring stays on whatever the user does; so does an idle program.
    if (!m_monitoringActive || m_manualMonitoring) return;
    m_hooks.StopKeyOrMouse();
    m_monitoringActive = false;
    m_seenMail.EmptySeenMailLists();
}

void CMonitoringControl::ToggleManualMonitoring()
{
    if (!m_manualMonitoring) {
        m_manualMonitoring = true;
        m_monitoringActive = true;
        m_seenMail.EmptySeenMailLists();
        m_view.ShowManualMonitoring(true);
        m_view.SetTitle(MonitoringTitle());
        return;
    }
    m_manualMonitoring = false;
    m_monitoringActive = false;
    // Hooks that a screen saver installed during manual monitoring have nothing left to
    // end: monitoring is over, and the next screen saver starts them afresh.
    m_hooks.StopKeyOrMouse();
    m_view.ShowManualMonitoring(false);
    m_view.SetTitle(m_title);
}

void CMonitoringControl::ActivateScreenSaver()
{
    m_hooks.ActivateScreenSaver();
    const std::uint64_t start = m_clock.TickMs();
    for (;;) {
        const std::uint64_t elapsed = m_clock.TickMs() - start;
        if (elapsed >= static_cast<std::uint64_t>(kActivateWaitMs)) return;
        const int wait = std::min<int>(kPumpIntervalMs, kActivateWaitMs - static_cast<int>(elapsed));
        // Exit or Close cut the wait short; there is nothing here for a Cancel to end.
        if (m_pump.Wait(wait, -1, true) == PumpResult::DeferredQuit) return;
    }
}

}  // namespace corvane
