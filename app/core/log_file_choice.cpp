#include "app/core/log_file_choice.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

#include "common/file_io.h"
#include "common/message_box.h"
#include "settings/settings.h"

namespace corvane {

namespace {

std::string Normalised(const std::string& name)
{
    std::error_code error;
    std::filesystem::path path = std::filesystem::absolute(name, error);
    if (error) return name;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    return error ? path.lexically_normal().string() : canonical.string();
}

// O_CREAT | O_EXCL for a new file, so a file that appeared meanwhile is never emptied
// without the question; O_TRUNC only after the user chose Overwrite.
bool OpenAndClose(const std::string& path, int flags)
{
    int fd = ::open(path.c_str(), flags | O_WRONLY | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

LogFileResult Fail(IMessageBox& messageBox, const std::string& path)
{
    messageBox.Show("Unable to open the log file " + path + " for writing.", kLogFileErrorCaption, MbIcon::Warning,
                    MbButtons::Ok);
    return LogFileResult::Failed;
}

}  // namespace

bool SameLogFile(const std::string& current, const std::string& picked)
{
    return Normalised(current) == Normalised(picked);
}

LogFileResult ChooseLogFile(ISettings& settings, const std::string& picked,
                            const std::function<LogFileAnswer()>& ask, IMessageBox& messageBox)
{
    if (picked.empty() || SameLogFile(settings.Get(key::LogFileName), picked)) return LogFileResult::Unchanged;
    if (!FileExists(picked)) {
        if (!OpenAndClose(picked, O_CREAT | O_EXCL)) return Fail(messageBox, picked);
        settings.Write(key::LogFileName, picked);
        return LogFileResult::Created;
    }
    switch (ask()) {
    case LogFileAnswer::Overwrite:
        if (!OpenAndClose(picked, O_TRUNC)) return Fail(messageBox, picked);
        settings.Write(key::LogFileName, picked);
        return LogFileResult::Overwritten;
    case LogFileAnswer::Append:
        // Only a file the log writer will be able to add to becomes the page log.
        if (!OpenAndClose(picked, O_APPEND)) return Fail(messageBox, picked);
        settings.Write(key::LogFileName, picked);
        return LogFileResult::Appended;
    case LogFileAnswer::Cancel:
        break;
    }
    return LogFileResult::Unchanged;
}

}  // namespace corvane
