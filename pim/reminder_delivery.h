#pragma once
// The pages of one calendar reminder: to every pager that receives PIM reminder pages
// (AutoPageFlags bit 2), in directory order, through the pager's own route (a gateway,
// SNPP, or the program's modem), each logged.

#include <string>

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/main_view.h"
#include "directory/pager_list.h"
#include "engine/page_request.h"
#include "modem/page_ports.h"
#include "pim/pim_reminder.h"
#include "transport/page_transport.h"

namespace corvane {

struct ReminderDeliveryContext {
    CPageQueue& queue;  // its page-in-progress flag keeps every other delivery out meanwhile
    CPagerList& pagers; // the main list: the destinations, and their page counters
    const DataFiles& files;
    IPagePorts& ports;
    ITransports& transports;
    IMainView& view;
    IEventPump& pump;
    const IClock& clock;
    std::string prefix;  // the PIM monitor's "Page Prefix"
};

enum class ReminderOutcome {
    Delivered,  // every destination has it (or there is none)
    Failed,     // some have it, some not: the others are tried again later
    Cancelled,  // the user's Cancel (or the end of monitoring) ended it
};

// Pages the pagers that do not have the reminder yet and notes those that now do.
ReminderOutcome DeliverReminder(ReminderDeliveryContext& context, CPimReminder& reminder);

}  // namespace corvane
