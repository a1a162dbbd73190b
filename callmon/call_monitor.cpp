#include "callmon/call_monitor.h"

#include <algorithm>

#include "callmon/call_page_sender.h"
#include "callmon/voice_numbers.h"
#include "directory/message_texts.h"
#include "engine/modem_page_call.h"
#include "engine/send_run.h"
#include "modem/port_slots.h"

namespace corvane {
namespace {

// A line that floods bytes is read in portions, so that the event loop goes on.
constexpr std::size_t kMaxBytesPerRead = 4096;

}  // namespace

CCallMonitor::CCallMonitor(CallMonitorDeps deps)
    : m(deps), m_log(m.settings, m.clock, m.files.dataDir), m_state(*this), m_popup(m.popupView, m_log)
{
    m.ports.SetMonitorPortListener([this] {
        m_portChanged = true;
        FollowMonitorPort();
    });
    FollowMonitorPort();
}

CCallMonitor::~CCallMonitor()
{
    m.ports.SetMonitorPortListener(nullptr);
    if (m_watchedFd >= 0 && m.reactor) m.reactor->Unwatch(m_watchedFd);
    // A call shown at shut-down is still logged.
    m_popup.Close(false);
}

CallerIdOptions CCallMonitor::ReadOptions()
{
    return {m.settings.GetInt(key::NumberRings), m.settings.Get(key::MonitorModemType) == kRochelleAni323};
}

// ---- the line ----

// Watches the monitor port that is open now (none while a voice dial reads it). A report
// half read from a line that has since been closed is dropped.
void CCallMonitor::FollowMonitorPort()
{
    IBytePort* port = m.ports.MonitorPort();
    const int fd = port && !m_voiceDialing ? port->Fd() : -1;
    if (port == m_watchedPort && fd == m_watchedFd && !m_portChanged) return;
    if (m_watchedFd >= 0 && m.reactor) m.reactor->Unwatch(m_watchedFd);
    if (port != m_watchedPort || m_portChanged) m_state.DropPartialReport();
    m_watchedPort = port;
    m_watchedFd = fd;
    m_portChanged = false;
    if (port) m_lineLost = false;
    if (fd >= 0 && m.reactor) m.reactor->Watch(fd, [this] { ReadMonitorPort(); });
}

void CCallMonitor::ReadMonitorPort()
{
    IBytePort* port = m.ports.MonitorPort();
    if (!port || m_voiceDialing) return;
    const std::time_t now = m.clock.Now();
    char buffer[512];
    for (std::size_t total = 0; total < kMaxBytesPerRead;) {
        const std::size_t n = port->Read(buffer, sizeof buffer);
        if (n == 0) break;
        if (total == 0) m_state.SetOptions(ReadOptions());  // read when bytes need them
        m_state.Feed(std::string_view(buffer, n), now);
        total += n;
    }
    if (port->TakeErrors() & kCommIoError) LineLost();
}

// The modem was unplugged (or the unit switched off) in the middle of whatever it was
// saying: the port is given up, and opened again once the device is back.
void CCallMonitor::LineLost()
{
    m.ports.CloseMonitorPort();
    m_state.DropPartialReport();
    m_lineLost = true;
    m_lastReopen = m.clock.Now();
}

void CCallMonitor::ReopenLostLine(bool lineWanted)
{
    if (!m_lineLost || !lineWanted || m_busy || m.queue.pageInProgress) return;
    const std::time_t now = m.clock.Now();
    if (now >= m_lastReopen && now - m_lastReopen < kReopenLostLineSeconds) return;
    m_lastReopen = now;
    m.ports.OpenMonitorPort(false);
}

void CCallMonitor::PollCallerId(bool lineWanted)
{
    m_lineWanted = lineWanted;
    FollowMonitorPort();
    ReadMonitorPort();
    const std::time_t now = m.clock.Now();
    m_state.Age(now);
    m_popup.Age(now);
    ReopenLostLine(lineWanted);
}

// ---- the pop-up ----

void CCallMonitor::PopupRequested()
{
    if (m.settings.IsOn(key::CIDPopup) && !m_popup.IsOpen())
        m_popup.Open(m.clock.Now(), m_state.Number(), m_state.Name());
}

void CCallMonitor::NumberChanged(const std::string& number)
{
    m_popup.SetNumber(number);
}

void CCallMonitor::NameChanged(const std::string& name)
{
    m_popup.SetName(name);
}

// ---- call pages ----

void CCallMonitor::MonitorTick(bool callMonitorOn)
{
    ScheduleRipeCall(callMonitorOn);
    if (callMonitorOn) SendDuePage();
}

bool CCallMonitor::Ripe()
{
    const int rings = m.settings.GetInt(key::NumberRings);
    const int count = m_state.RingCount();
    return (rings > 0 && count >= rings) || (rings == 0 && count >= kReportComplete);
}

void CCallMonitor::ScheduleRipeCall(bool callMonitorOn)
{
    if (!Ripe()) return;
    if (callMonitorOn) {
        const std::string prefix = LoadMessages(m.files.Path("MESSAGES.DAT")).callPrefix;
        PendingCallPage page = MakeCallPage(prefix, m_state.Number(), m_state.Name(), m.clock.Now(),
                                            m.settings.GetInt(key::DelaySeconds));
        // One modem for both: while calls keep coming, the line stays with the monitor.
        if (m.settings.Get(key::PagePort) == m.settings.Get(key::MonitorPort))
            for (PendingCallPage& waiting : m_pending) waiting.due = page.due;
        m_pending.push_back(std::move(page));
    }
    m_state.SetRingCount(kCallScheduled);
}

void CCallMonitor::SetBusy(bool busy)
{
    m_busy = busy;
    m.queue.pageInProgress = busy;
    m.view.SetPageInProgress(busy);
}

void CCallMonitor::SendDuePage()
{
    if (m_busy || m.queue.pageInProgress) return;
    const std::time_t now = m.clock.Now();
    auto page = std::find_if(m_pending.begin(), m_pending.end(), [now](const PendingCallPage& p) { return p.due <= now; });
    if (page == m_pending.end()) return;

    SetBusy(true);
    CCallPageSender sender({m.settings, m.ports, m.transports, m.view, m.pagers, m.files, m.clock, m_log});
    const bool delivered = sender.SendPass(*page);
    SetBusy(false);
    // The monitor modem did not come back after the pass: it is tried again while wanted.
    if (!m.ports.MonitorPort()) {
        m_lineLost = true;
        m_lastReopen = m.clock.Now();
    }

    if (m_discardAfterPass) {
        m_discardAfterPass = false;
        m_pending.clear();
    } else if (delivered || page->retries >= m.settings.GetInt(key::DialAttempts)) {
        m_pending.erase(page);
    } else {
        ++page->retries;  // already due: tried again on a later tick
    }
}

void CCallMonitor::DiscardPendingPages()
{
    if (m_busy)
        m_discardAfterPass = true;
    else
        m_pending.clear();
}

// ---- voice calls ----

int CCallMonitor::VoiceDial(const PagerRecord& pager, const std::string& number)
{
    if (m_busy || m.queue.pageInProgress) {
        m.messageBox.Show(kPageInProgressText, "Paging Error", MbIcon::Warning, MbButtons::Ok);
        return -1;
    }
    SetBusy(true);
    // The call reads the modem's replies itself from now on.
    m_voiceDialing = true;
    FollowMonitorPort();
    // A monitor modem that is not kept open is taken for this one call.
    const bool opened = !m.ports.MonitorPort() && m.ports.OpenMonitorPort(true);

    const std::string dialable = DialableNumber(number);
    IPagePorts& ports = m.ports;
    CModemPageCall call({m.settings, &m.view, m.pump, m.clock, m.messageBox},
                        m.settings.Get(key::MonitorInitializationString), dialable,
                        [&ports] { return ports.MonitorPort(); }, kVoiceDialAttempts, kVoiceConnectionWaitSeconds,
                        kVoicePostDialDelaySeconds, "");
    call.SetDialMethod(m.settings.GetInt(key::DialingMethod));
    call.SetSpeaker(1);
    const int result = call.VoiceDial();
    if (result != kCallCancelled) call.ShowError(nullptr);
    // The number was dialled: the user took the call, or ended the dial once on the line.
    if (result == kCallOk || result == kCallCancelled) m_log.LogVoiceCall(pager, dialable);

    if (opened && !m_lineWanted) m.ports.CloseMonitorPort();
    m_voiceDialing = false;
    FollowMonitorPort();
    SetBusy(false);
    return result;
}

}  // namespace corvane
