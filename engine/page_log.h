#pragma once
// The page log (delivered pages, voice calls, incoming calls) and the error log
// (failed pages with their result code). One line per record, appended; each record
// opens and closes the file, and a missing file silently disables that log.

#include <string>

#include "common/clock.h"
#include "directory/pager_record.h"
#include "settings/settings.h"

namespace corvane {

// Which switch of the page log covers a delivered page.
enum class LogSource {
    Queue,        // the send run: "LogDDE" for command origin, else "LogManual"
    Mail,         // "LogMail"
    CallMonitor,  // "LogCallMonitor"
    Pim,          // "LogSchedule+"
};

class CPageLog {
public:
    CPageLog(ISettings& settings, const IClock& clock, std::string dataDir);

    // A delivered page; a queue entry carries its request's origin in AutoPageFlags.
    void LogPage(const PagerRecord& entry, const std::string& text, LogSource source = LogSource::Queue);
    void LogError(const PagerRecord& entry, int resultCode, const std::string& text);
    void LogVoiceCall(const PagerRecord& pager, const std::string& phoneNumber);
    void LogIncomingCall(const std::string& number, const std::string& name);

    // "03/07/01 09:05AM " for the local time now, in every locale.
    std::string Timestamp() const;
    std::string PageLogPath() const;
    std::string ErrorLogPath() const { return m_dataDir + "errorlog.txt"; }

private:
    bool SwitchOn(const SettingKey& key) const;
    void Append(const std::string& path, const std::string& line) const;

    ISettings& m_settings;
    const IClock& m_clock;
    std::string m_dataDir;
};

// strftime in the C locale, for log lines and page texts that must read the same
// whatever the user's locale.
std::string FormatLocalTime(const char* format, std::time_t when);

}  // namespace corvane
