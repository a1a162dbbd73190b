#include "tests/sim/sim_port.h"

#include <algorithm>
#include <cstring>

namespace corvane::sim {

void CSimPort::Write(std::string_view bytes)
{
    writes.push_back({m_clock.TickMs(), std::string(bytes)});
    if (m_central.Gone()) {
        m_errors |= kCommIoError;
        return;
    }
    if (failWritesFrom > 0 && static_cast<int>(writes.size()) >= failWritesFrom) {
        m_errors |= failFlags;
        return;
    }
    m_central.Receive(bytes, m_clock.TickMs());
}

std::size_t CSimPort::Read(char* buffer, std::size_t max)
{
    if (m_central.Gone()) return 0;
    m_inbox += m_central.TakeDue(m_clock.TickMs());
    std::size_t n = std::min(max, m_inbox.size());
    std::memcpy(buffer, m_inbox.data(), n);
    m_inbox.erase(0, n);
    return n;
}

unsigned CSimPort::TakeErrors()
{
    unsigned errors = m_errors | extraErrors;
    m_errors = 0;
    if (m_central.Gone()) errors |= kCommIoError;
    return errors;
}

void CSimPort::Purge(bool /*transmit*/, bool receive)
{
    if (!receive) return;
    ++receivePurges;
    m_inbox.clear();
    m_central.DropDue(m_clock.TickMs());
}

bool CSimPort::HasData()
{
    if (m_central.Gone()) return false;
    return !m_inbox.empty() || m_central.HasDue(m_clock.TickMs());
}

std::string CSimPort::AllWritten() const
{
    std::string all;
    for (const auto& w : writes) all += w.bytes;
    return all;
}

std::uint64_t CSimPort::WriteTime(const std::string& bytes, int nth) const
{
    for (const auto& w : writes)
        if (w.bytes == bytes && --nth == 0) return w.atMs;
    return 0;
}

int CSimPort::CountWrites(const std::string& bytes) const
{
    int count = 0;
    for (const auto& w : writes) count += w.bytes == bytes;
    return count;
}

}  // namespace corvane::sim
