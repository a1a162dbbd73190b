#pragma once
// Log Pages To: the save dialog that picks the page log file, and the Log File Warning
// that asks what to do with a file that already exists.

#include <QDialog>
#include <QString>

#include "app/core/log_file_choice.h"

namespace corvane {

class IMessageBox;
class ISettings;

class CLogFileWarningDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CLogFileWarningDialog(QWidget* parent = nullptr);
    // Shows the dialog modally and gives the button pressed (Cancel for Escape).
    LogFileAnswer Ask();
};

// The save dialog, titled "Log Pages To", filtered to text files, starting at the
// current file. Empty when the user cancels.
QString AskForLogFile(const QString& current, QWidget* parent);

// The whole command after the password check: the save dialog, then the choice.
LogFileResult LogPagesTo(ISettings& settings, IMessageBox& messageBox, QWidget* parent);

}  // namespace corvane
