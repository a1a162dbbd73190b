#pragma once
// One scheduled page: pagers, texts and a date and time at which the program sends by
// itself, once or repeatedly. Exactly what SCHEDS.DAT keeps of it.

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace corvane {

inline constexpr const char* kSchedulesFile = "SCHEDS.DAT";

enum ScheduleUnit : std::int16_t {
    kUnitNone = 0,  // sent once
    kUnitMinute = 1,
    kUnitHour = 2,
    kUnitDay = 3,
    kUnitWeek = 4,
    kUnitMonth = 5,
};

// Which text each pager gets when the schedule fires.
enum MessageSource : std::int16_t {
    kSourcePagerSetting = 0,  // the pager's own DefaultPageContent
    kSourcePrompt = 1,        // the schedule's own texts
    kSourceDefault = 2,       // the default messages of MESSAGES.DAT
};

struct CScheduledPage {
    std::time_t nextTime = 0;   // UTC; 32-bit in the file
    std::string alphaText;
    std::string numericText;
    std::vector<std::int32_t> pagers;  // pager Codes, in order
    std::int16_t unit = kUnitNone;
    std::int16_t interval = 0;         // below 1 counts as 1
    std::int16_t messageSource = kSourcePagerSetting;
    std::int16_t skipIfMissed = 0;
    std::int16_t remaining = 1;        // further occurrences after the next one, when limited
    std::int16_t limited = 0;          // 0: repeats without end

    bool operator==(const CScheduledPage&) const = default;
};

}  // namespace corvane
