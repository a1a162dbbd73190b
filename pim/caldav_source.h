#pragma once
// The calendar server ("OutlookMonitor"): the events and tasks of the CalDAV calendar at
// "CalendarUrl" for the next 90 days, asked for with REPORT calendar-query (the server
// expands repeating items' ranges; the reminders are worked out here). The login is
// "ScheduleName" with "MailPassword". Every transfer runs through the event pump, so a
// server that hangs costs at most kTimeoutMs per request and never freezes the program.

#include <string>

#include "common/clock.h"
#include "common/event_pump.h"
#include "net/curl_session.h"
#include "pim/reminder_source.h"
#include "settings/settings.h"

namespace corvane {

inline constexpr std::time_t kServerWindowSeconds = 7776000;  // 90 days

class CCalDavSource final : public IReminderSource {
public:
    CCalDavSource(ISettings& settings, IEventPump& pump, const IClock& clock, int source);
    // The calendar can be asked only when "CalendarUrl" is an http or https address.
    std::string Connect() override;
    SourceScan Scan(std::time_t now) override;
    // libcurl's own words for why the last request reached no server, else empty.
    const std::string& TransferError() const { return m_transferError; }

    static constexpr int kTimeoutMs = 20000;

private:
    bool Report(const std::string& url, const std::string& body, std::string& answer, SourceScan& scan);

    ISettings& m_settings;
    IEventPump& m_pump;
    CCurlSession m_session;
    int m_source;
    std::string m_transferError;
};

}  // namespace corvane
