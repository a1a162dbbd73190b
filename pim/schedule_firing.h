#pragma once
// A schedule's pages going onto the send queue when it fires, and how it is described in
// the Scheduled Pages window.

#include <string>
#include <vector>

#include "directory/message_texts.h"
#include "directory/pager_list.h"
#include "engine/page_request.h"
#include "pim/scheduled_page.h"

namespace corvane {

// One request (origin: this program) per pager of the schedule that still exists, with
// the text its content choice picks after the schedule's message source is applied, and
// a scheduled run asked for. Returns the number of requests queued.
int QueueScheduledPages(const CScheduledPage& page, const CPagerList& pagers, const MessageTexts& defaults,
                        CPageQueue& queue);

// The next time as the list shows it: "03/07/01 09:05AM".
std::string ScheduleListText(const CScheduledPage& page);

// The selected schedule's details.
struct ScheduleDescription {
    std::string alphaText;
    std::string numericText;
    std::string repeat;  // "Every 15 minutes", "Every 1 day"; empty when sent once
    std::string count;   // "2 more time(s)" when limited
    std::string skip;    // "Skip if missed" when set
    std::string source;  // "Pager setting", "Prompt for message", "Default setting"
    std::vector<std::string> pagers;  // the names of the pagers that still exist
};
ScheduleDescription DescribeSchedule(const CScheduledPage& page, const CPagerList& pagers);

}  // namespace corvane
