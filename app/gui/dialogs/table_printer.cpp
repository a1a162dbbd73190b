#include "app/gui/dialogs/table_printer.h"

#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>
#include <memory>
#include <optional>

#include "app/gui/dialogs/qt_text.h"
#include "app/gui/dialogs/wrap_mode.h"

namespace corvane {

namespace {

// Arial, or the metric twin the system puts in its place.
QFont PrintFont(int points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"), points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// One cell's text broken into lines of the column's width, at word boundaries where it
// can, inside a word too long for a line.
class CWrappedCell {
public:
    CWrappedCell(const QString& text, const QFont& font, QPaintDevice* device, int width, int lineHeight)
        : m_layout(WithLineBreaks(text), font, device)
    {
        QTextOption option;
        option.setWrapMode(WrapModeFor(text));
        m_layout.setTextOption(option);
        m_layout.beginLayout();
        for (int y = 0;; y += lineHeight) {
            QTextLine line = m_layout.createLine();
            if (!line.isValid()) break;
            line.setLineWidth(std::max(1, width));
            line.setPosition(QPointF(0, y));
        }
        m_layout.endLayout();
    }
    // A text layout breaks lines only at line separators.
    static QString WithLineBreaks(QString text)
    {
        text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
        text.replace(QChar('\n'), QChar::LineSeparator);
        text.replace(QChar('\r'), QChar::LineSeparator);
        return text;
    }

    int Lines() const { return std::max(1, m_layout.lineCount()); }
    void Draw(QPainter& painter, QPointF at, int first, int count, int lineHeight) const
    {
        QPointF origin(at.x(), at.y() - first * lineHeight);
        for (int i = first; i < std::min(first + count, m_layout.lineCount()); ++i)
            m_layout.lineAt(i).draw(&painter, origin);
    }

private:
    QTextLayout m_layout;
};

class CTablePainter {
public:
    CTablePainter(QPrinter& printer, const PrintTable& table)
        : m_printer(printer), m_table(table), m_title(PrintFont(10)), m_text(PrintFont(8)),
          m_caption(PrintFont(8, true))
    {
        QFontMetrics title(m_title, &printer);
        QFontMetrics text(m_text, &printer);
        QRectF paper = printer.paperRect(QPrinter::DevicePixel);
        QRectF page = printer.pageRect(QPrinter::DevicePixel);
        m_geometry.dpi = printer.resolution();
        m_geometry.width = static_cast<int>(page.width());
        m_geometry.height = static_cast<int>(page.height());
        m_geometry.offsetLeft = static_cast<int>(page.left() - paper.left());
        m_geometry.offsetTop = static_cast<int>(page.top() - paper.top());
        m_geometry.offsetRight = static_cast<int>(paper.right() - page.right());
        m_geometry.offsetBottom = static_cast<int>(paper.bottom() - page.bottom());
        m_geometry.titleHeight = title.height();
        m_geometry.textHeight = text.height();
        m_geometry.lineHeight = text.height();
    }

    // Rows measured between two reports of progress.
    static constexpr std::size_t kRowsPerStep = 500;

    // Empty when stopped.
    std::optional<PageLayout> Measure(const PrintProgress& progress)
    {
        std::vector<int> lines;
        lines.reserve(m_table.rows.size());
        PageLayout widths = LayOutPages(m_geometry, m_table.style, {});
        for (std::size_t row = 0; row < m_table.rows.size(); ++row) {
            if (row % kRowsPerStep == 0 && progress && !progress(Steps(row), Steps(m_table.rows.size()) * 2))
                return std::nullopt;
            int most = 1;
            for (std::size_t c = 0; c < m_table.columns.size(); ++c)
                if (m_table.columns[c].wrap) most = std::max(most, Cell(widths, row, c).Lines());
            lines.push_back(most);
        }
        m_cached.reset();
        return LayOutPages(m_geometry, m_table.style, lines);
    }

    static int Steps(std::size_t rows) { return static_cast<int>(rows / kRowsPerStep) + 1; }

    // The pages chosen, in order; false when stopped.
    bool Paint(QPainter& painter, const PageLayout& layout, const std::string& printedAt,
               const std::function<bool()>& goOn)
    {
        // Where the print dialog still offers page numbers, the pages chosen there.
        int from = 1, to = static_cast<int>(layout.pages.size());
        if (m_printer.printRange() == QPrinter::PageRange && m_printer.fromPage() > 0) {
            from = m_printer.fromPage();
            to = std::min(to, std::max(from, m_printer.toPage()));
        }
        for (const PrintPage& page : layout.pages) {
            if (page.number < from || page.number > to) continue;
            if (!goOn()) return false;
            if (page.number > from) m_printer.newPage();
            PaintFrame(painter, layout, page.number, printedAt);
            if (page.captionsY >= 0) PaintCaptions(painter, layout, page.captionsY);
            for (const RowPiece& piece : page.pieces) PaintPiece(painter, layout, piece);
        }
        return true;
    }

private:
    const CWrappedCell& Cell(const PageLayout& layout, std::size_t row, std::size_t column)
    {
        // The last cell laid out is kept: the parts of a tall row are drawn one after another.
        if (!m_cached || m_cachedRow != row || m_cachedColumn != column) {
            int width = layout.ColumnWidth(m_table.columns[column], m_geometry.dpi);
            m_cached = std::make_unique<CWrappedCell>(ToQtShown(m_table.rows[row][column]), m_text, &m_printer, width,
                                                      m_geometry.lineHeight);
            m_cachedRow = row;
            m_cachedColumn = column;
        }
        return *m_cached;
    }

    QRect ColumnRect(const PageLayout& layout, const PrintColumn& column, int y, int height) const
    {
        return QRect(layout.ColumnX(column, m_geometry.dpi), y, layout.ColumnWidth(column, m_geometry.dpi), height);
    }

    void PaintFrame(QPainter& painter, const PageLayout& layout, int number, const std::string& printedAt)
    {
        painter.setFont(m_title);
        QRect titleLine(layout.left, layout.top, layout.right - layout.left, m_geometry.titleHeight);
        painter.drawText(titleLine, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, ToQtShown(m_table.title));
        painter.drawText(titleLine, Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine, ToQtShown(printedAt));
        painter.setFont(m_text);
        QRect footer(0, layout.bottom, m_geometry.width, m_geometry.height - layout.bottom);
        painter.drawText(footer, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip,
                         QStringLiteral("Page %1").arg(number));
    }

    void PaintCaptions(QPainter& painter, const PageLayout& layout, int y)
    {
        painter.setFont(m_caption);
        for (const PrintColumn& column : m_table.columns)
            painter.drawText(ColumnRect(layout, column, y, layout.lineStep), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                             ToQtShown(column.caption));
    }

    void PaintPiece(QPainter& painter, const PageLayout& layout, const RowPiece& piece)
    {
        painter.setFont(m_text);
        const std::vector<std::string>& cells = m_table.rows[piece.row];
        for (std::size_t c = 0; c < m_table.columns.size() && c < cells.size(); ++c) {
            const PrintColumn& column = m_table.columns[c];
            QRect area = ColumnRect(layout, column, piece.y, piece.height);
            if (column.wrap) {
                painter.save();
                painter.setClipRect(area);
                Cell(layout, piece.row, c).Draw(painter, area.topLeft(), piece.firstLine, piece.lineCount,
                                                m_geometry.lineHeight);
                painter.restore();
            } else if (piece.firstLine == 0) {
                painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, ToQtShown(cells[c]));
            }
        }
    }

    QPrinter& m_printer;
    const PrintTable& m_table;
    QFont m_title;
    QFont m_text;
    QFont m_caption;
    PageGeometry m_geometry;
    std::unique_ptr<CWrappedCell> m_cached;
    std::size_t m_cachedRow = 0;
    std::size_t m_cachedColumn = 0;
};

}  // namespace

PrintResult PrintTableOn(QPrinter& printer, const PrintTable& table, std::time_t now, const PrintProgress& progress)
{
    printer.setDocName(ToQtShown(table.documentName));
    CTablePainter painter(printer, table);
    std::optional<PageLayout> layout = painter.Measure(progress);
    if (!layout) return PrintResult::Cancelled;
    // A printer that makes no copies itself gets the document as often as asked for.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const int measured = CTablePainter::Steps(table.rows.size());
    const int total = measured + copies * static_cast<int>(layout->pages.size());
    int done = measured;
    auto goOn = [&] { return !progress || progress(done++, total); };

    QPainter device;
    if (!device.begin(&printer)) return PrintResult::Failed;
    const std::string printedAt = PrintedAt(now);
    for (int copy = 0; copy < copies; ++copy) {
        if (copy > 0) printer.newPage();
        if (!painter.Paint(device, *layout, printedAt, goOn)) {
            printer.abort();
            // A file printed to is left half written: it goes, as a cancelled job would.
            if (!printer.outputFileName().isEmpty()) QFile::remove(printer.outputFileName());
            return PrintResult::Cancelled;
        }
    }
    return device.end() ? PrintResult::Printed : PrintResult::Failed;
}

}  // namespace corvane
