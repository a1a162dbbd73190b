#include "app/gui/dialogs/print_commands.h"

#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QProgressDialog>

#include <numeric>

#include "app/core/log_reader.h"
#include "app/core/print_tables.h"
#include "app/gui/dialogs/qt_text.h"
#include "app/gui/dialogs/table_printer.h"
#include "common/message_box.h"

namespace corvane {

CPrintCommands::CPrintCommands(IMessageBox& messageBox) : m_messageBox(messageBox) {}

bool CPrintCommands::PrintSetup(QWidget* parent)
{
    QPageSetupDialog dialog(&m_printer, parent);
    dialog.setObjectName("printSetup");
    return dialog.exec() == QDialog::Accepted;
}

bool CPrintCommands::AskToPrint(bool offerSelection, QWidget* parent)
{
    // Each print starts from "All"; a selection chosen last time is not this time's.
    m_printer.setPrintRange(QPrinter::AllPages);
    QPrintDialog dialog(&m_printer, parent);
    dialog.setObjectName("printDialog");
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, offerSelection);
    return dialog.exec() == QDialog::Accepted;
}

bool CPrintCommands::Print(const PrintTable& table, std::time_t now, QWidget* parent)
{
    // A long printout keeps the program's tick running (pages still go out) and can be
    // stopped: the progress box shows after a second and takes the events meanwhile.
    QProgressDialog progress(QStringLiteral("Printing %1...").arg(ToQt(table.title)), QStringLiteral("Cancel"), 0, 1,
                             parent);
    progress.setObjectName("printProgress");
    progress.setWindowTitle(ToQt(table.title));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1000);
    progress.setAutoReset(false);
    PrintResult result = PrintTableOn(m_printer, table, now, [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    if (result != PrintResult::Failed) return result == PrintResult::Printed;
    QString target = m_printer.outputFileName().isEmpty() ? m_printer.printerName() : m_printer.outputFileName();
    m_messageBox.Show("Unable to print to " + target.toStdString() + ".", kPrintErrorCaption, MbIcon::Warning,
                      MbButtons::Ok);
    return false;
}

bool CPrintCommands::PrintPagerList(const CPagerList& pagers, ISettings& settings, std::time_t now, QWidget* parent)
{
    if (!AskToPrint(false, parent)) return false;
    return Print(PagerListTable(pagers, settings), now, parent);
}

bool CPrintCommands::PrintLog(const CLogReader& log, const std::vector<std::size_t>& selected, std::time_t now,
                              QWidget* parent)
{
    if (!AskToPrint(true, parent)) return false;
    std::vector<std::size_t> all;
    const std::vector<std::size_t>* rows = &selected;
    if (m_printer.printRange() != QPrinter::Selection) {
        all.resize(log.size());
        std::iota(all.begin(), all.end(), std::size_t{0});
        rows = &all;
    }
    std::vector<LogRowText> entries;
    entries.reserve(rows->size());
    for (std::size_t index : *rows)
        if (index < log.size()) entries.push_back({log.Entries()[index].text, log.ReadMessage(index)});
    return Print(PageLogTable(entries), now, parent);
}

}  // namespace corvane
