#pragma once
// Saving PDM.DAT or DASHNOTE.DAT from its editor. The file is replaced whole; when that
// fails the user is asked Retry or Cancel, and a Cancel leaves the editor open with its
// changes, so that nothing typed is lost without the user knowing.

#include <string>

namespace corvane {

class IMessageBox;

struct MessageFileKind {
    const char* noun;     // "Dashnote message": "the Dashnote message file"
    const char* caption;  // the caption of every failure but a sharing violation
};
inline constexpr MessageFileKind kPredefinedMessageFileKind{"pre-defined message", "Message Write Error"};
inline constexpr MessageFileKind kDashnoteFileKind{"Dashnote message", "Dashnote Write Error"};

// True once the file holds bytes; false when the user gave up.
bool WriteMessageFile(IMessageBox& messageBox, const MessageFileKind& kind, const std::string& path,
                      const std::string& bytes);

}  // namespace corvane
