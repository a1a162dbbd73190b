#include "engine/page_route.h"

#include <algorithm>

#include "transport/page_transport.h"

namespace corvane {

bool IsSnppNumber(const std::string& phone)
{
    return phone.size() > 4 && phone.compare(0, 5, "SNPP:") == 0;
}

std::int16_t NextPageNumber(std::int16_t counter)
{
    return static_cast<std::int16_t>(counter + 1 > 999 ? 0 : counter + 1);
}

bool PageDelivered(bool snpp, int callResult, int pageStatus, bool snppNeverSent)
{
    if (snpp) return pageStatus == 0 && !snppNeverSent;
    if (callResult == 0) return true;
    // Failures that can come after blocks were acknowledged: each page by its own status
    // (the call marks every page when it failed before the first block).
    if (callResult == kCallNotAcknowledged || callResult == kCallRejected || callResult == kCallWriteError ||
        callResult == kCallCancelled)
        return pageStatus == 0;
    return false;
}

void PauseAfterModemCall(IEventPump& pump, const IClock& clock)
{
    const std::uint64_t start = clock.TickMs();
    for (std::uint64_t elapsed = 0; elapsed < kPauseAfterModemCallMs; elapsed = clock.TickMs() - start)
        pump.Wait(static_cast<int>(std::min<std::uint64_t>(kPauseAfterModemCallMs - elapsed, kPumpIntervalMs)), -1,
                  true);
}

}  // namespace corvane
