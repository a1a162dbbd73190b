#pragma once
// Import Pager Data: pagers read from a comma-delimited file, either one that Export Pager
// Data wrote (twelve fields a line, in its order) or a directory export of the paging
// server (its first line begins "Obj-Class,"; a line beginning "Remote" is a pager). The
// pagers become new local pagers of the list and are saved at once.
//
// A file is taken whole or not at all: a file that is not text (a NUL or another control
// character than tab, line breaks, form feed and the old end-of-file mark), a line longer
// than 65,535 bytes, or a quoted field without its closing quote imports nothing and says
// which line is at fault. Otherwise lines that hold fewer fields give pagers with what
// could be read, and the first line shorter than 5 characters ends the import.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "directory/pager_list.h"

namespace corvane {

inline constexpr const char* kImportCaption = "Import Pager Data";
inline constexpr const char* kImportedText = "The data was successfully imported.";
inline constexpr const char* kImportUnreadableText = "Unable to read the import file.";
inline constexpr std::size_t kMaxImportLine = 65535;
inline constexpr std::size_t kMaxImportFile = 64u << 20;

enum class ImportProblem { None, NotText, LineTooLong, OpenQuote };

struct ImportedPagers {
    ImportProblem problem = ImportProblem::None;
    std::size_t line = 0;         // the line at fault, counted from 1
    bool directoryExport = false;  // the paging server's directory export
    std::size_t found = 0;         // pager lines read
    // The pagers, without codes; at most 32,000 are kept (no more fit the local list).
    std::vector<PagerRecord> pagers;
};

ImportedPagers ParsePagerImport(std::string_view bytes);

// The fields of one line: a field that begins with a double quote runs to the closing
// quote, commas included (two quotes inside stand for one), and what follows the closing
// quote up to the next comma is added to it; any other field runs to the next comma.
// False when a quoted field has no closing quote.
bool SplitImportFields(std::string_view line, std::vector<std::string>& fields);

// The whole command after the file is chosen: read, check, add, save, and the box that
// says how it went. True when pagers were added to the list (the list must be reloaded
// then, whether or not the user let the save go through).
bool ImportPagers(const std::string& path, CPagerList& list, const DataFiles& files);

}  // namespace corvane
