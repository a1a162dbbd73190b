#include "engine/send_run.h"

#include <algorithm>

#include "common/decimal.h"
#include "common/message_box.h"
#include "directory/message_texts.h"
#include "directory/pager_file.h"
#include "engine/page_log.h"
#include "engine/page_route.h"
#include "engine/page_text.h"
#include "engine/request_outcomes.h"
#include "modem/tcp_line.h"

namespace corvane {

bool IsGatewayPort(const std::string& pagePort)
{
    return pagePort == "MD" || pagePort == "EX" || pagePort == "SV";
}

namespace {

constexpr int kNoLimit = 9999;

class CSendRun {
public:
    CSendRun(SendRunContext& context, int mode)
        : m(context),
          m_settings(context.files.settings),
          m_mode(mode),
          m_log(context.files.settings, context.clock, context.files.dataDir),
          m_outcomes(context.queue.spool, m_log)
    {
    }

    void Run();

private:
    // Message boxes for the run's outcome: the user's own sends, and commands unless quiet.
    bool ShowBoxes() const { return m_mode == kSendInteractive || (m_mode == kSendCommand && m.queue.showMessages); }
    // The port's own messages follow the quiet option alone, scheduled runs included.
    bool PortMessages() const { return m.queue.showMessages; }

    void TakeRequests();
    void Expand(const PageRequest& request);
    bool BatchedWithNext(std::size_t n) const;
    void SendEntry(std::size_t& n);
    void Compose(PagerRecord& entry, std::string& alpha, std::string& numeric);
    void SendCall(PagerRecord& entry, const std::string& text);
    void FinishCall();
    void EndUnfinishedCall();
    void LogUntaken(std::size_t from);
    void LogCall(PagerRecord& entry, const std::string& text);
    void LogOne(PagerRecord& entry, int result, bool delivered, const std::string& text);
    void ReportFailure(int result, const PagerRecord* single);
    void Finish(bool monitorWasOpen);

    SendRunContext& m;
    ISettings& m_settings;
    int m_mode;
    CPageLog m_log;
    CRequestOutcomes m_outcomes;  // lets the spool go of each request once its pages are logged
    CPagerList m_entries;
    std::unique_ptr<IPageCall> m_call;
    int m_callPages = 0;
    int m_limit = kNoLimit;
    int m_lastResult = 0;
    bool m_failed = false;
    bool m_countersChanged = false;
    bool m_ended = false;  // a cancelled call ends the run
    // The texts of the entry being sent, composed once even when a full call makes the
    // entry wait for the next one.
    std::size_t m_composedFor = static_cast<std::size_t>(-1);
    std::string m_alpha;
    std::string m_numeric;
    std::string m_pagePort;
    std::string m_signature;  // "Append to Manual Pages"
};

void CSendRun::Run()
{
    TakeRequests();
    if (m_settings.IsOn(key::AutoMinimize)) m.view.Minimize();
    m.queue.stop = false;
    m.queue.pageInProgress = true;
    m.view.SetPageInProgress(true);

    m_pagePort = m_settings.Get(key::PagePort);
    m_signature = LoadMessages(m.files.Path("MESSAGES.DAT")).signature;
    bool monitorWasOpen = m.ports.IsMonitorOpen();
    if (m_settings.Get(key::MonitorPort) == m_pagePort) m.ports.CloseMonitorPort();
    // A page port that does not open fails the run, but SNPP and gateway pages still go.
    if (!m.ports.OpenPagePort(PortMessages(), m_settings.Get(key::PagePortBaud))) m_failed = true;

    std::size_t n = 0;
    while (n < m_entries.size() && !m.queue.stop && !m_ended) SendEntry(n);
    if (m_call) EndUnfinishedCall();
    if (m_ended && !m.queue.stop) LogUntaken(n);

    if (m_countersChanged) SavePageCounters(m.pagers, m.files);
    m_outcomes.EndRun(m.queue.stop);
    Finish(monitorWasOpen);
}

void CSendRun::TakeRequests()
{
    PageRequestList requests;
    requests.swap(m.queue.requests);
    m.view.SetQueueCount(static_cast<int>(m.queue.requests.size()));
    m_outcomes.Taken(requests, m_mode);
    for (const PageRequest& request : requests) Expand(request);
}

void CSendRun::Expand(const PageRequest& request)
{
    const std::size_t before = m_entries.size();
    auto add = [&](const PagerRecord& pager) {
        PagerRecord& entry = m_entries.Duplicate(pager);
        entry.AutoPageFlags = static_cast<std::uint16_t>(request.origin);
        entry.CustomMessage = request.message;
        if (!request.phoneOverride.empty()) entry.PhoneNumber = request.phoneOverride;
        if (!request.idOverride.empty()) entry.PagerID = request.idOverride;
        entry.DeliveryStatus = 0;
        m_outcomes.Expect(entry, request.spoolId);
    };
    // An empty name (a command without a slash) pages nobody, not every pager that
    // carries an empty group name.
    if (const PagerRecord* pager = request.name.empty() ? nullptr : m.pagers.FindByName(request.name)) {
        add(*pager);
        return;
    }
    if (!request.name.empty())
        for (const auto& pager : m.pagers.records())
            if (pager->HasGroup(request.name)) add(*pager);
    if (m_entries.size() > before) return;
    // Nothing was sent for this request: it is recorded, and the run is not confirmed.
    PagerRecord nobody;
    nobody.UserName = request.name;
    nobody.AutoPageFlags = static_cast<std::uint16_t>(request.origin);
    m_log.LogError(nobody, kNoSuchPagerOrGroup, request.message);
    m_outcomes.Settled(request.spoolId);
    m_failed = true;
}

bool CSendRun::BatchedWithNext(std::size_t n) const
{
    if (n + 1 >= m_entries.size()) return false;
    const PagerRecord& p = m_entries.at(n);
    const PagerRecord& next = m_entries.at(n + 1);
    // A numeric page is dialled at once; alphanumeric pages waiting in the call would be
    // logged with the numeric dial's result without ever being sent. So only pagers of
    // one kind share a call.
    return next.PhoneNumber == p.PhoneNumber && next.BaudRate == p.BaudRate &&
           next.AutoPageFlags == p.AutoPageFlags && next.IsNumeric() == p.IsNumeric();
}

void CSendRun::SendEntry(std::size_t& n)
{
    PagerRecord& p = m_entries.at(n);
    m.ports.EnsurePageBaud(PortMessages(), p.BaudRate);
    bool batched = BatchedWithNext(n);
    // A limit below one page would never let a call carry anything.
    if (batched) m_limit = std::max<int>(1, p.PagesPerCall);
    m.view.SetStatusField("Paging " + std::to_string(n + 1) + " of " + std::to_string(m_entries.size()) + ": " +
                          p.UserName);

    // A pager with a paging terminal of its own on the network ("tcp:") is called there.
    bool gateway = IsGatewayPort(m_pagePort) && !IsTcpLineName(p.PhoneNumber);
    if (!m_call) {
        if (IsSnppNumber(p.PhoneNumber))
            m_call = m.transports.NewSnppClient(p);
        else if (!gateway)
            m_call = m.transports.NewModemCall(p);
    }
    bool viaCall = m_call != nullptr;

    if (m_composedFor != n) {
        Compose(p, m_alpha, m_numeric);
        m_composedFor = n;
    }
    const std::string& alpha = m_alpha;
    const std::string& numeric = m_numeric;

    if (!viaCall && !gateway) {
        // No transport could be made for this pager: it is not delivered.
        m_failed = true;
        LogOne(p, kCallPortNotOpen, false, p.IsNumeric() ? numeric : alpha);
        ++n;
        return;
    }

    if (!p.IsNumeric() && viaCall) {
        ContentOptions options = ContentOptions::Read(m_settings);
        int count = CountPages(alpha, p.MaximumPageLength, m_limit, options);
        if (m_callPages > 0 && m_callPages + count > m_limit) {
            // The call is full: send it without P, then take P again in a new call.
            SendCall(p, alpha);
            FinishCall();
            return;
        }
        AddAlphaPages(*m_call, p, alpha, p.MaximumPageLength, m_limit, options, m.clock.Now());
        m_callPages += count;
        if (batched) {
            ++n;
            return;
        }
        SendCall(p, alpha);
    } else if (!p.IsNumeric()) {
        bool handed = m.transports.HandToGateway(p, alpha, true);
        if (!m.queue.stop) LogOne(p, kGatewayNotHandedOver, handed, alpha);
        if (!handed) m_failed = true;
    } else if (viaCall) {
        m_lastResult = m_call->SendNumericPage(p, numeric);
        if (m_lastResult == kCallCancelled || m_lastResult == kSnppCancelled) m_ended = true;
        if (m_lastResult != 0) ReportFailure(m_lastResult, &p);
        // A numeric page is a telephone call of its own: it is logged at once, so that a
        // batch of numeric pagers logs every one of them.
        if (!m.queue.stop) LogOne(p, m_lastResult, m_lastResult == 0, numeric);
    } else {
        bool handed = m.transports.HandToGateway(p, numeric, true);
        if (!m.queue.stop) LogOne(p, kGatewayNotHandedOver, handed, numeric);
        if (!handed) m_failed = true;
    }

    if (!batched && m_call) FinishCall();
    ++n;
}

void CSendRun::Compose(PagerRecord& entry, std::string& alpha, std::string& numeric)
{
    alpha.clear();
    numeric.clear();
    // The counter is only sent by the transports that dial or connect themselves.
    if (entry.SendPageCounter && m_call) {
        std::int16_t code = entry.Code;
        for (const auto& other : m_entries.records()) {
            if (other->Code != code) continue;
            other->PageCounter = static_cast<std::int16_t>(other->PageCounter + 1 > 999 ? 0 : other->PageCounter + 1);
        }
        numeric = std::to_string(entry.PageCounter) + entry.Separator;
        alpha = std::to_string(entry.PageCounter) + "- ";
    }
    numeric += entry.CustomMessage;
    alpha += entry.CustomMessage;
    if (!m_signature.empty() && entry.AutoPageFlags != kOriginResubmitted) alpha += " " + m_signature;
}

// entry and text: the entry being sent, which stands for a call that carries no page.
void CSendRun::SendCall(PagerRecord& entry, const std::string& text)
{
    m_lastResult = m_call->SendAlphaPages();
    m_callPages = 0;
    m_limit = kNoLimit;
    if (m_lastResult == kCallCancelled || m_lastResult == kSnppCancelled) m_ended = true;
    const std::vector<CountedPage> pages = m_call->Counted();
    bool failed = m_lastResult != 0;
    if (m_call->IsSnpp())
        for (const CountedPage& page : pages) failed = failed || page.entry->DeliveryStatus != 0;
    // The box names the pager when the call held one counted page at most.
    const PagerRecord* single = pages.size() == 1 ? pages[0].entry : pages.empty() ? &entry : nullptr;
    if (failed) ReportFailure(m_lastResult, single);
    if (!m.queue.stop) LogCall(entry, text);
}

void CSendRun::ReportFailure(int /*result*/, const PagerRecord* single)
{
    m_failed = true;
    if (!ShowBoxes()) return;
    if (m.view.IsMinimized()) m.view.Restore();
    m_call->ShowError(single);
}

void CSendRun::FinishCall()
{
    bool modem = !m_call->IsSnpp();
    m_call.reset();
    m_callPages = 0;
    m_limit = kNoLimit;
    if (modem) PauseAfterModemCall(m.pump, m.clock);
}

void CSendRun::EndUnfinishedCall()
{
    // The run ended while a batch was still being gathered: its pages never went out.
    if (!m.queue.stop)
        for (const CountedPage& page : m_call->Counted()) LogOne(*page.entry, kCallCancelled, false, page.logText);
    FinishCall();
}

void CSendRun::LogUntaken(std::size_t from)
{
    // The program is closing in the middle of the run: the pagers not reached yet are
    // recorded as cancelled, so that no request disappears without a trace.
    for (std::size_t i = from; i < m_entries.size(); ++i) {
        m_log.LogError(m_entries.at(i), kCallCancelled, m_entries.at(i).CustomMessage);
        m_outcomes.Decided(m_entries.at(i));
    }
}

void CSendRun::LogCall(PagerRecord& entry, const std::string& text)
{
    std::vector<CountedPage> pages = m_call->Counted();
    if (pages.empty()) {
        LogOne(entry, m_lastResult, m_lastResult == 0, text);
        return;
    }
    bool snpp = m_call->IsSnpp();
    // An SNPP run that never reached the server leaves every page's status at 0.
    bool snppNeverSent = snpp && m_lastResult != 0;
    for (const CountedPage& page : pages) snppNeverSent = snppNeverSent && page.entry->DeliveryStatus == 0;

    for (const CountedPage& page : pages) {
        int status = page.entry->DeliveryStatus;
        // Each SNPP page carries its own result; the run's result is only the last page's.
        int code = snpp && status != 0 ? status : m_lastResult;
        LogOne(*page.entry, code, PageDelivered(snpp, m_lastResult, status, snppNeverSent), page.logText);
    }
}

void CSendRun::LogOne(PagerRecord& entry, int result, bool delivered, const std::string& text)
{
    if (!delivered) {
        m_log.LogError(entry, result, text);
        m_outcomes.Decided(entry);
        return;
    }
    m_log.LogPage(entry, text);
    m_outcomes.Decided(entry);
    if (!entry.SendPageCounter) return;
    if (PagerRecord* pager = m.pagers.FindByCode(entry.Code)) {
        pager->PageCounter = entry.PageCounter;
        m_countersChanged = true;
    }
}

void CSendRun::Finish(bool monitorWasOpen)
{
    m.view.SetStatusField("Idle");
    m.ports.ClosePagePort();
    if (monitorWasOpen) m.ports.OpenMonitorPort(true);
    m.view.SetPageInProgress(false);
    // The run is over before its confirmation: a box that waits for someone who walked
    // away must not hold back the pages queued meanwhile or the monitors.
    m.queue.pageInProgress = false;

    if (!m_failed && m_settings.IsOn(key::ConfirmPages) && ShowBoxes()) {
        m.view.Restore();
        // One confirmation at a time: runs that end while one waits (the ticks go on
        // inside it) are in the log, not in a pile of boxes.
        if (m.queue.requests.empty() && !m.queue.confirming) {
            m.queue.confirming = true;
            m.files.messageBox.Show(IsGatewayPort(m_pagePort) ? kHandedToServerText : kDeliveredText, "Corvane",
                                    MbIcon::Information, MbButtons::Ok);
            m.queue.confirming = false;
        }
    }
    if (m_settings.IsOn(key::AutoExit)) m.view.PostExit();
}

}  // namespace

void RunQueue(SendRunContext& context, int mode)
{
    CSendRun(context, mode).Run();
}

namespace {

int SendTestThrough(IPageCall& call, PagerRecord& entry, bool numeric)
{
    if (numeric) return call.SendNumericPage(entry, "1234567");
    call.AddPage(true, entry, "Test Message", "Test Message");
    return call.SendAlphaPages();
}

void ShowResult(IPageCall* call, int result)
{
    if (call && result != 0) call->ShowError(nullptr);
}

}  // namespace

void SendTestPage(SendRunContext& c, const PagerRecord& edited)
{
    ISettings& settings = c.files.settings;
    if (c.queue.pageInProgress) {
        c.files.messageBox.Show(kPageInProgressText, "Paging Error", MbIcon::Warning, MbButtons::Ok);
        return;
    }
    c.queue.pageInProgress = true;
    c.view.SetStatus("Initializing the Paging Modem");
    std::string pagePort = settings.Get(key::PagePort);
    // A monitor modem on the same port would be closed with the page port: give the port
    // to the test and hand it back afterwards, as a send run does.
    bool monitorWasOpen = c.ports.IsMonitorOpen();
    if (settings.Get(key::MonitorPort) == pagePort) c.ports.CloseMonitorPort();
    c.ports.OpenPagePort(true, edited.BaudRate);

    PagerRecord entry = edited;
    entry.AutoPageFlags = kOriginProgram;
    if (IsSnppNumber(entry.PhoneNumber)) {
        // A numeric pager gets the digits first, on a client of their own, then the text.
        // The test shows one result, the first failure; a cancel ends it.
        int result = 0;
        std::unique_ptr<IPageCall> failed;
        if (entry.IsNumeric()) {
            auto digits = c.transports.NewSnppClient(entry);
            if (digits && (result = SendTestThrough(*digits, entry, true)) != 0) failed = std::move(digits);
        }
        if (result != kSnppCancelled) {
            auto text = c.transports.NewSnppClient(entry);
            const int textResult = text ? SendTestThrough(*text, entry, false) : 0;
            if (!failed && textResult != 0) {
                result = textResult;
                failed = std::move(text);
            }
        }
        ShowResult(failed.get(), result);
    } else if (IsGatewayPort(pagePort) && !IsTcpLineName(entry.PhoneNumber)) {
        entry.UserName = "Test Page";
        entry.MaximumPageLength = 80;
        c.transports.HandToGateway(entry, entry.IsNumeric() ? "1234567" : "Test Message", true);
    } else if (auto call = c.transports.NewModemCall(entry)) {
        ShowResult(call.get(), SendTestThrough(*call, entry, entry.IsNumeric()));
    }

    c.ports.ClosePagePort();
    if (monitorWasOpen) c.ports.OpenMonitorPort(true);
    c.queue.pageInProgress = false;
    c.view.ResetStatus();
}

}  // namespace corvane
