#pragma once
// How an alphanumeric text becomes pages. Every sender cuts by this one rule, so the
// count the user is shown, the pages a call carries and the log agree.

#include <string>

#include "common/clock.h"
#include "transport/page_transport.h"
#include "settings/settings.h"

namespace corvane {

// The content options, read afresh at every use.
struct ContentOptions {
    bool time = false;       // "ContentTime": " HH:MM" after the last piece
    bool date = false;       // "ContentDate": the short date after the time, at most 8 characters
    bool upperCase = false;  // "ContentCase"
    bool reverse = false;    // "ContentReverse": the pieces go out last first
    bool hour24 = false;     // "ContentTimeFormat" "1"

    static ContentOptions Read(ISettings& settings);
    int SuffixLength() const { return (time ? 6 : 0) + (date ? 9 : 0); }
};

// The pages text needs with page length L and at most K pages per call (0 when K <= 0).
int CountPages(std::string text, int maxLength, int limit, const ContentOptions& options);

// Adds entry's pages to call: the pieces with "..." (not counted, not logged), then the
// rest with the time and date, counted and logged with the text up to the capacity.
void AddAlphaPages(IPageCall& call, PagerRecord& entry, std::string text, int maxLength, int limit,
                   const ContentOptions& options, std::time_t now);

// " HH:MM" (or " hh:MM" on the 12-hour clock) and " " + the user's short date (at most
// eight characters, for example "03/07/01") as the options ask.
std::string ContentSuffix(const ContentOptions& options, std::time_t now);

// The hint under a message box: "no pages to deliver the", "1 page to deliver the",
// "3 separate pages to deliver the". minLength is the smallest MaximumPageLength of the
// selected alphanumeric pagers (32000 when there are none).
std::string PageCountHint(std::size_t suffixLength, std::size_t messageLength, std::size_t signatureLength,
                          int minLength);

}  // namespace corvane
