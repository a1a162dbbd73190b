#pragma once
// PAGERS.DAT: the local pagers in the data directory, and the shared pager file that
// other installations keep in a common folder. Records lie back to back with no header;
// the writer writes layout 14, the reader takes every layout the program ever wrote.
// The loading and saving operations of CPagerList live in pager_file.cpp.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "directory/data_file.h"
#include "directory/pager_list.h"

namespace corvane {

inline constexpr const char* kPagerFileName = "PAGERS.DAT";
inline constexpr std::int16_t kPagerLayout = 14;

struct PagerReadResult {
    std::size_t records = 0;  // records appended to the list
    bool damaged = false;     // reading stopped at a damaged record, which was left out
};

// Appends the records of a pager file's bytes to the list, in file order. A damaged
// record (a string length word of 0, below 0 or above 1000, or a record cut short by the
// end of the data) is left out and ends the reading; the records before it stay.
PagerReadResult ReadPagerRecords(std::string_view bytes, CPagerList& list);

// One record in layout 14. AutoPageFlags is not in it: MONITOR.DAT keeps that.
void WritePagerRecord(CDataWriter& out, const PagerRecord& record);
// Every local pager (positive code) in list order: the whole local file.
std::string WritePagerRecords(const CPagerList& list);

// The page counters of the pagers in counted written into the pager file as it stands
// now: the pagers and groups that a dialog saved since counted was read stay as saved (a
// send run's list is older than the dialog's save). Without a pager file, counted is
// saved whole. False as Save.
bool SavePageCounters(CPagerList& counted, const DataFiles& files);

// Reads a data file of the local data directory whole. Another copy of the program that is
// replacing the file holds its lock for a moment; since a replacement is a rename, the file
// is then read without the lock rather than taken as empty (a list loaded empty and then
// saved would lose every pager). False when the file cannot be read at all.
bool ReadLocalDataFile(const std::string& path, std::string& bytes);

}  // namespace corvane
