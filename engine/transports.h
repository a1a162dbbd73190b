#pragma once
// The real transports behind the send run: the modem page call on the page port, the
// SNPP client, and the gateways.

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/message_box.h"
#include "common/status_line.h"
#include "transport/page_transport.h"
#include "modem/page_ports.h"
#include "settings/settings.h"

namespace corvane {

class CMailSystem;

struct TransportDeps {
    ISettings& settings;
    IPagePorts& ports;
    IStatusLine* status;  // may be null
    IEventPump& pump;
    const IClock& clock;
    IMessageBox& messageBox;
    CMailSystem* mail = nullptr;  // the gateway mail of "MD" and "EX"; none: not logged on
};

class CTransports : public ITransports {
public:
    explicit CTransports(TransportDeps deps) : m(deps) {}
    std::unique_ptr<IPageCall> NewModemCall(const PagerRecord& entry) override;   // transports_modem.cpp
    std::unique_ptr<IPageCall> NewSnppClient(const PagerRecord& entry) override;  // transports_snpp.cpp
    bool HandToGateway(const PagerRecord& entry, const std::string& text,
                       bool showErrors) override;                                 // transports_gateway.cpp

private:
    TransportDeps m;
};

}  // namespace corvane
