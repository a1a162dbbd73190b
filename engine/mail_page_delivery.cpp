#include "engine/mail_page_delivery.h"

#include <algorithm>
#include <deque>

#include "directory/pager_file.h"
#include "engine/page_log.h"
#include "engine/page_route.h"
#include "engine/page_text.h"
#include "modem/tcp_line.h"

namespace corvane {
namespace {

// One page of a call, with the entry the call points into: each mail page has an entry
// of its own, so that each carries its own status.
struct CallPage {
    MailPage* page;
    PagerRecord* entry;
    int number;  // the page number it carries; -1 when it carries none
};

class CMailDelivery {
public:
    explicit CMailDelivery(SendRunContext& context)
        : c(context), m_settings(context.files.settings), m_log(context.files.settings, context.clock, context.files.dataDir)
    {
    }

    void Run(MailPageSet& set)
    {
        c.queue.stop = false;
        c.queue.pageInProgress = true;
        c.view.SetPageInProgress(true);
        m_gateway = IsGatewayPort(m_settings.Get(key::PagePort));
        const bool monitorWasOpen = c.ports.IsMonitorOpen();
        if (m_settings.Get(key::MonitorPort) == m_settings.Get(key::PagePort)) c.ports.CloseMonitorPort();
        // A page port that does not open fails the modem pages (they are paged again at the
        // next scan); the monitor modem has its line back at once.
        if (!c.ports.OpenPagePort(false, m_settings.Get(key::PagePortBaud)) && monitorWasOpen)
            c.ports.OpenMonitorPort(false);

        std::vector<MailPagerPages*> order;
        for (MailPagerPages& pager : set.pagers) order.push_back(&pager);
        std::stable_sort(order.begin(), order.end(), [](const MailPagerPages* a, const MailPagerPages* b) {
            return a->pager.PhoneNumber < b->pager.PhoneNumber;
        });
        std::vector<MailPagerPages*> batch;
        for (MailPagerPages* pager : order) {
            if (!batch.empty() && !OneService(batch.back()->pager, pager->pager)) {
                DeliverBatch(batch);
                batch.clear();
            }
            if (pager->pager.IsNumeric()) DeliverNumeric(*pager);
            else batch.push_back(pager);
        }
        if (!batch.empty()) DeliverBatch(batch);

        if (m_countersChanged) SavePageCounters(c.pagers, c.files);
        c.view.SetStatusField("Idle");
        c.ports.ClosePagePort();
        if (monitorWasOpen) c.ports.OpenMonitorPort(false);
        c.view.SetPageInProgress(false);
        c.queue.pageInProgress = false;
    }

private:
    static bool OneService(const PagerRecord& a, const PagerRecord& b)
    {
        return a.PhoneNumber == b.PhoneNumber && a.PagerType == b.PagerType && a.SystemPassword == b.SystemPassword &&
               a.WaitForConnection == b.WaitForConnection && a.BaudRate == b.BaudRate;
    }

    bool Ended() const { return m_ended || c.queue.stop; }
    // A pager with a paging terminal of its own on the network is called there.
    bool ViaGateway(const PagerRecord& pager) const { return m_gateway && !IsTcpLineName(pager.PhoneNumber); }

    void Show(const MailPage& page, const PagerRecord& pager)
    {
        c.view.SetStatusField("EMail from " + page.sender + " to pager " + pager.UserName);
    }

    // The pager's counter as the main list holds it now.
    std::int16_t Counter(const PagerRecord& pager)
    {
        const PagerRecord* listed = c.pagers.FindByCode(pager.Code);
        return listed ? listed->PageCounter : pager.PageCounter;
    }

    // The page number goes out only where no gateway numbers the pages itself; -1 for none.
    int Number(const PagerRecord& pager, std::int16_t& counter, bool gateway, const std::string& separator,
               MailPage& page)
    {
        if (!pager.SendPageCounter || gateway) return -1;
        counter = NextPageNumber(counter);
        page.text = std::to_string(counter) + separator + page.text;
        return counter;
    }

    void DeliverBatch(const std::vector<MailPagerPages*>& batch)
    {
        const PagerRecord& first = batch.front()->pager;
        const bool gateway = ViaGateway(first);
        const bool snpp = !gateway && IsSnppNumber(first.PhoneNumber);
        std::unique_ptr<IPageCall> call;
        if (!gateway && !Ended()) call = NewCall(first, snpp);

        std::deque<PagerRecord> entries;  // the call points into them until it ends
        std::vector<CallPage> pages;
        for (MailPagerPages* pager : batch) {
            std::int16_t counter = Counter(pager->pager);
            for (MailPage& page : pager->pages) {
                if (Ended()) {
                    Untaken(pager->pager, page);
                    continue;
                }
                const int number = Number(pager->pager, counter, gateway, "- ", page);
                Show(page, pager->pager);
                if (std::size_t capacity = PageTextCapacity(pager->pager, page.pageLimit); capacity > 0)
                    CutPageText(page.text, capacity);
                if (gateway) {
                    HandOver(pager->pager, page);
                    continue;
                }
                PagerRecord& entry = entries.emplace_back(pager->pager);
                entry.DeliveryStatus = 0;
                if (!call) {
                    Failed(entry, page, kCallPortNotOpen);
                    continue;
                }
                AddAlphaPages(*call, entry, page.text, entry.MaximumPageLength, page.pageLimit,
                              ContentOptions::Read(m_settings), c.clock.Now());
                pages.push_back({&page, &entry, number});
            }
        }
        if (call && !pages.empty()) Send(*call, pages);
    }

    std::unique_ptr<IPageCall> NewCall(const PagerRecord& pager, bool snpp)
    {
        if (snpp) return c.transports.NewSnppClient(pager);
        if (m_modemCalled) PauseAfterModemCall(c.pump, c.clock);
        m_modemCalled = true;
        c.ports.EnsurePageBaud(false, pager.BaudRate);
        return c.transports.NewModemCall(pager);
    }

    void Send(IPageCall& call, const std::vector<CallPage>& pages)
    {
        const int result = call.SendAlphaPages();
        const bool snpp = call.IsSnpp();
        if (result == kCallCancelled || result == kSnppCancelled) m_ended = true;
        // An SNPP run that never reached the server leaves every page's status at 0.
        bool snppNeverSent = snpp && result != 0;
        for (const CallPage& sent : pages) snppNeverSent = snppNeverSent && sent.entry->DeliveryStatus == 0;
        for (const CallPage& sent : pages) {
            const int status = sent.entry->DeliveryStatus;
            if (PageDelivered(snpp, result, status, snppNeverSent)) Delivered(*sent.entry, *sent.page, sent.number);
            else Failed(*sent.entry, *sent.page, snpp && status != 0 ? status : result);
        }
    }

    void DeliverNumeric(MailPagerPages& pager)
    {
        const bool gateway = ViaGateway(pager.pager);
        std::int16_t counter = Counter(pager.pager);
        for (MailPage& page : pager.pages) {
            if (Ended()) {
                Untaken(pager.pager, page);
                continue;
            }
            const int number = Number(pager.pager, counter, gateway, pager.pager.Separator, page);
            Show(page, pager.pager);
            if (gateway) {
                HandOver(pager.pager, page);
                continue;
            }
            // A pager whose number names an SNPP server gets its digits from there.
            const bool snpp = IsSnppNumber(pager.pager.PhoneNumber);
            std::unique_ptr<IPageCall> call = NewCall(pager.pager, snpp);
            PagerRecord entry = pager.pager;
            const int result = call ? call->SendNumericPage(entry, page.text) : kCallPortNotOpen;
            if (result == kCallCancelled || result == kSnppCancelled) m_ended = true;
            if (result == 0) Delivered(entry, page, number);
            else Failed(entry, page, result);
        }
    }

    // The gateway reports only whether it took the page: that is its result.
    void HandOver(const PagerRecord& pager, MailPage& page)
    {
        if (c.transports.HandToGateway(pager, page.text, false)) Delivered(pager, page, -1);
        else Failed(pager, page, kGatewayNotHandedOver);
    }

    void Delivered(const PagerRecord& entry, MailPage& page, int number)
    {
        m_log.LogPage(entry, page.text, LogSource::Mail);
        if (number < 0) return;
        // The stored counter is the number the pager last received.
        if (PagerRecord* listed = c.pagers.FindByCode(entry.Code)) {
            listed->PageCounter = static_cast<std::int16_t>(number);
            m_countersChanged = true;
        }
    }

    void Failed(const PagerRecord& entry, MailPage& page, int result)
    {
        m_log.LogError(entry, result, page.text);
        page.failed = true;
    }

    // The run was cancelled before this page: it is recorded, and paged at the next scan.
    void Untaken(const PagerRecord& pager, MailPage& page) { Failed(pager, page, kCallCancelled); }

    SendRunContext& c;
    ISettings& m_settings;
    CPageLog m_log;
    bool m_gateway = false;
    bool m_modemCalled = false;
    bool m_ended = false;
    bool m_countersChanged = false;
};

}  // namespace

void DeliverMailPages(SendRunContext& context, MailPageSet& set)
{
    if (set.empty()) return;
    CMailDelivery(context).Run(set);
}

}  // namespace corvane
