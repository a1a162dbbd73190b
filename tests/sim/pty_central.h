#pragma once
// The paging central on the far end of a real serial line: a pseudo-terminal's master side
// (or one end of a socat pair), in real time.

#include <cstdint>
#include <string>

#include "tests/sim/paging_central.h"

namespace corvane::sim {

// Milliseconds of the monotonic clock, the time base of the central in real time.
std::uint64_t NowMs();

// A new pseudo-terminal in raw mode: the master and an open slave (kept open so that the
// master never reads as hung up while the program under test has the line closed).
bool OpenPtyPair(int& master, int& slave, std::string& slavePath);

class CPtyCentral {
public:
    CPtyCentral(CPagingCentral& central, int fd) : m_central(central), m_fd(fd) {}

    // Moves what has arrived to the central and what is due to the line; false once the
    // central is gone (the device disappeared).
    bool Service();
    // How long the central can sleep, at most maxMs.
    int IdleMs(int maxMs) const;
    int Fd() const { return m_fd; }
    bool logReceived = false;  // each received chunk as "RX <ms> <bytes>", for a transcript

private:
    CPagingCentral& m_central;
    int m_fd;
    std::string m_pending;  // due but not yet taken by the line
};

}  // namespace corvane::sim
