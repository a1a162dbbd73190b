#include "settings/ini_settings.h"

#include "common/file_io.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace corvane {
namespace {

// Another program holds the lock only while it rewrites a file of a few kilobytes; a
// lock still taken after this long belongs to a program that hangs, and the write fails.
constexpr auto kLockWait = std::chrono::seconds(5);

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

void AppendHex(std::string& out, unsigned char c)
{
    static const char kDigits[] = "0123456789ABCDEF";
    out += "\\x";
    out += kDigits[c >> 4];
    out += kDigits[c & 0x0F];
}

// The escapes common to values and names; a name escapes a few more bytes, the ones that
// would make its line read as a comment, a section or a different key.
std::string Escape(std::string_view text, bool name)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        bool edge = i == 0 || i + 1 == text.size();
        switch (c) {
        case '\\': out += "\\\\"; continue;
        case '\n': out += "\\n"; continue;
        case '\r': out += "\\r"; continue;
        case '\t': out += "\\t"; continue;
        case '\0': out += "\\0"; continue;
        default: break;
        }
        bool control = c < 0x20 || c == 0x7F;
        bool nameSpecial = name && (c == '=' || c == '[' || c == ']' || c == ';' || c == '#' ||
                                    c == '"' || (c == ' ' && edge));
        if (control || nameSpecial)
            AppendHex(out, c);
        else
            out += static_cast<char>(c);
    }
    return out;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One line of the file as it stands, and what it means when it holds a value.
struct IniLine {
    std::string raw;
    bool isEntry = false;
    std::string key;
    std::string value;
};

struct IniSection {
    std::string name;
    bool hasHeader = false;  // false only for the lines before the first section
    std::vector<IniLine> lines;
};

// A parsed file that is written back with every line it had, changed only where a value
// was set or removed.
class CIniDocument {
public:
    explicit CIniDocument(std::string_view text);
    std::string Text() const;
    const std::string* Find(std::string_view section, std::string_view key) const;
    // Both report whether the document changed.
    bool Set(std::string_view section, std::string_view key, std::string_view value);
    bool Remove(std::string_view section, std::string_view key);

private:
    void AddLine(std::string_view line);
    std::vector<IniSection> m_sections;
};

CIniDocument::CIniDocument(std::string_view text)
{
    m_sections.emplace_back();
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // hand-edited CRLF
        AddLine(line);
    }
}

void CIniDocument::AddLine(std::string_view line)
{
    IniLine entry;
    entry.raw = std::string(line);
    std::string_view body = Trim(line);
    if (!body.empty() && body.front() == '[') {
        std::size_t close = body.find(']');
        if (close != std::string_view::npos) {
            IniSection section;
            section.name = CIniSettings::Unescape(Trim(body.substr(1, close - 1)));
            section.hasHeader = true;
            section.lines.push_back(std::move(entry));  // the header line itself
            m_sections.push_back(std::move(section));
            return;
        }
    }
    bool comment = body.empty() || body.front() == ';' || body.front() == '#';
    std::size_t equals = body.find('=');
    if (!comment && equals != std::string_view::npos) {
        std::string_view value = Trim(body.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        entry.isEntry = true;
        entry.key = CIniSettings::Unescape(Trim(body.substr(0, equals)));
        entry.value = CIniSettings::Unescape(value);
    }
    m_sections.back().lines.push_back(std::move(entry));
}

std::string CIniDocument::Text() const
{
    std::string text;
    for (const auto& section : m_sections)
        for (const auto& line : section.lines) text += line.raw + "\n";
    return text;
}

const std::string* CIniDocument::Find(std::string_view section, std::string_view key) const
{
    for (const auto& s : m_sections) {
        if (!s.hasHeader || s.name != section) continue;
        for (const auto& line : s.lines)
            if (line.isEntry && line.key == key) return &line.value;
    }
    return nullptr;
}

bool CIniDocument::Set(std::string_view section, std::string_view key, std::string_view value)
{
    IniLine entry;
    entry.isEntry = true;
    entry.key = std::string(key);
    entry.value = std::string(value);
    entry.raw = CIniSettings::EscapeName(key) + "=" + CIniSettings::EscapeValue(value);

    IniSection* first = nullptr;
    for (auto& s : m_sections) {
        if (!s.hasHeader || s.name != section) continue;
        if (!first) first = &s;
        for (auto& line : s.lines) {
            if (!line.isEntry || line.key != key) continue;
            if (line.value == value) return false;
            line = std::move(entry);
            return true;
        }
    }
    if (!first) {
        // A blank line before a new section keeps the file readable by eye.
        const auto& last = m_sections.back().lines;
        if (!last.empty() && !Trim(last.back().raw).empty()) m_sections.back().lines.push_back(IniLine{});
        IniSection added;
        added.name = std::string(section);
        added.hasHeader = true;
        IniLine header;
        header.raw = "[" + CIniSettings::EscapeName(section) + "]";
        added.lines.push_back(std::move(header));
        m_sections.push_back(std::move(added));
        first = &m_sections.back();
    }
    // After the section's last value, ahead of the blank lines that part it from the next.
    auto& lines = first->lines;
    std::size_t at = lines.size();
    while (at > 1 && !lines[at - 1].isEntry && Trim(lines[at - 1].raw).empty()) --at;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    return true;
}

bool CIniDocument::Remove(std::string_view section, std::string_view key)
{
    bool changed = false;
    for (auto& s : m_sections) {
        if (!s.hasHeader || s.name != section) continue;
        std::erase_if(s.lines, [&](const IniLine& line) {
            bool match = line.isEntry && line.key == key;
            changed = changed || match;
            return match;
        });
    }
    return changed;
}

std::string DirectoryOf(const std::string& path)
{
    return path.substr(0, path.rfind('/'));
}

// mkdir -p; false when a part of the path is not a folder or cannot be created.
bool MakeDirectories(const std::string& dir, mode_t mode)
{
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') continue;
        std::string part = dir.substr(0, pos);
        if (::mkdir(part.c_str(), mode) == 0) continue;
        struct stat st {};
        if (::stat(part.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    }
    return true;
}

bool LockWithin(int fd)
{
    auto deadline = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

class CLockFile {
public:
    explicit CLockFile(const std::string& path, mode_t mode)
        : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, mode))
    {
        m_locked = m_fd >= 0 && LockWithin(m_fd);
    }
    ~CLockFile()
    {
        if (m_fd >= 0) ::close(m_fd);  // closing releases the lock
    }
    CLockFile(const CLockFile&) = delete;
    CLockFile& operator=(const CLockFile&) = delete;
    bool locked() const { return m_locked; }

private:
    int m_fd;
    bool m_locked = false;
};

std::string HomeDirectory()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::string UserConfigRoot()
{
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    return HomeDirectory() + "/.config";
}

std::string MachineConfigRoot()
{
    const char* dir = std::getenv("CORVANE_SYSCONFDIR");
    return dir && *dir ? dir : "/etc/xdg";
}

std::string FileNameOf(std::string title)
{
    for (char& c : title)
        if (c == '/' || c == '\0') c = '_';
    return title + ".ini";
}

}  // namespace

CIniSettings::CIniSettings(const std::string& title)
    : m_userFile(UserConfigRoot() + "/Tarnwick/" + FileNameOf(title)),
      m_machineFile(MachineConfigRoot() + "/Tarnwick/" + FileNameOf(title))
{
}

std::string CIniSettings::EscapeValue(std::string_view value)
{
    std::string text = Escape(value, false);
    bool quote = !text.empty() && (text.front() == ' ' || text.back() == ' ' || text.front() == '"');
    return quote ? "\"" + text + "\"" : text;
}

std::string CIniSettings::EscapeName(std::string_view name)
{
    return Escape(name, true);
}

std::string CIniSettings::Unescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        char next = text[i + 1];
        switch (next) {
        case '\\': out += '\\'; ++i; continue;
        case 'n': out += '\n'; ++i; continue;
        case 'r': out += '\r'; ++i; continue;
        case 't': out += '\t'; ++i; continue;
        case '0': out += '\0'; ++i; continue;
        case 'x':
            if (i + 3 < text.size() && HexValue(text[i + 2]) >= 0 && HexValue(text[i + 3]) >= 0) {
                out += static_cast<char>(HexValue(text[i + 2]) * 16 + HexValue(text[i + 3]));
                i += 3;
                continue;
            }
            break;
        default: break;
        }
        out += c;  // an unknown escape stands as written
    }
    return out;
}

std::optional<std::string> CIniSettings::Read(SettingScope scope, std::string_view section,
                                              std::string_view key)
{
    std::string text;
    if (!ReadWholeFile(FileOf(scope), text)) return std::nullopt;
    CIniDocument doc(text);
    if (const std::string* value = doc.Find(section, key)) return *value;
    return std::nullopt;
}

bool CIniSettings::Store(SettingScope scope, std::string_view section, std::string_view key,
                         std::string_view value)
{
    return Modify(scope, section, key, &value);
}

bool CIniSettings::Erase(SettingScope scope, std::string_view section, std::string_view key)
{
    return Modify(scope, section, key, nullptr);
}

bool CIniSettings::Modify(SettingScope scope, std::string_view section, std::string_view key,
                          const std::string_view* value)
{
    const std::string& path = FileOf(scope);
    bool user = scope == SettingScope::User;
    // The user file holds the scrambled passwords: only its owner reads it.
    mode_t fileMode = user ? 0600 : 0644;
    if (!MakeDirectories(DirectoryOf(path), user ? 0700 : 0755)) return false;
    bool exists = FileExists(path);
    // A file the administrator made read-only stays unchanged, though its folder be writable.
    if (exists && ::access(path.c_str(), W_OK) != 0) return false;

    CLockFile lock(path + ".lock", fileMode);
    if (!lock.locked()) return false;

    // Read again under the lock: another program may have changed other keys meanwhile.
    std::string text;
    if (FileExists(path) && !ReadWholeFile(path, text)) return false;
    CIniDocument doc(text);
    bool changed = value ? doc.Set(section, key, *value) : doc.Remove(section, key);
    if (!changed) return true;

    if (!FileExists(path)) {
        // Created first with its final mode, which the replacement then keeps.
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, fileMode);
        if (fd >= 0) ::close(fd);
    }
    return WriteFileAtomically(path, doc.Text()) == FileError::None;
}

}  // namespace corvane
