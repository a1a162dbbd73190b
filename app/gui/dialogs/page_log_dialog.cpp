#include "app/gui/dialogs/page_log_dialog.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "app/core/log_file_choice.h"
#include "app/gui/dialogs/list_dialog_layout.h"
#include "app/gui/dialogs/log_entry_model.h"
#include "app/gui/dialogs/print_commands.h"
#include "app/gui/dialogs/qt_text.h"
#include "app/gui/dialogs/wrap_mode.h"
#include "common/clock.h"

namespace corvane {

CPageLogDialog::CPageLogDialog(CPageLogViewer& viewer, CPrintCommands& printing, const IClock& clock, QWidget* parent)
    : QDialog(parent), m_viewer(viewer), m_printing(printing), m_clock(clock)
{
    setWindowTitle(kPageLogTitle);
    m_model = new CLogEntryModel(viewer.Reader(), this);
    m_entries = new QListView(this);
    m_entries->setObjectName("entries");
    m_entries->setModel(m_model);
    m_entries->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Every row as high as the first: the view never measures the other rows.
    m_entries->setUniformItemSizes(true);
    m_entries->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_message = new QPlainTextEdit(this);
    m_message->setObjectName("message");
    m_message->setReadOnly(true);
    auto* entryCaption = new QLabel(kEntryCaption, this);
    entryCaption->setObjectName("entryCaption");
    auto* messageCaption = new QLabel(kMessageCaption, this);
    messageCaption->setObjectName("messageCaption");

    QPushButton* ok = NamedButton(this, "OK", "ok");
    QPushButton* resubmit = NamedButton(this, "Resubmit", "resubmit");
    QPushButton* print = NamedButton(this, "Print", "print");
    QPushButton* clear = NamedButton(this, "Clear", "clear");
    QPushButton* help = NamedButton(this, "Help", "help");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CPageLogDialog::accept);
    connect(resubmit, &QPushButton::clicked, this, &CPageLogDialog::OnResubmit);
    connect(print, &QPushButton::clicked, this, &CPageLogDialog::OnPrint);
    connect(clear, &QPushButton::clicked, this, &CPageLogDialog::OnClear);
    connect(help, &QPushButton::clicked, this, [this] { m_viewer.ShowHelp(); });
    connect(m_entries->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CPageLogDialog::ShowMessage);
    connect(m_entries->selectionModel(), &QItemSelectionModel::currentChanged, this, &CPageLogDialog::ShowMessage);

    auto* side = new QVBoxLayout;
    for (QPushButton* button : {ok, resubmit, print, clear, help}) side->addWidget(button);
    side->addStretch();
    auto* texts = new QVBoxLayout;
    texts->addWidget(entryCaption);
    texts->addWidget(m_entries, 3);
    texts->addWidget(messageCaption);
    texts->addWidget(m_message, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(texts, 1);
    layout->addLayout(side);
    resize(640, 480);
}

std::vector<std::size_t> CPageLogDialog::Selected() const
{
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_entries->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CPageLogDialog::ShowMessage()
{
    // The entry last clicked, while it is selected.
    QModelIndex current = m_entries->selectionModel()->currentIndex();
    if (!current.isValid() || !m_entries->selectionModel()->isSelected(current)) {
        m_message->clear();
        return;
    }
    QString message = ToQtShown(m_viewer.Reader().ReadMessage(static_cast<std::size_t>(current.row())));
    m_message->setWordWrapMode(WrapModeFor(message));
    m_message->setPlainText(message);
}

void CPageLogDialog::OnResubmit()
{
    m_viewer.Resubmit(Selected());
}

void CPageLogDialog::OnPrint()
{
    m_printing.PrintLog(m_viewer.Reader(), Selected(), m_clock.Now(), this);
}

void CPageLogDialog::OnClear()
{
    if (!m_viewer.Clear()) return;
    m_model->Reload();
    m_message->clear();
}

void CPageLogDialog::accept()
{
    m_viewer.Finish(true);
    QDialog::accept();
}

void CPageLogDialog::reject()
{
    m_viewer.Finish(false);
    QDialog::reject();
}

QString AskForLogToView(const QString& current, const QString& dataDir, QWidget* parent)
{
    QFileDialog dialog(parent, kViewLogFileTitle, QString(), kLogFileFilter);
    dialog.setObjectName("viewLogFile");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Any name may be typed: one that is not there gets the program's own warning.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The error log lives in the data directory, wherever the page log is kept.
    QList<QUrl> places = dialog.sidebarUrls();
    places.prepend(QUrl::fromLocalFile(dataDir));
    dialog.setSidebarUrls(places);
    dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().front();
}

bool ViewPageLog(const std::string& current, const std::string& dataDir, const PageLogContext& context,
                 QWidget* parent)
{
    QString picked = AskForLogToView(ToQt(current), ToQt(dataDir), parent);
    if (picked.isEmpty()) return false;
    std::string path = FromQt(picked);
    if (RefuseMissingLog(path, context.messageBox)) return false;
    CPageLogViewer viewer(context.queue, context.view, context.messageBox);
    viewer.Open(path);
    CPageLogDialog dialog(viewer, context.printing, context.clock, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace corvane
