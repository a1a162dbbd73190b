#include "engine/transports.h"

namespace corvane {

// Placeholder until the modem page call lands: no call can be made.
std::unique_ptr<IPageCall> CTransports::NewModemCall(const PagerRecord&)
{
    return nullptr;
}

}  // namespace corvane
