#include "app/core/print_layout.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

int Inches(double inches, int dpi)
{
    return static_cast<int>(std::lround(inches * dpi));
}

int RowHeight(RowStyle style, int lines, int lineHeight, int lineStep)
{
    int text = lines * lineHeight;
    if (style == RowStyle::LogEntry) return text + lineStep / 6;
    int steps = lineStep > 0 ? (text + lineStep - 1) / lineStep : 1;
    return std::max(1, steps) * lineStep;
}

// Places the rows page by page.
class CPager {
public:
    CPager(PageLayout& layout, int contentTop, int halfInch, int lineHeight)
        : m_layout(layout), m_contentTop(contentTop), m_halfInch(halfInch), m_lineHeight(std::max(1, lineHeight))
    {
        m_layout.pages.push_back({1, m_contentTop, {}});
        m_y = m_contentTop + m_layout.lineStep;
    }

    void Place(std::size_t row, int lines, int height, bool last)
    {
        // A row that does not fit below the rows already on the page starts the next
        // one; one taller than a whole page goes on over as many pages as it needs,
        // cut between its lines, so nothing runs into the footer or off the paper.
        if (m_y + height > m_layout.bottom && !Page().pieces.empty()) NewPage();
        int first = 0;
        for (;;) {
            if (m_y + height - first * m_lineHeight <= m_layout.bottom) break;
            int fit = (m_layout.bottom - m_y) / m_lineHeight;
            if (fit <= 0) {
                if (!Page().pieces.empty()) {
                    NewPage();
                    continue;
                }
                fit = 1;
            }
            if (fit >= lines - first) break;  // only the row's spacing reaches the margin
            Add(row, first, fit, fit * m_lineHeight);
            first += fit;
            NewPage();
        }
        Add(row, first, lines - first, height - first * m_lineHeight);
        // Less than half an inch left: this page is full.
        if (m_layout.bottom - m_y < m_halfInch && !last) NewPage();
    }

private:
    PrintPage& Page() { return m_layout.pages.back(); }
    void NewPage()
    {
        m_layout.pages.push_back({Page().number + 1, -1, {}});
        m_y = m_contentTop;
    }
    void Add(std::size_t row, int first, int count, int height)
    {
        Page().pieces.push_back({row, m_y, height, first, count});
        m_y += height;
    }

    PageLayout& m_layout;
    int m_contentTop;
    int m_halfInch;
    int m_lineHeight;
    int m_y = 0;
};

}  // namespace

int PageLayout::ColumnX(const PrintColumn& column, int dpi) const
{
    return left + Inches(column.left, dpi);
}

int PageLayout::ColumnWidth(const PrintColumn& column, int dpi) const
{
    if (column.width > 0) return Inches(column.width, dpi);
    return std::max(0, right - ColumnX(column, dpi));
}

PageLayout LayOutPages(const PageGeometry& page, RowStyle style, const std::vector<int>& rowLines)
{
    PageLayout layout;
    const int halfInch = page.dpi / 2;
    // The margins count from the paper's edge: what the printer cannot print is part of them.
    layout.left = std::max(0, halfInch - page.offsetLeft);
    layout.right = page.width - std::max(0, halfInch - page.offsetRight);
    layout.top = std::max(0, page.dpi - page.offsetTop);
    layout.bottom = page.height - std::max(0, page.dpi - page.offsetBottom);
    layout.lineStep = page.textHeight * 3 / 2;

    CPager pager(layout, layout.top + page.titleHeight + halfInch, halfInch, page.lineHeight);
    for (std::size_t row = 0; row < rowLines.size(); ++row) {
        int lines = std::max(1, rowLines[row]);
        pager.Place(row, lines, RowHeight(style, lines, page.lineHeight, layout.lineStep), row + 1 == rowLines.size());
    }
    return layout;
}

std::string PrintedAt(std::time_t when)
{
    std::tm local {};
    localtime_r(&when, &local);
    char buffer[128];
    std::size_t n = std::strftime(buffer, sizeof buffer, "%x %X", &local);
    return std::string(buffer, n);
}

}  // namespace corvane
