#pragma once
// File > Export Pager Data and File > Import Pager Data: the file dialogs that choose the
// file (and, for an export, its format).

#include <QString>

#include <optional>

#include "directory/pager_export.h"

class QWidget;

namespace corvane {

inline constexpr const char* kExportDialogTitle = "Export Pager Data As";
inline constexpr const char* kImportDialogTitle = "Import Pager Data As";
inline constexpr const char* kCommaDelimitedFilter = "Comma Delimited (*.cdf)";
inline constexpr const char* kTextFilter = "Text (*.txt)";

struct ExportChoice {
    QString path;
    ExportFormat format = ExportFormat::CommaDelimited;
};

// The save dialog: comma-delimited or text by the filter chosen, the name given the
// filter's extension when it has none. Nothing when the user cancels.
std::optional<ExportChoice> AskForExportFile(QWidget* parent);
// The open dialog for a comma-delimited file. Empty when the user cancels.
QString AskForImportFile(QWidget* parent);

}  // namespace corvane
