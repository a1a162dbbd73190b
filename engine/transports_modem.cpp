#include "engine/transports.h"

#include "common/decimal.h"
#include "engine/modem_page_call.h"

namespace corvane {

// One telephone call to entry's paging service on the page port. The port is looked up
// when the call sends, so a port reopened at another speed meanwhile is the one used.
std::unique_ptr<IPageCall> CTransports::NewModemCall(const PagerRecord& entry)
{
    IPagePorts& ports = m.ports;
    ModemCallDeps deps {m.settings, m.status, m.pump, m.clock, m.messageBox};
    auto call = std::make_unique<CModemPageCall>(
        deps, m.settings.Get(key::PageInitializationString), entry.PhoneNumber, [&ports] { return ports.PagePort(); },
        m.settings.GetInt(key::DialAttempts), ToInt(entry.WaitForConnection), ToInt(entry.DelayTime),
        entry.SystemPassword);
    call->SetDialMethod(m.settings.GetInt(key::DialingMethod));
    call->SetSpeaker(m.settings.GetInt(key::DialingSpeaker));
    return call;
}

}  // namespace corvane
