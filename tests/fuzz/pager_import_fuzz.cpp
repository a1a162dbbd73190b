// Any bytes as an import file: the reader either refuses the whole file or gives pagers,
// never reads past the data, keeps no more pagers than fit the local list, and what it
// gives is exported and read back to the same exported fields.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "directory/pager_export.h"
#include "directory/pager_import.h"

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ImportedPagers parsed = ParsePagerImport(bytes);
    if (parsed.problem != ImportProblem::None) {
        if (!parsed.pagers.empty()) __builtin_trap();
        return 0;
    }
    if (parsed.pagers.size() != std::min<std::size_t>(parsed.found, 32000)) __builtin_trap();

    CPagerList list;
    for (PagerRecord& pager : parsed.pagers) list.AddBlank() = pager;
    std::string exported = ExportText(list, ExportFormat::CommaDelimited);
    ExportText(list, ExportFormat::Text);
    ImportedPagers again = ParsePagerImport(exported);
    // Quotes are doubled on the way out: a line near the longest may grow past it.
    if (again.problem == ImportProblem::LineTooLong) return 0;
    if (again.problem != ImportProblem::None || again.pagers.size() != list.size()) __builtin_trap();
    for (std::size_t i = 0; i < list.size(); ++i)
        if (CommaDelimitedLine(again.pagers[i]) != CommaDelimitedLine(list.at(i))) __builtin_trap();
    return 0;
}
