#include "mail/inbox_scan.h"

#include "mail/mail_status.h"

namespace corvane {
namespace {

class CInboxScan {
public:
    CInboxScan(const InboxScanDeps& deps, std::time_t now) : m(deps), m_now(now) {}

    InboxScanOutcome Run(const CSeenMailList* old, std::time_t newSince)
    {
        InboxListing listing;
        if (Failed(m.inbox.ListUnread(listing))) return std::move(m_out);
        m_out.list.uidValidity = listing.uidValidity;
        m_out.list.listedAt = m_now;
        m_out.list.entries.reserve(listing.unread.size());
        // UIDs name other messages once the mailbox has been made anew.
        if (old && old->uidValidity != listing.uidValidity) {
            newSince = old->listedAt;
            old = nullptr;
        }

        std::vector<std::uint32_t> unknown;  // whose header is needed
        for (std::uint32_t uid : listing.unread) {
            CSeenMail entry{uid, 0, true, {}};
            const CSeenMail* before = old ? old->Find(uid) : nullptr;
            if (before) entry.received = before->received;
            if (before && !before->seen) entry.paged = before->paged;
            // Looked at when the last list did not hold it as seen; without a last list,
            // only when it may have come in after newSince.
            if (old ? !(before && before->seen) : newSince != 0) unknown.push_back(uid);
            m_out.list.entries.push_back(entry);
        }
        if (unknown.empty()) return std::move(m_out);

        std::vector<MailHeader> headers;
        if (Failed(m.inbox.ReadHeaders(unknown, headers))) return std::move(m_out);
        // A message that went between the listing and the headers is looked at again if
        // it comes back (it will not, but nothing is lost by saying so).
        for (std::uint32_t uid : unknown) m_out.list.Find(uid)->seen = false;
        m_gatewayAddress = m.settings.Get(key::MailAddress);
        for (const MailHeader& header : headers) {
            CSeenMail* entry = m_out.list.Find(header.uid);
            if (!entry) continue;
            entry->received = header.received;
            entry->seen = true;
            if (!old && header.received != 0 && header.received <= newSince) continue;  // it was there before
            if (!Recent(header.received)) continue;
            if (!Examine(header, *entry)) return std::move(m_out);
        }
        return std::move(m_out);
    }

private:
    bool Failed(int status)
    {
        m_out.status = status;
        return status != kMailOk;
    }

    // A received time the server could not give counts as recent.
    bool Recent(std::time_t received) const { return received == 0 || m_now - received < kMailPageAgeSeconds; }

    // False when the scan is cut off.
    bool Examine(const MailHeader& header, CSeenMail& entry)
    {
        MailFields fields{header.sender, header.subject, "", header.to};
        const bool bodyTested = m.filters.AnyTestsBody();
        bool bodyRead = false;
        if (bodyTested && !ReadBody(header.uid, entry, fields.body, bodyRead)) return false;
        if (bodyTested && !bodyRead) return true;
        // A copy: the body is read through the event pump, and the Mail Filters dialog may
        // replace the list meanwhile.
        const CMailFilter* match = m.filters.Match(fields, m_now);
        if (!match) {
            m_out.dealtWith.push_back(header.uid);
            return true;
        }
        const CMailFilter filter = *match;
        if (filter.includeBody && !bodyTested) {
            if (!ReadBody(header.uid, entry, fields.body, bodyRead)) return false;
            if (!bodyRead) return true;
        }
        m_out.dealtWith.push_back(header.uid);
        if (IsGatewayReply(header, m_gatewayAddress)) return true;
        ComposeMailPages(filter, {header.uid, OneLineText(header.sender), OneLineText(header.subject),
                                   OneLineText(fields.body)},
                         m.pagers, m_out.pages, entry.paged);
        return true;
    }

    // False when the scan is cut off; a message gone meanwhile is not read (read false)
    // and is looked at again should it come back.
    bool ReadBody(std::uint32_t uid, CSeenMail& entry, std::string& body, bool& read)
    {
        MailMessage message;
        const int status = m.inbox.Peek(uid, message);
        read = status == kMailOk;
        if (status == kMailNoMessages) {
            entry.seen = false;
            return true;
        }
        if (Failed(status)) return false;
        body = std::move(message.body);
        return true;
    }

    const InboxScanDeps& m;
    std::time_t m_now;
    std::string m_gatewayAddress;
    InboxScanOutcome m_out;
};

}  // namespace

InboxScanOutcome ScanInbox(const InboxScanDeps& deps, const CSeenMailList* old, std::time_t newSince, std::time_t now)
{
    return CInboxScan(deps, now).Run(old, newSince);
}

bool IsGatewayReply(const MailHeader& header, const std::string& gatewayAddress)
{
    return header.senderAddress == gatewayAddress && header.subject.compare(0, 4, "CVMD") == 0;
}

}  // namespace corvane
