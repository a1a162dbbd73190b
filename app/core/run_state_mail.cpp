// The run state's steps for the e-mail monitor.

#include "app/core/run_state.h"
#include "engine/mail_page_delivery.h"
#include "engine/send_run.h"
#include "mail/mail_monitor.h"

namespace corvane {

void CRunState::ApplyMailMonitor()
{
    // Set before the logon, which waits for the server while the tick goes on.
    m_mailMonitor = m_d.settings.IsOn(key::MailMonitor) ? 1 : 0;
    // The session stays for the pages that go through a mail gateway.
    const bool keepSession = IsGatewayPort(m_d.settings.Get(key::PagePort)) || m_pimMonitor;
    m_mailMonitor = m_mailPages->Apply(keepSession) ? 1 : 0;
    // Switched on while the monitors run: its first scan comes at the next tick.
    if (m_mailMonitor && m_monitoringState == 2) m_mailPages->StartMonitoring();
}

void CRunState::ReloadMailFilters()
{
    m_filters.Load(m_files);
}

void CRunState::EmptySeenMailLists()
{
    m_mailPages->EmptySeenLists();
}

void CRunState::MailStep()
{
    if (m_monitoringState != 2 || !m_mailMonitor || m_queue.pageInProgress) return;
    m_mailPages->Tick(m_intervals.mailScanSeconds);
}

void CRunState::DeliverMail(MailPageSet& pages)
{
    SendRunContext context{m_queue, m_pagers, m_files, m_d.ports, m_d.transports, m_d.shell, m_d.pump, m_d.clock};
    DeliverMailPages(context, pages);
}

}  // namespace corvane
