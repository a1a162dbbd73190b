// The run state's steps for scheduled pages and calendar reminders.

#include "app/core/run_state.h"
#include "pim/schedule_firing.h"

namespace corvane {

void CRunState::ScheduleStep()
{
    int queued = 0;
    m_schedules.Tick(m_d.clock.Now(), [&](const CScheduledPage& page) {
        queued += QueueScheduledPages(page, m_pagers, m_messages, m_queue);
    });
    if (queued == 0) return;
    m_d.shell.SetQueueCount(static_cast<int>(m_queue.requests.size()));
    // Sent in this tick, not the next: a scheduled page goes out on its second.
    SendTriggerStep();
}

void CRunState::PimStep()
{
    if (m_monitoringState != 2 || !m_pimMonitor || m_queue.pageInProgress) return;
    m_pim->Tick(m_queue, m_pagers, m_messages, m_intervals.pimScanSeconds);
}

}  // namespace corvane
