#include "pim/reminder_delivery.h"

#include <algorithm>

#include "directory/pager_file.h"
#include "engine/page_log.h"
#include "engine/page_route.h"
#include "engine/send_run.h"
#include "settings/settings.h"

namespace corvane {
namespace {

class CReminderPages {
public:
    CReminderPages(ReminderDeliveryContext& context, CPimReminder& reminder)
        : c(context), m_settings(context.files.settings), m_reminder(reminder),
          m_log(context.files.settings, context.clock, context.files.dataDir)
    {
    }

    ReminderOutcome Run()
    {
        c.queue.stop = false;
        c.queue.pageInProgress = true;
        c.view.SetPageInProgress(true);
        m_gateway = IsGatewayPort(m_settings.Get(key::PagePort));
        m_monitorWasOpen = c.ports.IsMonitorOpen();
        const bool hour24 = m_settings.Get(key::ContentTimeFormat) == "1";
        m_alpha = ReminderAlphaText(m_reminder, hour24);
        m_numeric = ReminderNumericText(m_reminder, hour24);

        for (const auto& pager : c.pagers.records()) {
            if (m_cancelled) break;
            if (!(pager->AutoPageFlags & kAutoPim)) continue;
            const auto& paged = m_reminder.paged;
            if (std::find(paged.begin(), paged.end(), pager->Code) != paged.end()) continue;
            Page(*pager);
        }

        if (m_countersChanged) SavePageCounters(c.pagers, c.files);
        if (m_portOpened) {
            c.ports.ClosePagePort();
            if (m_monitorWasOpen) c.ports.OpenMonitorPort(true);
        }
        c.view.SetStatusField("Idle");
        c.view.SetPageInProgress(false);
        c.queue.pageInProgress = false;
        if (m_cancelled) return ReminderOutcome::Cancelled;
        return m_failed ? ReminderOutcome::Failed : ReminderOutcome::Delivered;
    }

private:
    void Page(PagerRecord& pager)
    {
        c.view.SetStatusField("Sending PIM reminder page to " + pager.UserName);
        PagerRecord entry = pager;
        const bool snpp = IsSnppNumber(entry.PhoneNumber);
        const bool modem = !m_gateway && !snpp;
        // The counter goes out only on the program's own modem line.
        const bool counted = entry.SendPageCounter && modem;
        const int counter = entry.PageCounter > 998 ? 0 : entry.PageCounter + 1;
        std::string text;
        if (entry.IsNumeric()) {
            text = (counted ? std::to_string(counter) : "") + c.prefix + m_numeric;
        } else {
            text = (counted ? std::to_string(counter) + "- " : "") + c.prefix + " " + m_alpha;
            if (entry.MaximumPageLength > 0 && text.size() > static_cast<std::size_t>(entry.MaximumPageLength))
                text.resize(static_cast<std::size_t>(entry.MaximumPageLength));
        }

        int code = 0;
        bool delivered = false;
        if (m_gateway) {
            delivered = c.transports.HandToGateway(entry, text, false);
            code = kGatewayNotHandedOver;
        } else {
            if (modem) PrepareModem(entry);
            std::unique_ptr<IPageCall> call = snpp ? c.transports.NewSnppClient(entry) : c.transports.NewModemCall(entry);
            code = call ? Send(*call, entry, text, delivered) : kCallPortNotOpen;
        }

        if (code == kCallCancelled || code == kSnppCancelled || c.queue.stop) {
            // The user stopped it: not sent, and not tried again.
            m_cancelled = true;
            return;
        }
        if (!delivered) {
            m_failed = true;
            m_log.LogError(entry, code, text);
            return;
        }
        if (m_settings.Get(key::LogSchedulePlus) != "0") m_log.LogPage(entry, text, LogSource::Pim);
        m_reminder.paged.push_back(pager.Code);
        if (counted) {
            pager.PageCounter = static_cast<std::int16_t>(counter);
            m_countersChanged = true;
        }
    }

    // The page port, opened once for the reminder, at the pager's speed; a pause after
    // each call lets the modem hang up before it dials again.
    void PrepareModem(const PagerRecord& entry)
    {
        if (!m_portOpened) {
            if (m_settings.Get(key::MonitorPort) == m_settings.Get(key::PagePort)) c.ports.CloseMonitorPort();
            c.ports.OpenPagePort(false, m_settings.Get(key::PagePortBaud));
            m_portOpened = true;
        } else if (m_modemCalled) {
            PauseAfterModemCall(c.pump, c.clock);
        }
        c.ports.EnsurePageBaud(false, entry.BaudRate);
        m_modemCalled = true;
    }

    int Send(IPageCall& call, PagerRecord& entry, const std::string& text, bool& delivered)
    {
        if (entry.IsNumeric()) {
            int result = call.SendNumericPage(entry, text);
            delivered = result == 0;
            return result;
        }
        call.AddPage(true, entry, text, text);
        int result = call.SendAlphaPages();
        int status = entry.DeliveryStatus;
        // A modem call that ended badly after the page was taken still delivered it; an
        // SNPP page carries its own result.
        if (call.IsSnpp()) delivered = result == 0 && status == 0;
        else delivered = result == 0 || ((result == kCallNotAcknowledged || result == kCallRejected) && status == 0);
        return status != 0 ? status : result;
    }

    ReminderDeliveryContext& c;
    ISettings& m_settings;
    CPimReminder& m_reminder;
    CPageLog m_log;
    std::string m_alpha;
    std::string m_numeric;
    bool m_gateway = false;
    bool m_monitorWasOpen = false;
    bool m_portOpened = false;
    bool m_modemCalled = false;
    bool m_countersChanged = false;
    bool m_failed = false;
    bool m_cancelled = false;
};

}  // namespace

ReminderOutcome DeliverReminder(ReminderDeliveryContext& context, CPimReminder& reminder)
{
    return CReminderPages(context, reminder).Run();
}

}  // namespace corvane
