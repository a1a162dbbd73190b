#pragma once
// The pending requests as the command socket lists them, for corvane-ctl --queue.
//
//   request:  "QUEUE <after>\n"      the requests whose id is above <after> (0: from the first)
//   answer:   one line per request, in the order they were accepted:
//             <id> TAB <state> TAB <queued at> TAB <origin> TAB <pager> TAB <phone> TAB <pager ID> TAB <message> LF
//             then "END\n", or "MORE\n" when the client is to ask again after the last id it got.
//
// state is "waiting" (for a send), "queued" (for the next send run) or "sending" (in the run
// under way); "unkept" is added after it, as in "queued unkept", for a request the spool
// could not write (it is held in memory only). queued at is in seconds since 1970, origin
// 1 (this program), 2 (a command) or 3 (resubmitted). In the four texts a backslash is
// written "\\" and every byte below 0x20 and 0x7F as "\xHH"; other bytes pass unchanged.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/request_spool.h"

namespace corvane {

// One answer holds about this many bytes (at least one request, whatever its size).
inline constexpr std::size_t kQueueAnswerBudget = 32 * 1024;

std::string EncodeQueueRequest(std::uint64_t after);
// False when line (without its LF) is not a QUEUE request.
bool DecodeQueueRequest(const std::string& line, std::uint64_t& after);

std::string EncodeQueueAnswer(const std::vector<SpooledRequest>& pending, std::uint64_t after,
                              std::size_t budget = kQueueAnswerBudget);
// Appends the answer's requests; false for an answer cut short or not of this form.
bool DecodeQueueAnswer(const std::string& answer, std::vector<SpooledRequest>& into, bool& more);

std::string EscapeListingText(const std::string& text);
std::string QueueStateName(const SpooledRequest& request);

}  // namespace corvane
