#pragma once
// One request as the spool keeps it on disk, little-endian:
//
//   "CVRQ"                      4 bytes
//   layout                      u16, 1
//   body length B               u32
//   body                        B bytes:
//     id                        u64 (also the file's name)
//     queued at                 i64, seconds since 1970
//     origin                    u8, 1..3
//     send mode                 u8, 0 (waits for a send) .. 3
//     pager, phone override, pager ID override, message
//                               each a u32 byte count and the bytes, unchanged
//   CRC-32 (IEEE 802.3)         u32, of everything before it
//
// A file that is not exactly one such entry, whatever the reason (cut short, a flipped
// bit, another program's file), is damaged.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/request_spool.h"

namespace corvane {

inline constexpr std::uint16_t kSpoolEntryLayout = 1;
// Far above any request the program takes (a command is at most 64 KiB): a larger body
// word is damage, not a request.
inline constexpr std::uint32_t kMaxSpoolBodyBytes = 16u * 1024 * 1024;

std::string EncodeSpoolEntry(const SpooledRequest& entry);
// False, with entry unspecified, for anything but one whole, intact entry.
bool DecodeSpoolEntry(std::string_view bytes, SpooledRequest& entry);

std::uint32_t Crc32(std::string_view bytes);

}  // namespace corvane
