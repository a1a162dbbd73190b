#pragma once
// Wall time and a millisecond tick, so that the long waits of the modem and SNPP
// dialogues can run in microseconds under a fake clock in tests.

#include <cstdint>
#include <ctime>

namespace corvane {

class IClock {
public:
    virtual ~IClock() = default;
    // Seconds since 1970 (UTC); shown and logged in local time.
    virtual std::time_t Now() const = 0;
    // Monotonic milliseconds; only differences mean anything.
    virtual std::uint64_t TickMs() const = 0;
};

class CSystemClock final : public IClock {
public:
    std::time_t Now() const override;
    std::uint64_t TickMs() const override;
};

}  // namespace corvane
