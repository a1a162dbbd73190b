#pragma once
// The frame's run state: the page queue and its send trigger, the pager list the sends
// and commands use, the monitor switches and monitoring, and the one-second tick that
// starts every automatic activity. The desktop frame and the headless program both
// own one and drive it.

#include <memory>
#include <string>

#include "app/core/command_topics.h"
#include "app/core/frame_shell.h"
#include "app/core/monitoring_control.h"
#include "app/core/prepare_send.h"
#include "callmon/call_monitor.h"
#include "common/clock.h"
#include "common/event_pump.h"
#include "common/message_box.h"
#include "common/reactor.h"
#include "directory/dashnote_list.h"
#include "directory/message_texts.h"
#include "directory/pager_list.h"
#include "engine/page_request.h"
#include "engine/page_spool.h"
#include "mail/mail_filter_list.h"
#include "transport/page_transport.h"
#include "modem/page_ports.h"
#include "pim/pim_monitor.h"
#include "pim/schedule_list.h"
#include "settings/settings.h"

namespace corvane {

class CMailMonitor;
class CMailSystem;
struct MailPageSet;

struct RunStateDeps {
    ISettings& settings;
    IMessageBox& messageBox;
    IFrameShell& shell;
    IEventPump& pump;
    const IClock& clock;
    IPagePorts& ports;
    ITransports& transports;
    IHookLibrary& hooks;
    std::string title;    // the program title (after -K)
    std::string dataDir;  // ends with '/'
    IReactor* reactor = nullptr;  // watches the monitor line; null: it is read on the tick
    CMailSystem* mail = nullptr;  // the mail system; none in suites that need no mail
};

// The tick's own settings, kept while running and read again when the preferences close.
struct TickIntervals {
    int numberRings = 3;
    int callPageDelaySeconds = 180;
    long pimScanSeconds = 3600;
    long mailScanSeconds = 60;
    long pagerRescanSeconds = 3600;
};

class CRunState : private ICommandShell, private ISeenMailLists {
public:
    explicit CRunState(RunStateDeps deps);
    ~CRunState() override;
    CRunState(const CRunState&) = delete;
    CRunState& operator=(const CRunState&) = delete;

    // Frame creation: log files created when missing, the data loaded, the monitor
    // switches applied. The command line's page commands and -F file are queued.
    void Create(bool quiet, int commandScanSeconds, const std::string& commandFileSpec);
    void QueueCommandLinePages(const std::vector<std::string>& commands);
    void QueueCommandFile(const std::string& path);
    void ReadIntervals();
    // The preferences were stored or their dialog closed (run_state_prefs.cpp).
    void PreferencesChanged();

    // One second of the program's life.
    void OnTick();

    // Commands of the main window.
    void CancelPage();          // the Cancel button: stop flag and cancel the call
    bool RefuseShutDown();      // true (and the refusal shown) while a page is in progress
    void ToggleMonitorPhone();
    void ToggleMonitorPim();
    void ToggleMonitorMail();
    void ToggleCallerIdPopup();
    void TogglePause();
    void RereadPagers();
    // FILTERS.DAT read again (after the Mail Filters dialog saved it).
    void ReloadMailFilters();
    void SendTestPage(const PagerRecord& edited);
    // A Dashnote command (61207..61226) with the form's rows at that moment; the user is
    // told when nothing could be queued (run_state_dashnote.cpp).
    void SendDashnote(int commandId, const FormView& view);
    // DASHNOTE.DAT read again after its editor saved it.
    void ReloadDashnotes();
    // MESSAGES.DAT read again after a preference page saved its texts.
    void ReloadMessages();

    CMonitoringControl& Monitoring() { return *m_monitoring; }
    CCallMonitor& CallMonitor() { return *m_callPages; }
    ICommandHandler& Commands() { return m_topics; }
    CPageQueue& Queue() { return m_queue; }
    CPagerList& Pagers() { return m_pagers; }
    CScheduleList& Schedules() { return m_schedules; }
    CPimMonitor& Pim() { return *m_pim; }
    CMailMonitor& MailMonitor() { return *m_mailPages; }
    const CMailFilterList& MailFilters() const { return m_filters; }
    const DataFiles& Files() const { return m_files; }
    const MessageTexts& Messages() const { return m_messages; }
    const CDashnoteList& Dashnotes() const { return m_dashnotes; }
    IEventPump& Pump() { return m_d.pump; }
    const IClock& Clock() const { return m_d.clock; }
    SwitchState Switches() const;
    bool CloseRequested() const { return m_closeRequested; }
    int MonitoringPhase() const { return m_monitoringState; }
    bool CancelPosted() const { return m_cancelPosted; }

private:
    // ICommandShell: what the command topics ask of the program.
    void AddNewPager() override { m_d.shell.AddNewPager(); }
    void RequestClose() override { m_closeRequested = true; }
    void ShowQueueCount(int count) override { m_d.shell.SetQueueCount(count); }
    void BringToFront() override { m_d.shell.BringToFront(); }
    // ISeenMailLists: the user is back, or manual monitoring begins.
    void EmptySeenMailLists() override;  // run_state_mail.cpp

    void ApplyCallMonitor();
    void ApplyMailMonitor();  // run_state_mail.cpp
    void ApplyPimMonitor();
    void LogonForGateway();
    bool AnyPagerWith(std::uint16_t flag) const;
    bool ToggleOn(int& currentSwitch, const SettingKey& key, std::uint16_t flag, const char* refusal);
    void ShowSwitches() { m_d.shell.ShowSwitches(Switches()); }

    void CloseRequestStep();
    void RescanStep();
    void SendTriggerStep();
    void CommandFileStep();
    void ScheduleStep();  // run_state_pim.cpp
    void PimStep();       // run_state_pim.cpp
    void MailStep();      // run_state_mail.cpp
    void DeliverMail(MailPageSet& pages);
    void TrayStep();
    void MonitoringStartStep();
    void WarnAboutMonitorsWithoutPages();
    void MonitoringEndStep();

    RunStateDeps m_d;
    std::unique_ptr<CPageSpool> m_spool;  // every accepted request until its outcome is logged
    DataFiles m_files;
    CPageQueue m_queue;
    CPagerList m_pagers;
    MessageTexts m_messages;
    CDashnoteList m_dashnotes;
    CCommandTopics m_topics;
    std::unique_ptr<CMonitoringControl> m_monitoring;
    CScheduleList m_schedules;
    std::unique_ptr<CPimMonitor> m_pim;
    std::unique_ptr<CCallMonitor> m_callPages;
    CMailFilterList m_filters;
    std::unique_ptr<CMailMonitor> m_mailPages;
    TickIntervals m_intervals;

    int m_callMonitor = 0;
    int m_pimMonitor = 0;
    int m_mailMonitor = 0;
    int m_callerIdPopup = 0;
    int m_monitoringState = 0;  // 2 once the monitors run for this period
    int m_monitoringPeriod = 0;  // counts the periods, so a late answer keeps to its own
    bool m_cancelPosted = false;
    bool m_closeRequested = false;
    bool m_alternateIcon = false;
    int m_commandScanSeconds = 5;
    std::string m_commandFileSpec;
    std::time_t m_lastRescan = 0;
    bool m_rereadAfterRun = false;  // asked for during a run
    std::time_t m_lastCommandScan = 0;
};

inline constexpr const char* kShutDownRefusal =
    "The application cannot be shut down.  There is currently a page in progress.  You must cancel the page "
    "before shutting down the application.";

}  // namespace corvane
