#include "common/clock.h"

#include <chrono>

namespace corvane {

std::time_t CSystemClock::Now() const
{
    return std::time(nullptr);
}

std::uint64_t CSystemClock::TickMs() const
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace corvane
