#pragma once
// MONITOR.DAT: which pagers, local or shared, receive the automatic pages. It lives apart
// from PAGERS.DAT so that shared pagers, which are read-only, can be assigned too.
// Records of three 16-bit words: 1, the pager's code (negative for a shared pager), its
// AutoPageFlags.

#include <cstddef>
#include <string>
#include <string_view>

#include "common/file_io.h"
#include "directory/pager_list.h"

namespace corvane {

inline constexpr const char* kMonitorFileName = "MONITOR.DAT";

// Sets the AutoPageFlags of the first pager with each record's code; codes that no pager
// has are skipped, and a record cut short by the end of the data ends the reading.
// Returns the number of whole records read.
std::size_t ReadMonitorRecords(std::string_view bytes, CPagerList& list);
// One record for every pager whose flags are non-zero; never the scratch record (code 0).
// Then the records of kept (the file as it stands) for shared pagers that the list does
// not hold, so that a list of the local pagers alone, or one whose shared source could not
// be read, keeps their assignments. Local codes that the list lacks are pagers it removed.
std::string WriteMonitorRecords(const CPagerList& list, std::string_view kept = {});

// A missing or unreadable file assigns nothing.
void ApplyMonitorFile(const std::string& path, CPagerList& list);

}  // namespace corvane
