#pragma once
// The page layout that the page log and the pager list are printed with: a title line
// with the date and time on every page, the column captions in bold above the first
// row of the first page, one row per entry, and "Page N" in the bottom margin of every
// page. Everything here is arithmetic on sizes measured on the printer; the windows
// measure the texts and paint what this places.

#include <cstddef>
#include <ctime>
#include <string>
#include <vector>

namespace corvane {

struct PrintColumn {
    std::string caption;
    double left = 0;   // inches right of the left margin
    double width = 0;  // inches; 0 reaches to the right margin
    bool wrap = false; // word-wrapped over as many lines as it needs; else one line, cut
};

// A log row is as high as its tallest wrapped cell plus a sixth of a line step; a pager
// row takes the whole line steps its tallest wrapped cell needs.
enum class RowStyle { LogEntry, PagerList };

struct PrintTable {
    std::string documentName;
    std::string title;
    RowStyle style = RowStyle::LogEntry;
    std::vector<PrintColumn> columns;
    std::vector<std::vector<std::string>> rows;  // one text per column
};

// The printer's printable area in its own dots, the unprintable borders around it, and
// the fonts measured on it.
struct PageGeometry {
    int dpi = 0;
    int width = 0;
    int height = 0;
    int offsetLeft = 0;
    int offsetTop = 0;
    int offsetRight = 0;
    int offsetBottom = 0;
    int titleHeight = 0;  // Arial 10 point
    int textHeight = 0;   // Arial 8 point: the line step is one and a half of it
    int lineHeight = 0;   // one line of wrapped text in the 8-point font
};

// A row, or the part of a tall row that fits on a page: its wrapped lines firstLine ..
// firstLine + lineCount - 1. The cells that are not wrapped show on the first part only.
struct RowPiece {
    std::size_t row = 0;
    int y = 0;
    int height = 0;
    int firstLine = 0;
    int lineCount = 0;
};

struct PrintPage {
    int number = 1;
    int captionsY = -1;  // the captions' row: on the first page only
    std::vector<RowPiece> pieces;
};

struct PageLayout {
    int left = 0;       // the left margin's edge
    int right = 0;      // the right margin's edge
    int top = 0;        // the title line
    int bottom = 0;     // rows end above this; the footer is centred below it
    int lineStep = 0;
    std::vector<PrintPage> pages;

    // A column's left edge and width in dots.
    int ColumnX(const PrintColumn& column, int dpi) const;
    int ColumnWidth(const PrintColumn& column, int dpi) const;
};

// rowLines: for each row, the number of lines its tallest wrapped cell needs (at least 1).
PageLayout LayOutPages(const PageGeometry& page, RowStyle style, const std::vector<int>& rowLines);

// The date and time at the right of the title line, in the user's local form.
std::string PrintedAt(std::time_t when);

}  // namespace corvane
