#pragma once
// The call monitor: it reads the monitor line as its bytes arrive (the shell's event
// loop watches the line), keeps the state of the incoming call, shows the caller-ID
// pop-up, gives each call that rang long enough a page for the pagers marked for call
// pages and sends it when it is due; and it places voice calls for the user through
// the monitor modem.

#include <ctime>
#include <list>
#include <string>

#include "callmon/call_page.h"
#include "callmon/caller_id_popup.h"
#include "callmon/caller_id_state.h"
#include "callmon/caller_id_view.h"
#include "common/clock.h"
#include "common/event_pump.h"
#include "common/main_view.h"
#include "common/message_box.h"
#include "common/reactor.h"
#include "directory/pager_list.h"
#include "engine/page_log.h"
#include "engine/page_request.h"
#include "modem/page_ports.h"
#include "settings/settings.h"
#include "transport/page_transport.h"

namespace corvane {

struct CallMonitorDeps {
    ISettings& settings;
    IMessageBox& messageBox;
    IMainView& view;
    ICallerIdView& popupView;
    IEventPump& pump;
    const IClock& clock;
    IPagePorts& ports;
    ITransports& transports;
    IReactor* reactor;    // null: the line is read on the tick only
    CPageQueue& queue;    // its page-in-progress flag keeps the send run and these apart
    CPagerList& pagers;   // the main list
    const DataFiles& files;
};

// The voice dial's fixed terms: re-dials, the wait for the modem's answer, the time
// the user has to take the call.
inline constexpr int kVoiceDialAttempts = 100;
inline constexpr int kVoiceConnectionWaitSeconds = 120;
inline constexpr int kVoicePostDialDelaySeconds = 120;
// A monitor line that went away is tried again this often while it is wanted.
inline constexpr std::time_t kReopenLostLineSeconds = 10;

class CCallMonitor final : private ICallerIdEvents {
public:
    explicit CCallMonitor(CallMonitorDeps deps);
    ~CCallMonitor() override;
    CCallMonitor(const CCallMonitor&) = delete;
    CCallMonitor& operator=(const CCallMonitor&) = delete;

    // The tick's caller-ID line poll: what is still waiting on the line, then the end of
    // a call that stopped ringing and of the pop-up's time. lineWanted: the monitor port
    // should be open now (monitoring with the call monitor on, or the pop-up on); a line
    // that went away is then opened again.
    void PollCallerId(bool lineWanted);
    // The tick while monitoring: a call that rang long enough gets its page (when the
    // call monitor is on) and no second one; a due page is sent unless a page is in
    // progress.
    void MonitorTick(bool callMonitorOn);
    // Monitoring has ended: the pages still waiting are dropped.
    void DiscardPendingPages();
    // The pop-up's OK button.
    void ClosePopup() { m_popup.Close(); }
    // The Voice and Other buttons: the monitor modem dials number (what of it a dial
    // command may hold) for the user. The result code of the call (its message shown),
    // or -1 when refused.
    int VoiceDial(const PagerRecord& pager, const std::string& number);

    // What the line has sent since the last read; the event loop calls this whenever
    // the monitor port is readable.
    void ReadMonitorPort();

    const CCallerIdState& Caller() const { return m_state; }
    const std::list<PendingCallPage>& PendingPages() const { return m_pending; }
    const CCallerIdPopup& Popup() const { return m_popup; }

private:
    // ICallerIdEvents
    void PopupRequested() override;
    void NumberChanged(const std::string& number) override;
    void NameChanged(const std::string& name) override;

    CallerIdOptions ReadOptions();
    void FollowMonitorPort();
    void LineLost();
    void ReopenLostLine(bool lineWanted);
    bool Ripe();
    void ScheduleRipeCall(bool callMonitorOn);
    void SendDuePage();
    void SetBusy(bool busy);

    CallMonitorDeps m;
    CPageLog m_log;
    CCallerIdState m_state;
    CCallerIdPopup m_popup;
    std::list<PendingCallPage> m_pending;  // a pass keeps its page while later ones are added

    IBytePort* m_watchedPort = nullptr;
    int m_watchedFd = -1;
    bool m_portChanged = false;
    bool m_busy = false;          // a call page or a voice dial has the modem
    bool m_voiceDialing = false;  // the voice dial reads the monitor modem's replies itself
    bool m_discardAfterPass = false;
    bool m_lineWanted = false;
    bool m_lineLost = false;
    std::time_t m_lastReopen = 0;
};

}  // namespace corvane
