#include "callmon/call_page_sender.h"

#include <algorithm>

#include "directory/pager_file.h"
#include "engine/page_route.h"
#include "engine/page_text.h"
#include "engine/send_run.h"

namespace corvane {
namespace {

// A call page goes out whole, in as many pages as it takes.
constexpr int kCallPageLimit = 32767;

bool Has(const std::vector<std::int16_t>& codes, std::int16_t code)
{
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

}  // namespace

bool CCallPageSender::SendPass(PendingCallPage& page)
{
    const std::string pagePort = m.settings.Get(key::PagePort);
    if (pagePort == m.settings.Get(key::MonitorPort)) m.ports.CloseMonitorPort();
    // A page port that does not open fails this pass's modem pages (the pass is tried
    // again); SNPP and gateway pages still go.
    m.ports.OpenPagePort(false, m.settings.Get(key::PagePortBaud));
    const bool gateway = IsGatewayPort(pagePort);

    // Copies: a page call points into its entries until it ends.
    std::vector<PagerRecord> recipients;
    for (const auto& pager : m.pagers.records())
        if ((pager->AutoPageFlags & kAutoCallMonitor) && !Has(page.delivered, pager->Code)) recipients.push_back(*pager);

    bool failed = false;
    m_countersChanged = false;
    for (const PagerRecord& pager : recipients) {
        m.view.SetStatusField("Sending call monitor page to " + pager.UserName);
        const Outcome outcome = SendTo(pager, page, gateway);
        if (outcome == Outcome::Delivered) {
            page.delivered.push_back(pager.Code);
            continue;
        }
        failed = true;
        if (outcome == Outcome::FailedStop) break;
    }
    if (m_countersChanged) SavePageCounters(m.pagers, m.files);

    m.view.SetStatusField("Idle");
    m.ports.ClosePagePort();
    m.ports.OpenMonitorPort(false);
    return !failed;
}

CCallPageSender::Outcome CCallPageSender::SendTo(const PagerRecord& pager, const PendingCallPage& page, bool gateway)
{
    PagerRecord entry = pager;
    entry.DeliveryStatus = 0;
    const bool numeric = entry.IsNumeric();
    if (gateway) {
        // The gateway product numbers and sends the page itself.
        const std::string text = numeric ? page.numericTime + entry.Separator + page.numericNumber : page.alphaText;
        if (!m.transports.HandToGateway(entry, text, false)) {
            m.log.LogError(entry, kGatewayNotHandedOver, text);
            return Outcome::Failed;
        }
        m.log.LogPage(entry, text, LogSource::CallMonitor);
        return Outcome::Delivered;
    }

    const bool snpp = IsSnppNumber(entry.PhoneNumber);
    if (!snpp) m.ports.EnsurePageBaud(false, entry.BaudRate);
    std::unique_ptr<IPageCall> call = snpp ? m.transports.NewSnppClient(entry) : m.transports.NewModemCall(entry);

    const int pageNumber = entry.PageCounter + 1 > 999 ? 0 : entry.PageCounter + 1;
    const bool counter = entry.SendPageCounter != 0;
    const std::string text =
        numeric ? (counter ? std::to_string(pageNumber) + entry.Separator : "") + page.numericTime + entry.Separator +
                      page.numericNumber
                : (counter ? std::to_string(pageNumber) + "- " : "") + page.alphaText;
    if (!call) {
        m.log.LogError(entry, kCallPortNotOpen, text);
        return Outcome::Failed;
    }
    const Outcome outcome = SendThroughCall(*call, entry, text, numeric);
    if (outcome == Outcome::Delivered && counter) {
        // The number was used: the next page to this pager carries the next one.
        if (PagerRecord* listed = m.pagers.FindByCode(entry.Code)) {
            listed->PageCounter = static_cast<std::int16_t>(pageNumber);
            m_countersChanged = true;
        }
    }
    return outcome;
}

CCallPageSender::Outcome CCallPageSender::SendThroughCall(IPageCall& call, PagerRecord& entry, const std::string& text,
                                                          bool numeric)
{
    int code;
    if (numeric) {
        code = call.SendNumericPage(entry, text);
    } else {
        AddAlphaPages(call, entry, text, entry.MaximumPageLength, kCallPageLimit, ContentOptions::Read(m.settings),
                      m.clock.Now());
        code = call.SendAlphaPages();
    }
    // An SNPP run reports each page on its own; a page the server refused fails the run.
    if (code == 0 && call.IsSnpp())
        for (const CountedPage& page : call.Counted())
            if (page.entry->DeliveryStatus != 0) code = page.entry->DeliveryStatus;
    if (code == 0) {
        m.log.LogPage(entry, text, LogSource::CallMonitor);
        return Outcome::Delivered;
    }
    m.log.LogError(entry, code, text);
    // A cancelled call ends the pass (monitoring is ending, or the user said so), and so
    // does a failed SNPP run.
    return call.IsSnpp() || code == kCallCancelled ? Outcome::FailedStop : Outcome::Failed;
}

}  // namespace corvane
