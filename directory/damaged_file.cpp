#include "directory/damaged_file.h"

#include "common/file_io.h"
#include "common/message_box.h"

namespace corvane {
namespace {

// Copies of files damaged again after a save; enough for any user who is told each time.
constexpr int kMaxCopies = 9;

std::string CopyName(const std::string& path, int n)
{
    return path + ".damaged" + (n == 1 ? "" : "." + std::to_string(n));
}

}  // namespace

KeptCopy KeepDamagedFile(const std::string& path, const std::string& bytes)
{
    for (int n = 1; n <= kMaxCopies; ++n) {
        std::string copy = CopyName(path, n);
        if (FileExists(copy)) {
            std::string kept;
            if (ReadWholeFile(copy, kept) && kept == bytes) return {copy, false};
            continue;  // an earlier damage, which the user may not have mended yet
        }
        if (WriteFileAtomically(copy, bytes) != FileError::None) return {};
        return {copy, true};
    }
    return {};
}

std::string DamagedFileText(const DamagedFileKind& kind, const std::string& path, std::size_t recordNumber,
                            const KeptCopy& copy)
{
    std::string text = "Record " + std::to_string(recordNumber) + " of the local " + kind.noun + " data file " + path +
                       " is damaged.  Only the " + kind.records + " before it were loaded.  ";
    if (copy.path.empty())
        return text + "A copy of the damaged file could not be kept: saving the " + kind.records +
               " now removes that record and every record after it from the file.";
    return text + "The damaged file has been kept as " + copy.path + ".";
}

void ReportDamagedFile(IMessageBox& messageBox, const DamagedFileKind& kind, const std::string& path,
                       const std::string& bytes, std::size_t recordNumber)
{
    KeptCopy copy = KeepDamagedFile(path, bytes);
    if (!copy.path.empty() && !copy.made) return;  // told when the copy was made
    messageBox.Show(DamagedFileText(kind, path, recordNumber, copy), kind.caption, MbIcon::Warning, MbButtons::Ok);
}

}  // namespace corvane
