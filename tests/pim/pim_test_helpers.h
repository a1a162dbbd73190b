#pragma once
// Helpers of the schedule and reminder tests: the local time zone for one test, and
// instants named by their local wall-clock time.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "pim/local_time.h"

namespace corvane::test {

// TZ for one test, put back afterwards.
class CScopedZone {
public:
    explicit CScopedZone(const std::string& zone)
    {
        if (const char* old = std::getenv("TZ")) m_old = old;
        ::setenv("TZ", zone.c_str(), 1);
        ::tzset();
    }
    ~CScopedZone()
    {
        if (m_old) ::setenv("TZ", m_old->c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }
    CScopedZone(const CScopedZone&) = delete;
    CScopedZone& operator=(const CScopedZone&) = delete;

private:
    std::optional<std::string> m_old;
};

// The instant the local clock shows as that date and time.
inline std::time_t Local(int year, int month, int day, int hour, int minute = 0, int second = 0)
{
    return ToInstant(WallTime{year, month, day, hour, minute, second});
}

}  // namespace corvane::test
