#pragma once
// A local pager or service file that could be read only up to a damaged record. The list
// holds the records before it, and its next save replaces the file with them; so the
// damaged file is first kept beside it ("PAGERS.DAT.damaged", or ".damaged.2" and on when
// an earlier copy that differs is there), and the user is told once, by the load that
// keeps the copy. Later loads of the same damaged file find their copy and say nothing.

#include <cstddef>
#include <string>

namespace corvane {

class IMessageBox;

// What the box calls the file and its records.
struct DamagedFileKind {
    const char* noun;     // "pager": "the local pager data file"
    const char* records;  // "pagers": "Only the pagers before it were loaded."
    const char* caption;  // "Pager Read Error"
};
inline constexpr DamagedFileKind kDamagedPagerFile{"pager", "pagers", "Pager Read Error"};
inline constexpr DamagedFileKind kDamagedServiceFile{"service", "services", "Service Read Error"};

struct KeptCopy {
    std::string path;   // empty when no copy could be made
    bool made = false;  // made now; false when a copy of these bytes was there already
};

// Keeps bytes, the damaged file's contents, beside path unless a copy of them is there.
KeptCopy KeepDamagedFile(const std::string& path, const std::string& bytes);

// The box text for a damage at record recordNumber (counted from 1) of the file at path.
std::string DamagedFileText(const DamagedFileKind& kind, const std::string& path, std::size_t recordNumber,
                            const KeptCopy& copy);

// Keeps the copy and tells the user when it is new, or, every time, when none could be made.
void ReportDamagedFile(IMessageBox& messageBox, const DamagedFileKind& kind, const std::string& path,
                       const std::string& bytes, std::size_t recordNumber);

}  // namespace corvane
