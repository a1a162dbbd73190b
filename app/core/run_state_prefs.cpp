#include "app/core/run_state.h"

namespace corvane {

// What the tick keeps of the preferences is read again. The three monitor switches are
// edited on the preference pages too ("Enable ... paging when monitoring"): a switch whose
// setting changed is applied as its toggle would, so that the menu, the status bar and
// the monitors follow the page. The reminder monitor is applied always: it also follows
// which calendars are chosen.
void CRunState::PreferencesChanged()
{
    ReadIntervals();
    m_messages = LoadMessages(m_files.Path("MESSAGES.DAT"));
    if (m_d.settings.GetInt(key::MonitorPhone) != m_callMonitor) ApplyCallMonitor();
    if (m_d.settings.IsOn(key::MailMonitor) != (m_mailMonitor != 0)) ApplyMailMonitor();
    ApplyPimMonitor();
    ShowSwitches();
    m_d.shell.ApplyTaskbarButton();
}

}  // namespace corvane
