#pragma once
// The pages one inbox scan produced: for each pager that receives e-mail monitor pages,
// the pages about the messages its filters took, in the order they were found.

#include <cstdint>
#include <string>
#include <vector>

#include "directory/pager_list.h"
#include "mail/mail_filter.h"

namespace corvane {

struct MailPage {
    std::string sender;  // for the status field: "EMail from <sender> to pager <name>"
    std::string text;    // composed; delivery puts the page number in front
    int pageLimit = 1;   // the most pages the text may be split into
    std::uint32_t message = 0;  // the message it is about
    bool failed = false;        // set by delivery: the page did not go out
};

struct MailPagerPages {
    PagerRecord pager;  // a copy: a reload of the list during delivery cannot touch it
    std::vector<MailPage> pages;
};

struct MailPageSet {
    std::vector<MailPagerPages> pagers;  // in the order the pagers first received a page

    bool empty() const { return pagers.empty(); }
    void Add(const PagerRecord& pager, MailPage page);
};

// What a matched message is composed of; each part one line of text.
struct MatchedMail {
    std::uint32_t uid = 0;
    std::string from;
    std::string subject;
    std::string body;
};

// One page per pager that receives e-mail monitor pages (AutoPageFlags bit 4), in
// directory order, but those (by Code) in alreadyPaged: "Mail" with " From: ", " Sub: "
// and " Msg: " as the filter includes them for alphanumeric pagers, the filter's code
// for numeric ones.
void ComposeMailPages(const CMailFilter& filter, const MatchedMail& mail, const CPagerList& pagers, MailPageSet& set,
                      const std::vector<std::int16_t>& alreadyPaged = {});

// A message part as a page shows it: line breaks, tabs and other control characters
// (a NUL included, and the C1 controls of UTF-8) become blanks, runs of blanks one, none
// at either end.
std::string OneLineText(const std::string& text);

// Cuts text to at most maxBytes, never inside a UTF-8 character.
void CutPageText(std::string& text, std::size_t maxBytes);

// The most a pager's text can carry in pageLimit pages; 0 when its pages have no length.
std::size_t PageTextCapacity(const PagerRecord& pager, int pageLimit);

}  // namespace corvane
