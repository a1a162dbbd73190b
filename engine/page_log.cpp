#include "engine/page_log.h"

#include <cerrno>
#include <clocale>
#include <fcntl.h>
#include <locale.h>
#include <unistd.h>

namespace corvane {

std::string FormatLocalTime(const char* format, std::time_t when)
{
    static locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    std::tm local {};
    localtime_r(&when, &local);
    char buffer[128];
    std::size_t n = strftime_l(buffer, sizeof buffer, format, &local, cLocale);
    return std::string(buffer, n);
}

CPageLog::CPageLog(ISettings& settings, const IClock& clock, std::string dataDir)
    : m_settings(settings), m_clock(clock), m_dataDir(std::move(dataDir))
{
}

std::string CPageLog::Timestamp() const
{
    return FormatLocalTime("%m/%d/%y %I:%M%p ", m_clock.Now());
}

std::string CPageLog::PageLogPath() const
{
    return m_settings.Get(key::LogFileName);
}

bool CPageLog::SwitchOn(const SettingKey& key) const
{
    // An absent key counts as on, whatever default a preference page shows for it.
    return m_settings.Get(key, "1") == "1";
}

void CPageLog::LogPage(const PagerRecord& entry, const std::string& text, LogSource source)
{
    const SettingKey* key = &key::LogManual;
    switch (source) {
    case LogSource::Queue: key = entry.AutoPageFlags == 2 ? &key::LogDDE : &key::LogManual; break;
    case LogSource::Mail: key = &key::LogMail; break;
    case LogSource::CallMonitor: key = &key::LogCallMonitor; break;
    case LogSource::Pim: key = &key::LogSchedulePlus; break;
    }
    if (!SwitchOn(*key)) return;
    Append(PageLogPath(), Timestamp() + entry.UserName + ": " + text);
}

void CPageLog::LogError(const PagerRecord& entry, int resultCode, const std::string& text)
{
    Append(ErrorLogPath(),
           Timestamp() + "Error " + std::to_string(resultCode) + " To " + entry.UserName + ": " + text);
}

void CPageLog::LogVoiceCall(const PagerRecord& pager, const std::string& phoneNumber)
{
    if (!SwitchOn(key::LogVoice)) return;
    Append(PageLogPath(), Timestamp() + pager.UserName + ": Voice call to " + phoneNumber);
}

void CPageLog::LogIncomingCall(const std::string& number, const std::string& name)
{
    if (!SwitchOn(key::LogCID)) return;
    Append(PageLogPath(), Timestamp() + "Incoming Call: " + number + " " + name);
}

void CPageLog::Append(const std::string& path, const std::string& line) const
{
    // Never created here: the program creates both logs at start-up, and a log the
    // user removed stays switched off until then.
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return;
    std::string record = line + "\n";
    std::size_t done = 0;
    while (done < record.size()) {
        ssize_t n = ::write(fd, record.data() + done, record.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

}  // namespace corvane
