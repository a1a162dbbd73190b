#pragma once
// The records of the page spool's journal, back to back, little-endian:
//
//   "CVRQ"                      4 bytes, the mark a reader finds a record by
//   kind                        u8: 1 request, 2 send mode, 3 released
//   body length B               u32
//   body                        B bytes
//   CRC-32 (IEEE 802.3)         u32, of everything before it in the record
//
//   request:    id u64, queued at i64 (seconds since 1970), origin u8 (1..3),
//               send mode u8 (0 waits for a send, else the run's mode 1..3), then the pager,
//               phone override, pager ID override and message, each a u32 byte count and
//               the bytes, unchanged
//   send mode:  id u64, send mode u8 (1..3): a request that waited is now to be sent
//   released:   id u64: every page of the request has its outcome logged
//
// A record is taken only whole and intact; anything else is damage (or, at the very
// end, a record whose writing a crash cut off before it was acknowledged).

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/request_spool.h"

namespace corvane {

inline constexpr std::string_view kJournalMark = "CVRQ";

enum class JournalKind : std::uint8_t { Request = 1, SendMode = 2, Released = 3 };

struct JournalRecord {
    JournalKind kind = JournalKind::Request;
    SpooledRequest request;  // the request, or only its id (and send mode)
};

enum class RecordRead {
    Whole,       // a record; size says how many bytes it took
    Incomplete,  // the bytes end before the record would: what a cut-off append leaves
    Damaged,     // not a record that starts here
};

// Far above any request the program takes (a command is at most 64 KiB): a larger body
// length is damage, not a request.
inline constexpr std::uint32_t kMaxJournalBodyBytes = 16u * 1024 * 1024;

std::string EncodeRequestRecord(const SpooledRequest& request);
std::string EncodeSendModeRecord(std::uint64_t id, int sendMode);
std::string EncodeReleasedRecord(std::uint64_t id);

// Reads the record that starts at bytes[0].
RecordRead ReadJournalRecord(std::string_view bytes, JournalRecord& record, std::size_t& size);

std::uint32_t Crc32(std::string_view bytes);

}  // namespace corvane
