#pragma once
// The send run: takes every waiting request, expands names and groups against the
// pager list, composes and cuts the texts, batches consecutive pagers of one telephone
// call, hands the pages to their transport and logs each one.

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/main_view.h"
#include "directory/pager_list.h"
#include "engine/page_request.h"
#include "transport/page_transport.h"
#include "modem/page_ports.h"

namespace corvane {

struct SendRunContext {
    CPageQueue& queue;
    CPagerList& pagers;  // the main window's list
    const DataFiles& files;
    IPagePorts& ports;
    ITransports& transports;
    IMainView& view;
    IEventPump& pump;
    const IClock& clock;
};

// mode: 1 interactive, 2 command (boxes only without the quiet option), 3 scheduled (no boxes).
void RunQueue(SendRunContext& context, int mode);

// One test page outside the queue with the values being edited (not yet saved): digits
// "1234567" to a numeric pager, "Test Message" to an alphanumeric one. Not logged.
void SendTestPage(SendRunContext& context, const PagerRecord& edited);

// The error-log code of a request whose name is neither a pager nor a group: nothing
// was sent for it.
inline constexpr int kNoSuchPagerOrGroup = 112;

inline constexpr const char* kPageInProgressText =
    "There is a page currently in progress.  Please try again once the page has been sent.";
inline constexpr const char* kDeliveredText = "Your page(s) were delivered successfully.";
inline constexpr const char* kHandedToServerText =
    "Your page request(s) are being delivered to the paging server.";

// The page ports that hand pages to a gateway product instead of a modem.
bool IsGatewayPort(const std::string& pagePort);

}  // namespace corvane
