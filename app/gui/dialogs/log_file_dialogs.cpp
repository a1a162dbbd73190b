#include "app/gui/dialogs/log_file_dialogs.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/dialogs/qt_text.h"
#include "settings/settings.h"

namespace corvane {

namespace {
enum WarningResult { kCancelled = 0, kOverwrite = 1, kAppend = 2 };
}

CLogFileWarningDialog::CLogFileWarningDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(kLogFileWarningTitle);
    auto* text = new QLabel(kLogFileExistsText, this);
    text->setObjectName("text");
    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName("buttons");
    QPushButton* overwrite = buttons->addButton("Overwrite", QDialogButtonBox::AcceptRole);
    overwrite->setObjectName("overwrite");
    QPushButton* append = buttons->addButton("Append", QDialogButtonBox::AcceptRole);
    append->setObjectName("append");
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    cancel->setObjectName("cancel");
    connect(overwrite, &QPushButton::clicked, this, [this] { done(kOverwrite); });
    connect(append, &QPushButton::clicked, this, [this] { done(kAppend); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(kCancelled); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

LogFileAnswer CLogFileWarningDialog::Ask()
{
    switch (exec()) {
    case kOverwrite:
        return LogFileAnswer::Overwrite;
    case kAppend:
        return LogFileAnswer::Append;
    default:
        return LogFileAnswer::Cancel;
    }
}

QString AskForLogFile(const QString& current, QWidget* parent)
{
    QFileDialog dialog(parent, kLogPagesToTitle, QString(), kLogFileFilter);
    dialog.setObjectName("logPagesTo");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The Log File Warning asks about an existing file, with Append besides Overwrite.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDefaultSuffix("txt");
    dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

LogFileResult LogPagesTo(ISettings& settings, IMessageBox& messageBox, QWidget* parent)
{
    QString picked = AskForLogFile(ToQt(settings.Get(key::LogFileName)), parent);
    if (picked.isEmpty()) return LogFileResult::Unchanged;
    return ChooseLogFile(
        settings, FromQt(picked), [&] { return CLogFileWarningDialog(parent).Ask(); }, messageBox);
}

}  // namespace corvane
