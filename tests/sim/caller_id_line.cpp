#include "tests/sim/caller_id_line.h"

#include <sstream>

#include "tests/sim/caller_id_reports.h"

namespace corvane::sim {

bool CCallerIdLine::Directive(const std::string& line, std::uint64_t nowMs, std::string& error)
{
    std::istringstream words(line);
    std::string directive, argument;
    long n = -1, ms = -1;
    if (!(words >> directive)) return true;
    m_cursor = std::max(m_cursor, nowMs);
    if (directive == "ring") {
        Queue(kRingLine, m_cursor);
    } else if (directive == "rings" && (words >> n >> ms) && n > 0 && ms >= 0) {
        for (long i = 0; i < n; ++i) Queue(kRingLine, m_cursor + static_cast<std::uint64_t>(i * ms));
        m_cursor += static_cast<std::uint64_t>((n - 1) * ms);
    } else if (directive == "send" && (words >> argument) && argument.size() % 2 == 0) {
        Queue(FromHex(argument), m_cursor);
    } else if (directive == "flood" && (words >> n) && n > 0) {
        Queue(std::string(static_cast<std::size_t>(n), 'X'), m_cursor);
    } else if (directive == "wait" && (words >> ms) && ms >= 0) {
        m_cursor += static_cast<std::uint64_t>(ms);
    } else if (directive == "vanish") {
        Queue(std::nullopt, m_cursor);
    } else {
        error = "cannot use \"" + line + "\"";
        return false;
    }
    return true;
}

std::string CCallerIdLine::TakeDue(std::uint64_t nowMs)
{
    std::string due;
    while (!m_vanished && !m_out.empty() && m_out.begin()->first <= nowMs) {
        if (m_out.begin()->second)
            due += *m_out.begin()->second;
        else
            m_vanished = true;
        m_out.erase(m_out.begin());
    }
    return due;
}

std::optional<std::uint64_t> CCallerIdLine::NextEventMs() const
{
    if (m_out.empty()) return std::nullopt;
    return m_out.begin()->first;
}

}  // namespace corvane::sim
