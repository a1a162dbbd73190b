#pragma once
// PDM.DAT: the pre-defined messages, named pairs of texts (one for alphanumeric pagers,
// one for numeric pagers) that the message dialogs offer for selection. Records back to
// back: a 16-bit mark 1, then Name, AlphaText and NumericText as data-file strings, each
// of any length the length word allows (up to 32766 bytes; longer texts are cut there).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "directory/damaged_file.h"

namespace corvane {

class IMessageBox;

inline constexpr const char* kPredefinedMessagesFile = "PDM.DAT";
inline constexpr DamagedFileKind kDamagedPredefinedFile{"pre-defined message", "pre-defined messages",
                                                        "Message Read Error"};

struct PredefinedMessage {
    std::string Name;
    std::string AlphaText;    // "Message for Alphanumeric Pagers", several lines allowed
    std::string NumericText;  // "Message for Numeric Pagers"

    bool operator==(const PredefinedMessage&) const = default;
};

class CPredefinedMessageList {
public:
    // Clears, then reads the file; a file that cannot be opened gives an empty list. A
    // damaged record ends the reading; with a messageBox (the editor's, whose save would
    // replace the file) the damaged file is kept aside and the user told once.
    void Load(const std::string& path, IMessageBox* messageBox = nullptr);
    // False when a damaged record ended the reading (the records before it are kept).
    bool Parse(std::string_view bytes);
    bool Save(const std::string& path) const;
    std::string Serialize() const;

    const std::vector<PredefinedMessage>& messages() const { return m_messages; }
    bool empty() const { return m_messages.empty(); }
    PredefinedMessage& NewEntry();
    void Remove(std::size_t index);

private:
    std::vector<PredefinedMessage> m_messages;
};

}  // namespace corvane
