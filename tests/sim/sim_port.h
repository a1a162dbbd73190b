#pragma once
// The paging central behind the byte-port interface, in-process: what the page call writes
// reaches the central at the clock's time, and its replies become readable when the clock
// reaches their time. With CFakePump, set pump.ready = [&] { return port.ReadyFor(pump.lastFd); }
// so that time stands still while replies wait (and only for waits on this port).

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/clock.h"
#include "modem/byte_port.h"
#include "tests/sim/paging_central.h"

namespace corvane::sim {

class CSimPort : public IBytePort {
public:
    CSimPort(CPagingCentral& central, const IClock& clock) : m_central(central), m_clock(clock) {}

    void Write(std::string_view bytes) override
    {
        writes.push_back({m_clock.TickMs(), std::string(bytes)});
        if (m_central.Gone()) m_errors |= kCommIoError;
        else if (failWritesFrom > 0 && static_cast<int>(writes.size()) >= failWritesFrom) m_errors |= failFlags;
        else m_central.Receive(bytes, m_clock.TickMs());
    }
    std::size_t Read(char* buffer, std::size_t max) override
    {
        if (m_central.Gone()) return 0;
        m_inbox += m_central.TakeDue(m_clock.TickMs());
        const std::size_t n = std::min(max, m_inbox.size());
        std::memcpy(buffer, m_inbox.data(), n);
        m_inbox.erase(0, n);
        return n;
    }
    unsigned TakeErrors() override
    {
        const unsigned errors = m_errors | extraErrors | (m_central.Gone() ? kCommIoError : 0);
        m_errors = 0;
        return errors;
    }
    void Purge(bool, bool receive) override
    {
        if (!receive) return;
        ++receivePurges;
        m_inbox.clear();
        m_central.TakeDue(m_clock.TickMs());
    }
    void ClearBreak() override { ++breaksCleared; }
    // Not a real descriptor: a number the fake pump's `ready` hook can recognise.
    static constexpr int kFd = 9999;
    int Fd() const override { return kFd; }
    bool ReadyFor(int fd)
    {
        return fd == kFd && !m_central.Gone() && (!m_inbox.empty() || m_central.HasDue(m_clock.TickMs()));
    }

    struct Written {
        std::uint64_t atMs;
        std::string bytes;
    };
    std::vector<Written> writes;
    // The time of the n-th write (1-based) that equals bytes, or 0.
    std::uint64_t WriteTime(const std::string& bytes, int nth = 1) const
    {
        for (const auto& w : writes)
            if (w.bytes == bytes && --nth == 0) return w.atMs;
        return 0;
    }
    int CountWrites(const std::string& bytes) const
    {
        return static_cast<int>(std::count_if(writes.begin(), writes.end(), [&](const Written& w) { return w.bytes == bytes; }));
    }

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
