#include "common/poll_pump.h"

#include <poll.h>

namespace corvane {

PumpResult CPollPump::Wait(int maxMs, int fd, bool /*takeEvents*/)
{
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, fd >= 0 ? 1 : 0, maxMs > 0 ? maxMs : 0);
    return PumpResult::Continue;
}

}  // namespace corvane
