#pragma once
// The calendar files ("SPlusMonitor"): the reminders of the .ics files named by "CalendarFiles" (one
// file, or a folder whose *.ics files are read), for the next 60 days.

#include <string>

#include "common/event_pump.h"
#include "pim/reminder_source.h"
#include "settings/settings.h"

namespace corvane {

inline constexpr std::time_t kFilesWindowSeconds = 5184000;  // 60 days

class CIcsFileSource final : public IReminderSource {
public:
    CIcsFileSource(ISettings& settings, IEventPump& pump, int source)
        : m_settings(settings), m_pump(pump), m_source(source)
    {
    }
    std::string Connect() override;
    SourceScan Scan(std::time_t now) override;

private:
    ISettings& m_settings;
    IEventPump& m_pump;
    int m_source;
};

}  // namespace corvane
