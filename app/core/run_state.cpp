#include "app/core/run_state.h"

#include <fcntl.h>
#include <unistd.h>

#include "app/core/command_files.h"
#include "app/core/command_line.h"
#include "app/core/page_command.h"
#include "app/core/spool_start.h"
#include "common/decimal.h"
#include "common/file_io.h"
#include "engine/send_run.h"
#include "mail/mail_monitor.h"
#include "mail/mail_system.h"

namespace corvane {
namespace {

constexpr const char* kCallRefusal =
    "Call Monitoring cannot be enabled.  You have not selected a pager to receive Call Monitor pages.  Please "
    "select a pager using the Call Monitoring tab on the Preferences dialog box.";
constexpr const char* kPimRefusal =
    "PIM Reminders cannot be enabled.  You have not selected a pager to receive PIM Reminder pages.  Please "
    "select a pager using the PIM Monitoring tab on the Preferences dialog box.";
constexpr const char* kMailRefusal =
    "EMail Monitoring cannot be enabled.  You have not selected a pager to receive EMail Monitor pages.  Please "
    "select a pager using the EMail Monitoring tab on the Preferences dialog box.";
constexpr const char* kCallerIdQuestion =
    "Activating the Caller ID pop-up box will prevent other applications from utilizing the Call Monitor modem "
    "while Corvane is running.  Are you sure you want to do this?";

void CreateIfMissing(const std::string& path)
{
    if (FileExists(path)) return;
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::close(fd);
}

}  // namespace

CRunState::CRunState(RunStateDeps deps)
    : m_d(std::move(deps)),
      m_files{m_d.dataDir, m_d.settings, m_d.messageBox, &m_d.pump},
      m_topics(m_queue, static_cast<ICommandShell&>(*this)),
      m_monitoring(std::make_unique<CMonitoringControl>(m_d.hooks, m_d.pump, m_d.clock, m_d.shell,
                                                        static_cast<ISeenMailLists&>(*this), m_d.title)),
      m_pim(std::make_unique<CPimMonitor>(PimMonitorDeps{m_d.settings, m_d.messageBox, m_d.shell, m_d.pump, m_d.clock,
                                                         m_d.ports, m_d.transports, m_files})),
      m_callPages(std::make_unique<CCallMonitor>(CallMonitorDeps{
          m_d.settings, m_d.messageBox, m_d.shell, m_d.shell, m_d.pump, m_d.clock, m_d.ports, m_d.transports,
          m_d.reactor, m_queue, m_pagers, m_files})),
      m_mailPages(std::make_unique<CMailMonitor>(
          MailMonitorDeps{m_d.settings, m_d.messageBox, m_d.clock, m_d.mail, m_filters, m_pagers,
                          [this](MailPageSet& pages) { DeliverMail(pages); }}))
{
}

CRunState::~CRunState() = default;

void CRunState::Create(bool quiet, int commandScanSeconds, const std::string& commandFileSpec)
{
    m_queue.showMessages = !quiet;
    m_commandScanSeconds = commandScanSeconds;
    m_commandFileSpec = commandFileSpec;
    m_callerIdPopup = m_d.settings.GetInt(key::CIDPopup);

    CreateIfMissing(m_d.settings.Get(key::LogFileName));
    CreateIfMissing(m_d.dataDir + "errorlog.txt");
    ReadIntervals();

    // The texts, the mail filters, the pagers and the scheduled pages are loaded in their
    // order, the Dashnote messages last.
    m_messages = LoadMessages(m_files.Path(kMessagesFile));
    m_filters.Load(m_files);
    m_pagers.Reload(m_files);
    m_lastRescan = m_lastCommandScan = m_d.clock.Now();
    m_schedules.Load(m_files.Path(kSchedulesFile), m_d.clock.Now());
    m_spool = std::make_unique<CPageSpool>(SpoolFolder(m_d.dataDir, m_d.title), m_d.clock);
    StartSpool(*m_spool, m_queue, m_d.messageBox);

    ApplyCallMonitor();
    ApplyMailMonitor();
    ApplyPimMonitor();
    LogonForGateway();
    ShowSwitches();
    ReloadDashnotes();
}

// Pages that go through a gateway need the mail system from the start. A refused logon
// is not shown here (the first page says it); a secure connection that failed is, since
// nothing else would tell why.
void CRunState::LogonForGateway()
{
    if (!m_d.mail || !IsGatewayPort(m_d.settings.Get(key::PagePort))) return;
    int status = m_d.mail->Logon();
    std::string text = MailLogonErrorText(status, m_d.mail->LastError());
    if (!text.empty()) m_d.messageBox.Show(text, kMailErrorCaption, MbIcon::Warning, MbButtons::Ok);
}

void CRunState::ReadIntervals()
{
    m_intervals.numberRings = m_d.settings.GetInt(key::NumberRings);
    m_intervals.callPageDelaySeconds = m_d.settings.GetInt(key::DelaySeconds);
    m_intervals.pimScanSeconds = 60L * m_d.settings.GetInt(key::ScanMinutes);
    m_intervals.mailScanSeconds = 60L * m_d.settings.GetInt(key::MailScanMinutes);
    m_intervals.pagerRescanSeconds = 60L * m_d.settings.GetInt(key::PageListScanMinutes);
}

void CRunState::QueueCommandLinePages(const std::vector<std::string>& commands)
{
    for (const std::string& command : commands) ParsePageCommand(command, m_queue);
    if (!commands.empty()) m_queue.sendRequest = kSendCommand;
    ShowQueueCount(static_cast<int>(m_queue.requests.size()));
}

void CRunState::QueueCommandFile(const std::string& path)
{
    bool opened = false;
    for (const std::string& piece : ReadCommandFilePieces(path, opened)) ParsePageCommand(piece, m_queue);
    if (opened) m_queue.sendRequest = kSendCommand;
    ShowQueueCount(static_cast<int>(m_queue.requests.size()));
}

SwitchState CRunState::Switches() const
{
    return {m_callMonitor != 0, m_pimMonitor != 0, m_mailMonitor != 0, m_callerIdPopup != 0, m_queue.paused};
}

// ---- the tick ----
//
// The tick also runs inside every box and dialog that a tick (or a command) has opened:
// nobody may be there to answer it. So each step changes its state before anything that
// can show a box, and a step that runs again meanwhile finds its work done or under way.

void CRunState::OnTick()
{
    CloseRequestStep();
    if (!m_queue.pageInProgress) {
        RescanStep();
        SendTriggerStep();
    }
    CommandFileStep();
    m_callPages->PollCallerId((m_monitoringState == 2 && m_callMonitor) || m_callerIdPopup);
    ScheduleStep();
    TrayStep();
    MonitoringStartStep();
    MonitoringEndStep();
    if (m_monitoringState == 2) m_callPages->MonitorTick(m_callMonitor != 0);
    PimStep();
    if (m_spool) TickSpool(*m_spool, m_queue, m_d.messageBox);
    MailStep();
}

void CRunState::CloseRequestStep()
{
    if (!m_closeRequested || m_queue.pageInProgress || m_cancelPosted) return;
    m_closeRequested = false;
    m_d.shell.CloseProgram();
}

void CRunState::RescanStep()
{
    std::time_t now = m_d.clock.Now();
    if (now - m_lastRescan <= m_intervals.pagerRescanSeconds && !m_rereadAfterRun) return;
    RereadPagers();
}

void CRunState::RereadPagers()
{
    // A run holds the main list (its page counters are written back to it) and would wait
    // behind a slow shared table: the first tick after the run reads the list.
    if (m_queue.pageInProgress) {
        m_rereadAfterRun = true;
        return;
    }
    m_rereadAfterRun = false;
    // Before the reading, which may ask about a file in use or wait for the shared table:
    // the ticks meanwhile must not start it again.
    m_lastRescan = m_d.clock.Now();
    m_pagers.Reload(m_files);
    m_d.shell.RefreshPagerList();
}

void CRunState::SendTriggerStep()
{
    if (m_queue.pageInProgress || m_queue.sendRequest == kSendNone || m_queue.paused || m_queue.requests.empty())
        return;
    int mode = m_queue.sendRequest;
    m_queue.sendRequest = kSendNone;
    SendRunContext context{m_queue, m_pagers, m_files, m_d.ports, m_d.transports, m_d.shell, m_d.pump, m_d.clock};
    RunQueue(context, mode);
}

void CRunState::CommandFileStep()
{
    if (m_commandFileSpec.empty()) return;
    std::time_t now = m_d.clock.Now();
    if (now - m_lastCommandScan <= m_commandScanSeconds) return;
    m_lastCommandScan = now;
    ScanCommandFiles(m_commandFileSpec, m_queue, *this);
}

void CRunState::TrayStep()
{
    bool animate = m_queue.pageInProgress && !m_monitoring->MonitoringActive();
    bool alternate = animate && !m_alternateIcon;
    if (alternate == m_alternateIcon) return;
    m_alternateIcon = alternate;
    m_d.shell.ShowAlternateIcon(alternate);
}

void CRunState::MonitoringStartStep()
{
    if (!m_monitoring->MonitoringActive() || m_monitoringState != 0) return;
    // A page that holds the line the monitor modem shares is let finish first: the
    // monitor would lose the port again when the page closes it.
    if (m_queue.pageInProgress && m_d.settings.Get(key::MonitorPort) == m_d.settings.Get(key::PagePort)) return;
    m_monitoringState = 2;
    const int period = ++m_monitoringPeriod;
    m_queue.paused = false;
    if (m_callMonitor || m_callerIdPopup) {
        const bool opened = m_d.ports.OpenMonitorPort(true);
        // The call monitor stays off for this period; the end of monitoring reads it again.
        if (!opened && m_callMonitor && m_monitoringPeriod == period && m_monitoringState == 2) m_callMonitor = 0;
    }
    if (m_pimMonitor) m_pim->StartMonitoring();
    if (m_mailMonitor) m_mailPages->StartMonitoring();
    ShowSwitches();
    WarnAboutMonitorsWithoutPages();
}

void CRunState::WarnAboutMonitorsWithoutPages()
{
    // Monitoring goes on whatever the answer: a monitor that can page nobody pages nobody.
    auto warn = [&](const char* text, const char* caption) {
        m_d.messageBox.Show(text, caption, MbIcon::Warning, MbButtons::Ok);
    };
    if (m_mailMonitor) {
        if (m_filters.empty())
            warn("Email monitoring is enabled, but there are no mail filters.  In order to receive Email monitor "
                 "pages, you must have at least one mail filter.",
                 "Email Monitor");
        if (!AnyPagerWith(kAutoMail))
            warn("Email Monitoring is enabled, but there is no pager set to receive the pages.  Please refer to the "
                 "Email Monitoring tab on the Preferences dialog box.",
                 "Email Monitor");
    }
    if (m_pimMonitor) {
        if (!AnyPagerWith(kAutoPim))
            warn("PIM Monitoring is enabled, but there is no pager set to receive the pages.  Please refer to the "
                 "PIMs tab on the Preferences dialog box.",
                 "PIM Monitor");
        if (!m_d.settings.IsOn(key::SPlusMonitor) && !m_d.settings.IsOn(key::OutlookMonitor) &&
            !m_d.settings.IsOn(key::OrganizerMonitor))
            warn("PIM Monitoring is enabled, but there is no PIM selected.  Please refer to the PIMs tab on the "
                 "Preferences dialog box.",
                 "PIM Monitor");
    }
    if (m_callMonitor && !AnyPagerWith(kAutoCallMonitor))
        warn("Call Monitoring is enabled, but there is no pager set to receive the pages.  Please refer to the Call "
             "Monitoring tab on the Preferences dialog box.",
             "Call Monitor");
}

void CRunState::MonitoringEndStep()
{
    if (m_monitoringState != 2 || m_monitoring->MonitoringActive()) return;
    if (m_queue.pageInProgress) {
        // The page must end first; one cancel is enough.
        if (!m_cancelPosted) {
            m_cancelPosted = true;
            m_d.shell.PostCancel();
        }
        return;
    }
    m_cancelPosted = false;
    m_callPages->DiscardPendingPages();
    if (!m_callerIdPopup) m_d.ports.CloseMonitorPort();
    m_mailPages->StopMonitoring();
    m_monitoringState = 0;
    // A call monitor switched off for the period because its modem would not open.
    m_callMonitor = m_d.settings.GetInt(key::MonitorPhone);
    ShowSwitches();
}

// ---- commands ----

void CRunState::CancelPage()
{
    m_queue.stop = true;
    m_d.shell.PostCancel();
}

bool CRunState::RefuseShutDown()
{
    if (!m_queue.pageInProgress) return false;
    m_d.messageBox.Show(kShutDownRefusal, "Shut-Down", MbIcon::Error, MbButtons::Ok);
    return true;
}

bool CRunState::AnyPagerWith(std::uint16_t flag) const
{
    for (const auto& pager : m_pagers.records())
        if (pager->AutoPageFlags & flag) return true;
    return false;
}

bool CRunState::ToggleOn(int& currentSwitch, const SettingKey& key, std::uint16_t flag, const char* refusal)
{
    if (currentSwitch) {
        m_d.settings.Write(key, "0");
        return true;
    }
    if (!AnyPagerWith(flag)) {
        m_d.messageBox.Show(refusal, "Monitor Error", MbIcon::Error, MbButtons::Ok);
        return false;
    }
    m_d.settings.Write(key, "1");
    return true;
}

void CRunState::ToggleMonitorPhone()
{
    if (ToggleOn(m_callMonitor, key::MonitorPhone, kAutoCallMonitor, kCallRefusal)) ApplyCallMonitor();
    ShowSwitches();
}

void CRunState::ToggleMonitorPim()
{
    if (ToggleOn(m_pimMonitor, key::ScheduleReminders, kAutoPim, kPimRefusal)) ApplyPimMonitor();
    ShowSwitches();
}

void CRunState::ToggleMonitorMail()
{
    if (ToggleOn(m_mailMonitor, key::MailMonitor, kAutoMail, kMailRefusal)) ApplyMailMonitor();
    ShowSwitches();
}

void CRunState::ApplyCallMonitor()
{
    m_callMonitor = m_d.settings.GetInt(key::MonitorPhone);
    if (!m_monitoring->ManualMonitoring() || m_queue.pageInProgress) return;
    if (m_callMonitor) {
        if (!m_d.ports.OpenMonitorPort(true)) m_callMonitor = 0;
    } else if (!m_callerIdPopup) {
        m_d.ports.CloseMonitorPort();
    }
}

void CRunState::ApplyPimMonitor()
{
    m_pimMonitor = m_pim->Apply() ? 1 : 0;
}

void CRunState::ToggleCallerIdPopup()
{
    if (m_callerIdPopup) {
        m_callerIdPopup = 0;
        bool sharedInPage = m_queue.pageInProgress && m_d.settings.Get(key::MonitorPort) == m_d.settings.Get(key::PagePort);
        if (!m_monitoring->ManualMonitoring() && !sharedInPage) m_d.ports.CloseMonitorPort();
    } else {
        if (m_d.messageBox.Show(kCallerIdQuestion, "Modem Warning", MbIcon::Question, MbButtons::YesNo) != MbAnswer::Yes)
            return;
        bool portInPage = m_queue.pageInProgress && m_d.settings.Get(key::MonitorPort) == m_d.settings.Get(key::PagePort);
        if (!m_monitoring->ManualMonitoring() && !portInPage) m_d.ports.OpenMonitorPort(true);
        m_callerIdPopup = 1;
    }
    m_d.settings.Write(key::CIDPopup, m_callerIdPopup ? "1" : "0");
    ShowSwitches();
}

void CRunState::TogglePause()
{
    m_queue.paused = !m_queue.paused;
    ShowSwitches();
}

void CRunState::SendTestPage(const PagerRecord& edited)
{
    SendRunContext context{m_queue, m_pagers, m_files, m_d.ports, m_d.transports, m_d.shell, m_d.pump, m_d.clock};
    corvane::SendTestPage(context, edited);
}

}  // namespace corvane
