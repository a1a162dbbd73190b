#include "app/gui/dialogs/pager_data_dialogs.h"

#include <QFileDialog>

namespace corvane {

std::optional<ExportChoice> AskForExportFile(QWidget* parent)
{
    const QString text = kTextFilter;
    QFileDialog dialog(parent, kExportDialogTitle, QString(),
                       QString(kCommaDelimitedFilter) + ";;" + text);
    dialog.setObjectName("exportPagerData");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix("cdf");
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, text](const QString& filter) { dialog.setDefaultSuffix(filter == text ? "txt" : "cdf"); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return ExportChoice{dialog.selectedFiles().front(),
                        dialog.selectedNameFilter() == text ? ExportFormat::Text : ExportFormat::CommaDelimited};
}

QString AskForImportFile(QWidget* parent)
{
    QFileDialog dialog(parent, kImportDialogTitle, QString(), kCommaDelimitedFilter);
    dialog.setObjectName("importPagerData");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix("cdf");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

}  // namespace corvane
