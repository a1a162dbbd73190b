#include "engine/transports.h"

#include "net/snpp_client.h"

namespace corvane {

// One client per SNPP call: the server named by the entry's "SNPP:" PhoneNumber, with
// as many further attempts as the modem gets dials. A login named there without its
// password uses the service's password.
std::unique_ptr<IPageCall> CTransports::NewSnppClient(const PagerRecord& entry)
{
    SnppClientDeps deps{m.status, m.pump, m.clock, m.messageBox};
    return std::make_unique<CSnppClient>(deps, entry.PhoneNumber, m.settings.GetInt(key::DialAttempts),
                                         entry.SystemPassword);
}

}  // namespace corvane
