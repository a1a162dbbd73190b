#pragma once
// The e-mail monitor's memory of the unread messages it has seen: each scan makes a new
// list of the inbox's unread messages, and a message is looked at only when the last
// list did not hold it as seen.

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <vector>

namespace corvane {

struct CSeenMail {
    std::uint32_t uid = 0;
    std::time_t received = 0;  // 0 while its header has not been read
    // Cleared when the message is to be looked at again at the next scan (its page
    // failed, or it could not be read).
    bool seen = true;
    // The pagers (by Code) that have its page while it waits to be paged to the others.
    std::vector<std::int16_t> paged;
};

struct CSeenMailList {
    std::uint32_t uidValidity = 0;
    std::vector<CSeenMail> entries;  // by ascending UID
    std::time_t listedAt = 0;        // when the inbox was listed

    CSeenMail* Find(std::uint32_t uid)
    {
        auto at = std::lower_bound(entries.begin(), entries.end(), uid,
                                   [](const CSeenMail& e, std::uint32_t u) { return e.uid < u; });
        return at != entries.end() && at->uid == uid ? &*at : nullptr;
    }
    const CSeenMail* Find(std::uint32_t uid) const { return const_cast<CSeenMailList*>(this)->Find(uid); }
};

}  // namespace corvane
