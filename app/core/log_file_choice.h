#pragma once
// Log Pages To: the user picks the page log file. A new file is created empty; an
// existing one is overwritten or appended to as the user answers the Log File Warning.

#include <functional>
#include <string>

namespace corvane {

class IMessageBox;
class ISettings;

inline constexpr const char* kLogPagesToTitle = "Log Pages To";
inline constexpr const char* kLogFileFilter = "Text (*.txt)";
inline constexpr const char* kLogFileWarningTitle = "Log File Warning";
inline constexpr const char* kLogFileExistsText =
    "The selected log file already exists.  What would you like do do?";
inline constexpr const char* kLogFileErrorCaption = "Log File Error";

enum class LogFileAnswer { Overwrite, Append, Cancel };

enum class LogFileResult {
    Unchanged,    // the current file again, a cancelled dialog, or Cancel in the warning
    Created,      // a new, empty file, now the page log
    Overwritten,  // an existing file emptied, now the page log
    Appended,     // an existing file kept as it was, now the page log
    Failed,       // the file could not be created or emptied: the setting is unchanged
};

// Whether picked names the file already in Log "FileName". Linux file names are
// case-sensitive, so the names are compared exactly, after both are made absolute
// (a relative current name counts from the working directory, as the log writer
// opens it).
bool SameLogFile(const std::string& current, const std::string& picked);

// The whole choice after the save dialog. ask is the Log File Warning, asked only when
// the picked file exists. Failures are reported through messageBox.
LogFileResult ChooseLogFile(ISettings& settings, const std::string& picked,
                            const std::function<LogFileAnswer()>& ask, IMessageBox& messageBox);

}  // namespace corvane
