#pragma once
// One look at the inbox: the unread messages listed against the last scan's list, the
// ones not seen before read and run through the mail filters, and the pages composed
// for the messages a filter took. Delivery and the mark-read are the monitor's.
//
// Only what is new costs anything: the listing gives UIDs alone, headers are read only
// for messages not seen before, and a body only when a filter needs it.

#include <cstdint>
#include <ctime>
#include <vector>

#include "directory/pager_list.h"
#include "mail/mail_filter_list.h"
#include "mail/mail_inbox.h"
#include "mail/mail_pages.h"
#include "mail/seen_mail.h"
#include "settings/settings.h"

namespace corvane {

// Mail older than this is never paged.
inline constexpr std::time_t kMailPageAgeSeconds = 43200;

struct InboxScanDeps {
    IMailInbox& inbox;
    const CMailFilterList& filters;
    const CPagerList& pagers;  // the destinations: AutoPageFlags bit 4
    ISettings& settings;
};

struct InboxScanOutcome {
    // Not kMailOk: the scan was cut off (the server failed or went away) and nothing of
    // it counts; the last list stays, and the next scan looks again.
    int status = 0;
    CSeenMailList list;
    MailPageSet pages;
    std::vector<std::uint32_t> dealtWith;  // messages read and taken or passed over by the filters
};

// old: the last scan's list; null when there is none, and then mail received after
// newSince is new (newSince 0: none is, the inbox is only remembered).
InboxScanOutcome ScanInbox(const InboxScanDeps& deps, const CSeenMailList* old, std::time_t newSince,
                           std::time_t now);

// Mail from the gateway's own address ("MailAddress") whose subject starts with "CVMD"
// is the gateway's status reply and never pages.
bool IsGatewayReply(const MailHeader& header, const std::string& gatewayAddress);

}  // namespace corvane
