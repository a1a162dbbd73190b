#pragma once
// Reading the library's reports in tests.

#include <cstdint>
#include <vector>

#include <poll.h>
#include <sys/socket.h>

#include "inputhook/inputhook.h"

namespace corvane::test {

// The next report on fd, waiting at most timeoutMs; 0 when none came.
inline std::uint32_t NextReport(int fd, int timeoutMs)
{
    pollfd wait{fd, POLLIN, 0};
    if (poll(&wait, 1, timeoutMs) != 1) return 0;
    InputHookRecord record{};
    if (recv(fd, &record, sizeof record, MSG_DONTWAIT) != static_cast<ssize_t>(sizeof record)) return 0;
    return record.message;
}

// Every report already there, without waiting.
inline std::vector<std::uint32_t> ReportsWaiting(int fd)
{
    std::vector<std::uint32_t> reports;
    while (const std::uint32_t report = NextReport(fd, 0)) reports.push_back(report);
    return reports;
}

}  // namespace corvane::test
