#include "pim/schedule_file.h"

#include "directory/data_file.h"

namespace corvane {
namespace {

constexpr std::int16_t kNewestVersion = 4;

// Version 1 counted its units differently: 1 day, 2 week, 3 month, 4 year.
void ConvertVersion1Unit(CScheduledPage& page)
{
    switch (page.unit) {
    case 1: page.unit = kUnitDay; page.interval = 1; break;
    case 2: page.unit = kUnitWeek; page.interval = 1; break;
    case 3: page.unit = kUnitMonth; page.interval = 1; break;
    case 4: page.unit = kUnitMonth; page.interval = 12; break;
    default: break;
    }
}

bool ReadRecord(CDataReader& in, std::int16_t version, CScheduledPage& page)
{
    // The fields each layout added, newest first: they follow the version in this order.
    if (version == 4 && !(in.Word(page.remaining) && in.Word(page.limited))) return false;
    if ((version == 4 || version == 3) && !in.Word(page.skipIfMissed)) return false;
    if (version >= 2 && version <= 4 && !in.Word(page.interval)) return false;

    std::int32_t next = 0;
    if (!in.Dword(next) || !in.String(page.alphaText) || !in.String(page.numericText)) return false;
    page.nextTime = next;
    for (;;) {
        std::int32_t code = 0;
        if (!in.Dword(code)) return false;
        if (code == 0) break;
        page.pagers.push_back(code);
    }
    if (!in.Word(page.unit) || !in.Word(page.messageSource)) return false;
    if (version < 2 || version > 4) ConvertVersion1Unit(page);
    return true;
}

}  // namespace

ScheduleReadResult ReadSchedules(std::string_view bytes)
{
    ScheduleReadResult result;
    CDataReader in(bytes);
    std::int16_t version = 0;
    while (in.Word(version)) {
        CScheduledPage page;
        if (!ReadRecord(in, version, page)) {
            // A record cut short or with a bad string: nothing after it can be framed.
            result.damaged = true;
            return result;
        }
        result.schedules.push_back(std::move(page));
    }
    result.damaged = in.Remaining() != 0;
    return result;
}

std::string WriteSchedules(const std::vector<CScheduledPage>& schedules)
{
    CDataWriter out;
    for (const CScheduledPage& page : schedules) {
        out.Word(kNewestVersion);
        out.Word(page.remaining);
        out.Word(page.limited);
        out.Word(page.skipIfMissed);
        out.Word(page.interval);
        out.Dword(static_cast<std::int32_t>(page.nextTime));
        out.String(page.alphaText);
        out.String(page.numericText);
        for (std::int32_t code : page.pagers)
            if (code != 0) out.Dword(code);  // a 0 would end the list early
        out.Dword(0);
        out.Word(page.unit);
        out.Word(page.messageSource);
    }
    return out.bytes();
}

}  // namespace corvane
