#pragma once
// Writing one report to the program's descriptor.

#include <cstdint>

namespace corvane::hook {

enum class PostResult {
    Written,
    NoTarget,  // no descriptor registered
    Full,      // the program has not read for a while: the report is dropped
    Gone,      // the descriptor is closed, or its reader is
};

// Writes one InputHookRecord to fd without ever blocking or raising SIGPIPE. Works for
// sockets (sent with MSG_DONTWAIT | MSG_NOSIGNAL) and for pipes (written only when
// poll() reports room, with SIGPIPE held back in the calling thread alone, so the
// program's own disposition of SIGPIPE stays as it is). Safe from any thread.
PostResult PostHookMessage(int fd, std::uint32_t message);

}  // namespace corvane::hook
