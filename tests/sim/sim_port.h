#pragma once
// The paging central behind the byte-port interface, in-process: what the page call
// writes reaches the central at the clock's time, and the central's replies become
// readable when the clock reaches their time. With CFakePump, set
// pump.ready = [&] { return port.ReadyFor(pump.lastFd); } so that time stands still
// while replies wait (and only for waits on this port: a pause does not read it).

#include <cstdint>
#include <string>
#include <vector>

#include "common/clock.h"
#include "modem/byte_port.h"
#include "tests/sim/paging_central.h"

namespace corvane::sim {

class CSimPort : public IBytePort {
public:
    CSimPort(CPagingCentral& central, const IClock& clock) : m_central(central), m_clock(clock) {}

    void Write(std::string_view bytes) override;
    std::size_t Read(char* buffer, std::size_t max) override;
    unsigned TakeErrors() override;
    void Purge(bool transmit, bool receive) override;
    void ClearBreak() override { ++breaksCleared; }
    // Not a real descriptor: a number the fake pump's `ready` hook can recognise.
    static constexpr int kFd = 9999;
    int Fd() const override { return kFd; }

    bool HasData();
    bool ReadyFor(int fd) { return fd == kFd && HasData(); }

    struct Written {
        std::uint64_t atMs;
        std::string bytes;
    };
    std::vector<Written> writes;
    std::string AllWritten() const;
    // The time of the n-th write (1-based) that equals bytes, or 0.
    std::uint64_t WriteTime(const std::string& bytes, int nth = 1) const;
    int CountWrites(const std::string& bytes) const;

    // Faults: from the n-th write on (1-based), every write records these flags.
    int failWritesFrom = 0;
    unsigned failFlags = kCommTxFull;
    unsigned extraErrors = 0;  // reported with every TakeErrors (for example the parity flag)
    int breaksCleared = 0;
    int receivePurges = 0;

private:
    CPagingCentral& m_central;
    const IClock& m_clock;
    std::string m_inbox;
    unsigned m_errors = 0;
};

}  // namespace corvane::sim
