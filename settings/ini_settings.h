#pragma once
// The settings store on disk: one INI file per scope.
//   user scope:    $XDG_CONFIG_HOME/Tarnwick/<title>.ini     (default ~/.config)
//   machine scope: $CORVANE_SYSCONFDIR/Tarnwick/<title>.ini  (default /etc/xdg)
// The machine file is normally writable only by the administrator; a write to it fails
// for everyone else, and ISettings then keeps the user's value in the user file, where it
// wins over the machine value for that user.
//
// File format. "[Section]" lines open a section, "key=value" lines hold the values, lines
// that start with ';' or '#' are comments and are kept as they stand when the file is
// rewritten, as are blank lines. Names are matched exactly (case-sensitive). Blanks around
// a name and around '=' are ignored, so a hand-edited "key = value" reads as "value".
//
// Escaping, so that any byte string comes back exactly as it was written:
//   - '\' is written "\\"; LF, CR, TAB and NUL are "\n", "\r", "\t", "\0"; every other
//     byte below 0x20 and 0x7F is "\xHH" (two hex digits, either case on reading);
//   - a value that begins or ends with a space, or begins with '"', is written inside
//     double quotes, and the reader takes off one pair of enclosing quotes;
//   - in section and key names '=', '[', ']', ';', '#', '"' and blanks at either end are
//     written as "\xHH" as well;
//   - bytes from 0x80 up, commas, ';', '#' and '=' inside a value are written unchanged.
// "key=" is the empty value; an absent key has no line at all. A backslash followed by
// anything else is read as it stands.
//
// Writing: under an advisory lock on "<title>.ini.lock" beside the file, the file is read
// again, changed and replaced whole (temporary file, fsync, rename), so two programs writing
// different keys at once lose neither, and a crash never leaves half a file. Reading takes
// no lock (the rename makes every read see a whole file) and goes to disk at every call, so
// a change written by another program is seen at once.

#include <string>

#include "settings/settings.h"

namespace corvane {

class CIniSettings : public ISettings {
public:
    // The title names the files, so that each title (the -K option) keeps its own settings.
    explicit CIniSettings(const std::string& title);

    const std::string& UserFile() const { return m_userFile; }
    const std::string& MachineFile() const { return m_machineFile; }

    // The encoding of one value or name, exposed for the tests.
    static std::string EscapeValue(std::string_view value);
    static std::string EscapeName(std::string_view name);
    static std::string Unescape(std::string_view text);

protected:
    std::optional<std::string> Read(SettingScope scope, std::string_view section,
                                    std::string_view key) override;
    bool Store(SettingScope scope, std::string_view section, std::string_view key,
               std::string_view value) override;
    bool Erase(SettingScope scope, std::string_view section, std::string_view key) override;

private:
    const std::string& FileOf(SettingScope scope) const
    {
        return scope == SettingScope::User ? m_userFile : m_machineFile;
    }
    // Locks, re-reads, applies the change (a value, or a removal when value is null) and
    // replaces the file.
    bool Modify(SettingScope scope, std::string_view section, std::string_view key,
                const std::string_view* value);

    std::string m_userFile;
    std::string m_machineFile;
};

}  // namespace corvane
