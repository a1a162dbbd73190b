#include "engine/transports.h"

namespace corvane {

// The gateway products (Corvane/md, Corvane/ex, Corvane/sv) are not reachable from this
// version: the page is not handed over, and the user is told why.
bool CTransports::HandToGateway(const PagerRecord&, const std::string&, bool showErrors)
{
    if (showErrors)
        m.messageBox.Show("The page could not be handed to the gateway.  Gateway delivery is not "
                          "available in this version of Corvane.",
                          "Paging Error", MbIcon::Warning, MbButtons::Ok);
    return false;
}

}  // namespace corvane
