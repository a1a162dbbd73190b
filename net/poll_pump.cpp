#include "net/poll_pump.h"

#include <poll.h>

namespace corvane {

PumpResult CPollPump::Wait(int maxMs, int fd, bool /*takeEvents*/)
{
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, 1, maxMs > 0 ? maxMs : 0);  // a negative fd just sleeps
    return PumpResult::Continue;
}

}  // namespace corvane
