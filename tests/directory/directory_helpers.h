#pragma once
// Helpers of the directory tests.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace corvane::test {

// Data file bytes built by hand: little-endian words, and strings as a length word
// (bytes + 1), the bytes and a zero.
inline std::string W(int value)
{
    auto v = static_cast<std::uint16_t>(value);
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

inline std::string S(const std::string& text) { return W(static_cast<int>(text.size()) + 1) + text + '\0'; }

// The lock another copy of the program holds while it reads (LOCK_SH) or writes (LOCK_EX)
// the file; close the descriptor to let go.
inline int LockFile(const std::string& path, int how)
{
    int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0) << path;
    EXPECT_EQ(::flock(fd, how | LOCK_NB), 0) << path;
    return fd;
}

using Codes = std::vector<int>;

// The codes of a pager or service list, in list order.
inline Codes CodesOf(const auto& list)
{
    Codes codes;
    for (const auto& r : list.records()) codes.push_back(r->Code);
    return codes;
}

// The attributes a pager takes from its paging service (both records name them alike).
inline auto ServiceAttributes(const auto& r)
{
    return std::tuple(r.PhoneNumber, r.WaitForConnection, r.DelayTime, r.PinDelayTime, r.SystemPassword,
                      r.Separator, r.BaudRate, r.MaximumPageLength, r.PagesPerCall);
}

}  // namespace corvane::test
