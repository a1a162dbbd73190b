#include "directory/message_file_write.h"

#include "common/file_io.h"
#include "common/message_box.h"

namespace corvane {

bool WriteMessageFile(IMessageBox& messageBox, const MessageFileKind& kind, const std::string& path,
                      const std::string& bytes)
{
    for (;;) {
        FileError error = WriteFileAtomically(path, bytes);
        if (error == FileError::None) return true;
        const bool sharing = error == FileError::Sharing;
        std::string text = "Unable to write the " + std::string(kind.noun) + " file " + path + ".";
        if (sharing) text += "  Another process is currently using the file.";
        if (messageBox.Show(text, sharing ? "Sharing Violation" : kind.caption, MbIcon::Warning,
                            MbButtons::RetryCancel) != MbAnswer::Retry)
            return false;
    }
}

}  // namespace corvane
