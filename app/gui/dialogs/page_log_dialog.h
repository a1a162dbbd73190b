#pragma once
// View > Page Log: the "View Log File" open dialog, then the Page Log dialog on the
// chosen page log or error log: its entries, the selected entry's message, Resubmit,
// Print, Clear and Help.

#include <QDialog>

#include <ctime>
#include <string>
#include <vector>

#include "app/core/page_log_viewer.h"

class QListView;
class QPlainTextEdit;
class QPushButton;

namespace corvane {

class CLogEntryModel;
class CPrintCommands;
class IClock;

inline constexpr const char* kPageLogTitle = "Page Log";
inline constexpr const char* kEntryCaption = "Date     Time                           Pager";
inline constexpr const char* kMessageCaption = "Message Sent";

class CPageLogDialog final : public QDialog {
    Q_OBJECT
public:
    CPageLogDialog(CPageLogViewer& viewer, CPrintCommands& printing, const IClock& clock, QWidget* parent = nullptr);

    // List positions of the selected entries, in list order.
    std::vector<std::size_t> Selected() const;

public slots:
    void accept() override;
    void reject() override;

private:
    void ShowMessage();
    void OnResubmit();
    void OnPrint();
    void OnClear();

    CPageLogViewer& m_viewer;
    CPrintCommands& m_printing;
    const IClock& m_clock;
    CLogEntryModel* m_model = nullptr;
    QListView* m_entries = nullptr;
    QPlainTextEdit* m_message = nullptr;
};

// The open dialog titled "View Log File", text files, starting at current. Empty when
// cancelled.
QString AskForLogToView(const QString& current, const QString& dataDir, QWidget* parent);

struct PageLogContext {
    CPageQueue& queue;
    IMainView& view;
    IMessageBox& messageBox;
    CPrintCommands& printing;
    const IClock& clock;
};

// The whole command after the password check: the open dialog, the check that the file
// exists, the Page Log dialog. True when the dialog was closed with OK.
bool ViewPageLog(const std::string& current, const std::string& dataDir, const PageLogContext& context,
                 QWidget* parent);

}  // namespace corvane
