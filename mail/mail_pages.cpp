#include "mail/mail_pages.h"

#include <algorithm>

namespace corvane {

void MailPageSet::Add(const PagerRecord& pager, MailPage page)
{
    for (MailPagerPages& entry : pagers) {
        if (entry.pager.Code != pager.Code) continue;
        entry.pages.push_back(std::move(page));
        return;
    }
    pagers.push_back({pager, {std::move(page)}});
}

void ComposeMailPages(const CMailFilter& filter, const MatchedMail& mail, const CPagerList& pagers, MailPageSet& set,
                      const std::vector<std::int16_t>& alreadyPaged)
{
    std::string alpha = "Mail";
    if (filter.includeFrom) alpha += " From: " + mail.from;
    if (filter.includeSubject) alpha += " Sub: " + mail.subject;
    if (filter.includeBody) alpha += " Msg: " + mail.body;
    for (const auto& pager : pagers.records()) {
        if (!(pager->AutoPageFlags & kAutoMail)) continue;
        if (std::find(alreadyPaged.begin(), alreadyPaged.end(), pager->Code) != alreadyPaged.end()) continue;
        MailPage page{mail.from, pager->IsNumeric() ? filter.code : alpha,
                      pager->IsNumeric() ? 1 : std::max<int>(1, filter.maximumPages), mail.uid, false};
        // More than the pages can carry never goes out: a 64 KiB body is not kept per pager.
        if (std::size_t capacity = PageTextCapacity(*pager, page.pageLimit); capacity > 0)
            CutPageText(page.text, capacity);
        set.Add(*pager, std::move(page));
    }
}

std::string OneLineText(const std::string& text)
{
    std::string line;
    line.reserve(text.size());
    bool blank = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        // The C1 controls (U+0080 to U+009F) too: a server may give a NUL as one of them.
        const bool c1 = byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (byte <= ' ' || byte == 0x7F || c1) {
            blank = !line.empty();
            i += c1 ? 1 : 0;
            continue;
        }
        if (blank) line += ' ';
        blank = false;
        line += text[i];
    }
    return line;
}

void CutPageText(std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) return;
    std::size_t end = maxBytes;
    // Back off over the continuation bytes of the character that does not fit (three at
    // most: bytes that are not UTF-8 are cut where they are).
    auto continuation = [&](std::size_t i) { return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80; };
    for (int i = 0; i < 3 && end > 0 && continuation(end); ++i) --end;
    if (continuation(end)) end = maxBytes;
    text.resize(end);
}

std::size_t PageTextCapacity(const PagerRecord& pager, int pageLimit)
{
    if (pager.MaximumPageLength <= 0 || pageLimit <= 0) return 0;
    return static_cast<std::size_t>(pager.MaximumPageLength) * static_cast<std::size_t>(pageLimit);
}

}  // namespace corvane
