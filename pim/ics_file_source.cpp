#include "pim/ics_file_source.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "common/file_io.h"

namespace corvane {
namespace {

bool IsIcsName(const std::string& name)
{
    if (name.size() < 5 || name[0] == '.') return false;
    std::string end = name.substr(name.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".ics";
}

// The files a path names: itself, or a folder's .ics files in name order. False when
// the path names nothing that can be read.
bool CalendarFiles(const std::string& path, std::vector<std::string>& files)
{
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return false;
    if (!S_ISDIR(st.st_mode)) {
        files.push_back(path);
        return true;
    }
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return false;
    std::string folder = path.back() == '/' ? path : path + "/";
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        struct stat file {};
        if (IsIcsName(name) && ::stat((folder + name).c_str(), &file) == 0 && S_ISREG(file.st_mode))
            files.push_back(folder + name);
    }
    ::closedir(dir);
    std::sort(files.begin(), files.end());
    return true;
}

}  // namespace

std::string CIcsFileSource::Connect()
{
    std::vector<std::string> files;
    return CalendarFiles(m_settings.Get(key::CalendarFiles), files) ? "" : kFilesLoadText;
}

SourceScan CIcsFileSource::Scan(std::time_t now)
{
    SourceScan scan;
    std::vector<std::string> files;
    if (!CalendarFiles(m_settings.Get(key::CalendarFiles), files)) {
        scan.read = false;
        scan.problems.push_back(kFilesLoadText);
        return scan;
    }
    // A large calendar takes a while: the shell's events (and its tick) run meanwhile.
    CCalendarReader reader({now, now + kFilesWindowSeconds, false}, m_source, [this] { m_pump.Wait(1, -1, true); });
    for (const std::string& file : files) {
        const std::string where = "the calendar file \"" + file + "\"";
        struct stat st {};
        if (::stat(file.c_str(), &st) == 0 && static_cast<std::size_t>(st.st_size) > kMaxCalendarBytes) {
            scan.problems.push_back(TooLargeText(where));
            continue;
        }
        std::string text;
        if (!ReadWholeFile(file, text)) {
            // Gone or unreadable since the folder was listed: the earlier reminders stay.
            scan.read = false;
            scan.problems.push_back(kFilesLoadText);
            continue;
        }
        NoteProblems(reader.Read(text), where, scan);
    }
    CalendarReading reading = reader.Take();
    if (reading.cut) scan.problems.push_back(RepeatsCutText("the calendar files"));
    scan.reminders = std::move(reading.reminders);
    return scan;
}

}  // namespace corvane
