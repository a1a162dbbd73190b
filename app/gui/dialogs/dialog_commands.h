#pragma once
// What the main window calls for the commands that open this folder's dialogs. The
// frame creates one CDialogCommands after the run state exists and keeps it as long as
// the run state:
//
//   m_dialogs = std::make_unique<CDialogCommands>(runState, /*IMainView*/ *this, clock, this);
//   connect(m_dialogs.get(), &CDialogCommands::sendButtonsChanged, form, &CPagerListForm::<update buttons>);
//
// Menu and button wiring (each call shows its own refusals and message boxes, through
// the run state's IMessageBox):
//   Configure > Modems             -> ConfigureModems()
//   Configure > Service Providers  -> ConfigureServices()
//   Configure > Pagers             -> ConfigurePagers()    (re-reads the pager file on OK)
//   Configure > Password           -> ConfigurePassword()
//   Configure > Pre-Defined Messages -> EditPredefinedMessages()
//   Configure > Groups             -> ConfigureGroups()    (saves and re-reads the pager list)
//   Dashnote > Configure           -> ConfigureDashnotes() (re-reads DASHNOTE.DAT on OK)
//   Configure > Preferences        -> ConfigurePreferences()
//   Configure > Mail Filters       -> ConfigureMailFilters()  (behind the password; the
//                                     program's filters are read again on OK)
//   File > Log Pages To            -> LogPagesTo()
//   File > Export Pager Data       -> ExportPagerData()
//   File > Import Pager Data       -> ImportPagerData()   (re-reads the pager list after an import)
//   File > Print Setup             -> PrintSetup()
//   File > Print Pager List        -> PrintPagerList()
//   View > Page Log                -> ViewPageLog()        (behind the password)
//   Page button (1014)             -> Page(view)
//   Resubmit button (1017)         -> Resubmit(view)
//   Schedule button (1018)         -> Schedule(view)
//   View > Scheduled Pages         -> ScheduledPages()
//   double-click on row r          -> DoubleClick(view, r)
//   IFrameShell::AddNewPager       -> AddNewPager()       (the command server's "AddPager")
//   other password-guarded commands (Groups, Import, Mail Filters ...): if (!PasswordAllows()) return;
//   Preferences while monitoring:  if (RefuseWhileMonitoring(ConfigArea::Preferences)) return;
//
// view is a FormView (app/core/prepare_send.h) built from the form at the moment of the
// command: every row in list order with group = (row data == -32000), code = the row
// data otherwise, text = the first column's text (the group's name for a group row),
// selected; groupView = ("ViewMode" is 1) and group = the group shown.
// MakeFormView (app/gui/dialogs/form_view.h) builds it from the form's ListRows, one
// selected flag per row and the ListChoice shown:
//   FormView view = MakeFormView(form.Model().Rows(), selectedFlags, shownChoice);
//
// The form's send buttons: while SendDialogOpen() is true (the Pager Message or the
// Schedule Page dialog is open), Page, Schedule and Resubmit are disabled; otherwise Resubmit is enabled together with Page once
// ResubmitAvailable() is true. sendButtonsChanged() says when either has changed.

#include <QObject>
#include <QPointer>

#include <memory>

#include "app/core/config_guard.h"
#include "app/core/prepare_send.h"

class QWidget;

namespace corvane {

class CPagerMessageDialog;
class CPrintCommands;
class CRunState;
class CSchedulePageDialog;
struct PagerMessageSetup;
class IClock;
class IMainView;

class CDialogCommands final : public QObject {
    Q_OBJECT
public:
    // parent: the main window, owner of the dialogs. view: the frame as IMainView (the
    // queue count, Auto-Minimize, the redraw after a service change). clock: the time on
    // the last page, for the page-count hint.
    CDialogCommands(CRunState& state, IMainView& view, const IClock& clock, QWidget* parent);
    ~CDialogCommands() override;

    // Configure menu. True when the dialog was confirmed.
    bool ConfigureModems();
    bool ConfigureServices();
    bool ConfigurePagers();
    bool ConfigurePassword();
    bool EditPredefinedMessages();
    bool ConfigureGroups();
    bool ConfigureDashnotes();
    // The pager list is saved on OK and Apply and re-read on Cancel; either way the run
    // state reads the preferences again.
    bool ConfigurePreferences();
    bool ConfigureMailFilters();
    // File menu.
    bool LogPagesTo();
    bool ExportPagerData();
    bool ImportPagerData();
    bool PrintSetup();
    bool PrintPagerList();
    // View menu. True when the Page Log dialog was closed with OK.
    bool ViewPageLog();
    // The program's printer and what prints on it.
    CPrintCommands& Printing() { return *m_printing; }

    // The form's send commands.
    void Page(const FormView& view);
    void Resubmit(const FormView& view);
    // The same preparation as Page, then the Schedule Page dialog (not modal).
    void Schedule(const FormView& view);
    // The Scheduled Pages window, modally.
    void ScheduledPages();
    // "DisplayClickAction" "1": Page; otherwise the pager of the row is edited.
    void DoubleClick(const FormView& view, std::size_t row);
    // A new pager added through the individual dialog, modally; saved and re-read on OK.
    bool AddNewPager();

    // The guards, for the frame's other guarded commands.
    bool PasswordAllows();
    bool RefuseWhileMonitoring(ConfigArea area);

    bool SendDialogOpen() const;
    bool ResubmitAvailable() const { return m_manual.ResubmitAvailable(); }
    // The open Pager Message dialog, or null.
    CPagerMessageDialog* MessageDialog() const;
    // The open Schedule Page dialog, or null.
    CSchedulePageDialog* ScheduleDialog() const;

signals:
    void sendButtonsChanged();

private:
    void Send(const FormView& view, SendVariant variant);
    PagerMessageSetup MessageSetup(const PreparedSend& send, const PromptedTexts& initial) const;
    bool Guard(ConfigArea area);
    bool EditPager(const FormRow& row);

    CRunState& m_state;
    IMainView& m_view;
    const IClock& m_clock;
    QWidget* m_parent;
    CManualSend m_manual;
    QPointer<CPagerMessageDialog> m_messageDialog;
    QPointer<CSchedulePageDialog> m_scheduleDialog;
    std::unique_ptr<CPrintCommands> m_printing;
};

}  // namespace corvane
