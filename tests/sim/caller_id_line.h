#pragma once
// The phone line side of callerid-sim: what the monitor modem (or caller-ID unit) sends
// when calls come in, as a test asks for it, one directive a line:
//
//   ring             a RING report ("\r\nRING\r\n")
//   rings N MS       N RING reports MS apart (6000 on a real line)
//   send HEX         these bytes (a report made with caller_id_reports.h)
//   flood N          N bytes of text without any line end
//   wait MS          what follows comes MS later
//   vanish           the device goes away (unplugged), in the middle of whatever it sent
//
// Directives run one after another: each starts when the one before has ended, or when
// it is read, whichever is later.

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace corvane::sim {

class CCallerIdLine {
public:
    // False, with a reason, for a directive that makes no sense.
    bool Directive(const std::string& line, std::uint64_t nowMs, std::string& error);
    // The bytes that have reached the line by nowMs.
    std::string TakeDue(std::uint64_t nowMs);
    std::optional<std::uint64_t> NextEventMs() const;
    // The device has gone: everything queued before the vanish directive was sent.
    bool Vanished() const { return m_vanished; }

private:
    // Bytes, or (no value) the moment the device goes; equal times keep their order.
    void Queue(std::optional<std::string> bytes, std::uint64_t atMs) { m_out.emplace(atMs, std::move(bytes)); }

    std::multimap<std::uint64_t, std::optional<std::string>> m_out;
    std::uint64_t m_cursor = 0;
    bool m_vanished = false;
};

}  // namespace corvane::sim
