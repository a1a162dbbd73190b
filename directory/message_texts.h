#pragma once
// MESSAGES.DAT: the five fixed texts pages are made of besides what the user types.

#include <string>
#include <string_view>

namespace corvane {

inline constexpr const char* kMessagesFile = "MESSAGES.DAT";

struct MessageTexts {
    std::string defaultAlpha;    // "Default Alphanumeric Message"
    std::string defaultNumeric;  // "Default Numeric Message"
    std::string callPrefix;      // the call monitor's "Page Prefix"
    std::string pimPrefix;       // the PIM monitor's "Page Prefix"
    std::string signature;       // appended to manual pages

    bool operator==(const MessageTexts&) const = default;
};

// Each text of any length the length word allows (up to 32766 bytes; longer texts are cut
// there when written). All five empty when the file cannot be opened; a file of four texts
// leaves the signature empty; a damaged string ends the reading there.
MessageTexts LoadMessages(const std::string& path);
bool SaveMessages(const std::string& path, const MessageTexts& texts);

// The file's bytes, read and written.
MessageTexts ParseMessages(std::string_view bytes);
std::string SerializeMessages(const MessageTexts& texts);

}  // namespace corvane
