#pragma once
// The program's printer and the commands that print on it: File > Print Setup, File >
// Print Pager List, and the Page Log dialog's Print. The printer keeps what Print Setup
// and the print dialogs chose for the whole run of the program.

#include <QPrinter>

#include <cstddef>
#include <ctime>
#include <vector>

#include "app/core/print_layout.h"

class QWidget;

namespace corvane {

class CLogReader;
class CPagerList;
class IMessageBox;
class ISettings;

inline constexpr const char* kPrintErrorCaption = "Print Error";

class CPrintCommands {
public:
    explicit CPrintCommands(IMessageBox& messageBox);

    QPrinter& Printer() { return m_printer; }

    // The page setup dialog on the program's printer. True when confirmed.
    bool PrintSetup(QWidget* parent);
    // Every pager in list order. The print dialog offers neither page ranges nor a selection.
    bool PrintPagerList(const CPagerList& pagers, ISettings& settings, std::time_t now, QWidget* parent);
    // The log's entries, or with the selection chosen in the print dialog only the
    // selected ones (list positions in list order).
    bool PrintLog(const CLogReader& log, const std::vector<std::size_t>& selected, std::time_t now, QWidget* parent);

private:
    bool AskToPrint(bool offerSelection, QWidget* parent);
    bool Print(const PrintTable& table, std::time_t now, QWidget* parent);

    IMessageBox& m_messageBox;
    QPrinter m_printer{QPrinter::HighResolution};
};

}  // namespace corvane
