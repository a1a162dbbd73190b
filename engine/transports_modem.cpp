#include "engine/transports.h"

#include "common/decimal.h"
#include "engine/modem_page_call.h"
#include "modem/tcp_line.h"

namespace corvane {

// One telephone call to entry's paging service on the page port. The port is looked up
// when the call sends, so a port reopened at another speed meanwhile is the one used.
// A phone number "tcp:host:port" names the paging terminal itself: the call connects to
// it on a line of its own instead of dialling, whatever the page port is.
std::unique_ptr<IPageCall> CTransports::NewModemCall(const PagerRecord& entry)
{
    PortSource port;
    if (IsTcpLineName(entry.PhoneNumber)) {
        auto line = std::make_shared<CTcpLine>(entry.PhoneNumber);
        port = [line] { return line.get(); };
    } else {
        IPagePorts& ports = m.ports;
        port = [&ports] { return ports.PagePort(); };
    }
    ModemCallDeps deps {m.settings, m.status, m.pump, m.clock, m.messageBox};
    auto call = std::make_unique<CModemPageCall>(
        deps, m.settings.Get(key::PageInitializationString), entry.PhoneNumber, std::move(port),
        m.settings.GetInt(key::DialAttempts), ToInt(entry.WaitForConnection), ToInt(entry.DelayTime),
        entry.SystemPassword);
    call->SetDialMethod(m.settings.GetInt(key::DialingMethod));
    call->SetSpeaker(m.settings.GetInt(key::DialingSpeaker));
    return call;
}

}  // namespace corvane
