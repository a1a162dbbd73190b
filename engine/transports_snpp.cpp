#include "engine/transports.h"

namespace corvane {

// Placeholder until the SNPP client lands: no client can be made.
std::unique_ptr<IPageCall> CTransports::NewSnppClient(const PagerRecord&)
{
    return nullptr;
}

}  // namespace corvane
