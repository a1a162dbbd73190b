#pragma once
// Real serial lines for the tests: pseudo-terminals, and the monotonic clock they run by.

#include <cstdint>
#include <string>

namespace corvane::sim {

// Milliseconds of the monotonic clock, the time base of the central in real time.
std::uint64_t NowMs();

// A new pseudo-terminal in raw mode: the master (non-blocking) and an open slave, kept
// open so that the master never reads as hung up while the program has the line closed.
bool OpenPtyPair(int& master, int& slave, std::string& slavePath);

}  // namespace corvane::sim
