#pragma once
// One sending pass of a call-monitor page: every pager marked for call pages that does
// not have the page yet, through the transport the pager and "PagePort" select. Each
// page is logged; the pager's page counter moves on with every page it received.

#include "callmon/call_page.h"
#include "common/clock.h"
#include "common/main_view.h"
#include "directory/pager_list.h"
#include "engine/page_log.h"
#include "modem/page_ports.h"
#include "settings/settings.h"
#include "transport/page_transport.h"

namespace corvane {

struct CallPageSenderDeps {
    ISettings& settings;
    IPagePorts& ports;
    ITransports& transports;
    IMainView& view;
    CPagerList& pagers;  // the main list: the recipients, and their page counters
    const DataFiles& files;
    const IClock& clock;
    CPageLog& log;
};

class CCallPageSender {
public:
    explicit CCallPageSender(CallPageSenderDeps deps) : m(deps) {}

    // True when every recipient has the page now. The page port is opened for the pass
    // (taking the line from the monitor modem when both are one) and the monitor port is
    // open again afterwards.
    bool SendPass(PendingCallPage& page);

private:
    enum class Outcome { Delivered, Failed, FailedStop };
    Outcome SendTo(const PagerRecord& pager, const PendingCallPage& page, bool gateway);
    Outcome SendThroughCall(IPageCall& call, PagerRecord& entry, const std::string& text, bool numeric);

    CallPageSenderDeps m;
    bool m_countersChanged = false;
};

}  // namespace corvane
