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

// A new pair whose slave appears at link whole or not at all (tests wait for the link):
// the master in fd, the slave kept open in slave.
bool OpenLinkedPty(const std::string& link, int& fd, int& slave);

// One end of an existing pair (socat), non-blocking and raw; -1 when it cannot be opened.
int OpenRawDevice(const std::string& device);

}  // namespace corvane::sim
