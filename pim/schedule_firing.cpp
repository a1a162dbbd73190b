#include "pim/schedule_firing.h"

#include <algorithm>

#include "engine/manual_send.h"
#include "engine/page_log.h"

namespace corvane {
namespace {

const PagerRecord* FindPager(const CPagerList& pagers, std::int32_t code)
{
    for (const auto& pager : pagers.records())
        if (pager->Code == code) return pager.get();
    return nullptr;
}

}  // namespace

int QueueScheduledPages(const CScheduledPage& page, const CPagerList& pagers, const MessageTexts& defaults,
                        CPageQueue& queue)
{
    int queued = 0;
    const PromptedTexts own{page.alphaText, page.numericText};
    for (std::int32_t code : page.pagers) {
        const PagerRecord* pager = FindPager(pagers, code);
        if (!pager) continue;  // deleted since the page was scheduled
        PagerRecord entry = *pager;
        if (page.messageSource == kSourcePrompt) entry.DefaultPageContent = "1";
        if (page.messageSource == kSourceDefault) entry.DefaultPageContent = "0";
        queue.QueueRequest(kOriginProgram, entry.UserName, "", "", ChooseMessage(entry, defaults, own),
                           kSendScheduled);
        ++queued;
    }
    // A run the user asked for keeps its own mode, and with it its message boxes.
    if (queued > 0 && queue.sendRequest == kSendNone) queue.sendRequest = kSendScheduled;
    return queued;
}

std::string ScheduleListText(const CScheduledPage& page)
{
    return FormatLocalTime("%m/%d/%y %I:%M%p", page.nextTime);
}

ScheduleDescription DescribeSchedule(const CScheduledPage& page, const CPagerList& pagers)
{
    static const char* const kUnitNames[] = {"", " minute", " hour", " day", " week", " month"};
    static const char* const kSourceNames[] = {"Pager setting", "Prompt for message", "Default setting"};
    ScheduleDescription d;
    d.alphaText = page.alphaText;
    d.numericText = page.numericText;
    if (page.unit >= kUnitMinute && page.unit <= kUnitMonth) {
        int interval = std::max<int>(1, page.interval);
        d.repeat = "Every " + std::to_string(interval) + kUnitNames[page.unit] + (interval > 1 ? "s" : "");
    }
    if (page.limited) d.count = std::to_string(page.remaining) + " more time(s)";
    if (page.skipIfMissed) d.skip = "Skip if missed";
    if (page.messageSource >= kSourcePagerSetting && page.messageSource <= kSourceDefault)
        d.source = kSourceNames[page.messageSource];
    for (std::int32_t code : page.pagers)
        if (const PagerRecord* pager = FindPager(pagers, code)) d.pagers.push_back(pager->UserName);
    return d;
}

}  // namespace corvane
