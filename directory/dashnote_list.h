#pragma once
// DASHNOTE.DAT: up to 20 quick pages, each with its two texts and its own pagers, sent at
// once from a command of its own in the main window's Dashnote menu. Records back to
// back, no header: a 16-bit mark 1, the slot (32-bit, CommandId - 61206), Name, AlphaText
// and NumericText as data-file strings (any length the length word allows), then one
// 32-bit pager code per recipient and a 32-bit 0.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/file_io.h"
#include "directory/damaged_file.h"

namespace corvane {

inline constexpr const char* kDashnoteFile = "DASHNOTE.DAT";
inline constexpr int kFirstDashnoteId = 61207;
inline constexpr int kLastDashnoteId = 61226;
inline constexpr int kMaxDashnotes = kLastDashnoteId - kFirstDashnoteId + 1;
// The menu shows names of 26 characters or more cut to their first 25.
inline constexpr std::size_t kDashnoteMenuNameLength = 25;

inline constexpr const char* kDashnoteLimitText = "You have reached the limit of 20 Dashnote messages.";
inline constexpr const char* kDashnoteLimitCaption = "New Dashnote Message";
inline constexpr DamagedFileKind kDamagedDashnoteFile{"Dashnote message", "Dashnote messages", "Dashnote Read Error"};

struct DashnoteMessage {
    int CommandId = 0;  // 61207..61226: the menu command that sends it
    std::string Name;
    std::string AlphaText;    // for alphanumeric pagers
    std::string NumericText;  // for numeric pagers
    std::vector<std::int32_t> Recipients;  // pager Codes; empty: the pagers selected in the list

    bool operator==(const DashnoteMessage&) const = default;
};

struct DashnoteMenuEntry {
    int commandId = 0;
    std::string text;

    bool operator==(const DashnoteMenuEntry&) const = default;
};

struct DashnoteReadResult {
    std::size_t records = 0;  // messages kept
    bool damaged = false;     // reading stopped at a damaged record, which was left out
};

class CDashnoteList {
public:
    // Clears, then reads the file; a file that cannot be opened gives an empty list. A
    // damaged record ends the reading (kept aside and told once through messageBox, when
    // one is given, before a save can replace the file).
    void Load(const std::string& path, IMessageBox* messageBox = nullptr);
    // Clears and reads the bytes; the identifier hint starts again at 61207. A record
    // whose mark is not 1 is skipped (the next word is the next mark); one whose slot is
    // outside 1..20 or taken by an earlier record gets a free identifier, or is left out
    // when all 20 are taken.
    DashnoteReadResult Parse(std::string_view bytes);
    FileError Save(const std::string& path) const;
    std::string Serialize() const;

    const std::vector<DashnoteMessage>& messages() const { return m_messages; }
    std::vector<DashnoteMessage>& messages() { return m_messages; }
    bool empty() const { return m_messages.empty(); }
    int NextIdHint() const { return m_nextId; }

    // Appends a message with the first free identifier from the hint upward (wrapping
    // once from 61226 to 61207); null when all 20 are taken.
    DashnoteMessage* NewEntry();
    // Removes the message; the hint comes down to its identifier when that is lower.
    void Remove(int commandId);
    DashnoteMessage* FindById(int commandId);
    const DashnoteMessage* FindById(int commandId) const;

    // The Dashnote submenu above its separator and fixed last item: the messages in
    // reverse list order (the newest first), names cut to 25 characters.
    std::vector<DashnoteMenuEntry> MenuEntries() const;

private:
    int FreeId(int from) const;

    std::vector<DashnoteMessage> m_messages;
    int m_nextId = kFirstDashnoteId;
};

// A name as the menu shows it: its first 25 characters (UTF-8 sequences are not split).
std::string DashnoteMenuName(const std::string& name);

}  // namespace corvane
