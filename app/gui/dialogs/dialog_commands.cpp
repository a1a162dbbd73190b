#include "app/gui/dialogs/dialog_commands.h"

#include <QWidget>

#include "app/core/message_editor.h"
#include "app/core/pager_fields.h"
#include "app/core/run_state.h"
#include "app/core/schedule_send.h"
#include "app/gui/dialogs/groups_dialog.h"
#include "app/gui/dialogs/individual_pager_dialog.h"
#include "app/gui/dialogs/log_file_dialogs.h"
#include "app/gui/dialogs/mail_filters_dialog.h"
#include "app/gui/dialogs/message_editor_dialog.h"
#include "app/gui/dialogs/modem_config_dialog.h"
#include "app/gui/dialogs/page_log_dialog.h"
#include "app/gui/dialogs/pager_config_dialog.h"
#include "app/gui/dialogs/pager_data_dialogs.h"
#include "app/gui/dialogs/qt_text.h"
#include "app/gui/dialogs/pager_message_dialog.h"
#include "app/gui/dialogs/print_commands.h"
#include "app/gui/dialogs/password_dialog.h"
#include "app/gui/dialogs/password_validation_dialog.h"
#include "app/gui/dialogs/preferences_dialog.h"
#include "app/gui/dialogs/schedule_page_dialog.h"
#include "app/gui/dialogs/scheduled_pages_dialog.h"
#include "app/gui/dialogs/service_config_dialog.h"
#include "app/gui/dialogs/call_progress_dialog.h"
#include "common/clock.h"
#include "directory/group_editor.h"
#include "directory/pager_file.h"
#include "directory/odbc_connection.h"
#include "directory/pager_import.h"
#include "directory/predefined_messages.h"
#include "engine/page_text.h"

namespace corvane {

CDialogCommands::CDialogCommands(CRunState& state, IMainView& view, const IClock& clock, QWidget* parent)
    : QObject(parent), m_state(state), m_view(view), m_clock(clock), m_parent(parent),
      m_printing(std::make_unique<CPrintCommands>(state.Files().messageBox))
{
}

CDialogCommands::~CDialogCommands() = default;

bool CDialogCommands::SendDialogOpen() const
{
    return !m_messageDialog.isNull() || !m_scheduleDialog.isNull();
}

CSchedulePageDialog* CDialogCommands::ScheduleDialog() const
{
    return m_scheduleDialog.data();
}

CPagerMessageDialog* CDialogCommands::MessageDialog() const
{
    return m_messageDialog.data();
}

bool CDialogCommands::RefuseWhileMonitoring(ConfigArea area)
{
    return corvane::RefuseWhileMonitoring(area, m_state.Monitoring(), m_state.Files().messageBox);
}

bool CDialogCommands::PasswordAllows()
{
    return AskForPassword(m_state.Files().settings, m_state.Files().messageBox, m_parent);
}

bool CDialogCommands::Guard(ConfigArea area)
{
    return !RefuseWhileMonitoring(area) && PasswordAllows();
}

bool CDialogCommands::ConfigureModems()
{
    if (!Guard(ConfigArea::Modems)) return false;
    const DataFiles& files = m_state.Files();
    CModemTypes types;
    types.Load(files.dataDir);
    CModemConfigDialog dialog(files.settings, files.messageBox, types, FindSerialDevices(), m_parent);
    return dialog.exec() == QDialog::Accepted;
}

bool CDialogCommands::ConfigureServices()
{
    if (!Guard(ConfigArea::Services)) return false;
    CServiceConfigDialog dialog(m_state.Files(), m_state.Pagers(), &m_view, m_parent);
    return dialog.exec() == QDialog::Accepted;
}

bool CDialogCommands::ConfigurePagers()
{
    if (!Guard(ConfigArea::Pagers)) return false;
    CPagerConfigDialog dialog(
        m_state.Files(), [this](const PagerRecord& values) { RunTestPage(m_state, values, m_parent); }, m_parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    m_state.RereadPagers();
    return true;
}

bool CDialogCommands::ConfigurePassword()
{
    CPasswordDialog dialog(m_state.Files().settings, m_state.Files().messageBox, m_parent);
    return dialog.exec() == QDialog::Accepted;
}

bool CDialogCommands::ConfigureMailFilters()
{
    if (!PasswordAllows()) return false;
    CMailFiltersDialog dialog(m_state.Files(), m_parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    m_state.ReloadMailFilters();
    return true;
}

bool CDialogCommands::EditPredefinedMessages()
{
    if (!PasswordAllows()) return false;
    CMessageEditor editor(CMessageEditor::Kind::Predefined, m_state.Files());
    CMessageEditorDialog dialog(editor, {}, m_parent);
    return dialog.exec() == QDialog::Accepted;
}

bool CDialogCommands::ConfigureDashnotes()
{
    if (!PasswordAllows()) return false;
    std::vector<PagerChoice> pagers;
    for (const auto& pager : m_state.Pagers().records()) pagers.push_back({pager->Code, pager->UserName});
    CMessageEditor editor(CMessageEditor::Kind::Dashnote, m_state.Files());
    CMessageEditorDialog dialog(editor, std::move(pagers), m_parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    m_state.ReloadDashnotes();
    return true;
}

// The dialog works on a list of its own rather than on the main one, which the tick's
// rescan or the command server may read again while the dialog is open; the main list
// is read again once the changes are saved.
bool CDialogCommands::ConfigureGroups()
{
    if (!PasswordAllows()) return false;
    const DataFiles& files = m_state.Files();
    CPagerList pagers;
    pagers.Reload(files);
    const std::string before = WritePagerRecords(pagers);
    CGroupsDialog dialog(pagers, files.messageBox, m_parent);
    dialog.exec();
    if (WritePagerRecords(pagers) == before) return false;
    if (!pagers.Save(files)) return false;
    TakeLocalGroups(pagers, m_state.Pagers());
    m_state.RereadPagers();
    return true;
}

bool CDialogCommands::ConfigurePreferences()
{
    if (!Guard(ConfigArea::Preferences)) return false;
    const DataFiles& files = m_state.Files();
    PreferencesSetup setup{files.settings, files.messageBox, m_state.Pagers(), files.Path("MESSAGES.DAT"),
                           ListOdbcDataSources(),
                           [this](const std::string& url, const std::string& user, const std::string& password) {
                               return CheckCalendarServer(url, user, password, m_state.Pump(), m_state.Clock());
                           },
                           [this] {
                               m_state.Pagers().Save(m_state.Files());
                               m_view.RefreshPagerList();
                               m_state.PreferencesChanged();
                           }};
    CPreferencesDialog dialog(std::move(setup), m_parent);
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    // Highlights changed since the last OK or Apply are dropped.
    if (!confirmed) m_state.RereadPagers();
    m_state.PreferencesChanged();
    return confirmed;
}

bool CDialogCommands::LogPagesTo()
{
    if (!PasswordAllows()) return false;
    LogFileResult result = corvane::LogPagesTo(m_state.Files().settings, m_state.Files().messageBox, m_parent);
    return result != LogFileResult::Unchanged && result != LogFileResult::Failed;
}

bool CDialogCommands::ExportPagerData()
{
    std::optional<ExportChoice> choice = AskForExportFile(m_parent);
    if (!choice) return false;
    return ExportPagers(FromQt(choice->path), choice->format, m_state.Pagers(), m_state.Files().messageBox);
}

bool CDialogCommands::ImportPagerData()
{
    if (!PasswordAllows()) return false;
    QString path = AskForImportFile(m_parent);
    if (path.isEmpty()) return false;
    // The new pagers are in the main list whether or not the save went through: reading
    // the files again shows what is stored.
    if (!ImportPagers(FromQt(path), m_state.Pagers(), m_state.Files())) return false;
    m_state.RereadPagers();
    return true;
}

bool CDialogCommands::PrintSetup()
{
    return m_printing->PrintSetup(m_parent);
}

bool CDialogCommands::PrintPagerList()
{
    return m_printing->PrintPagerList(m_state.Pagers(), m_state.Files().settings, m_clock.Now(), m_parent);
}

bool CDialogCommands::ViewPageLog()
{
    if (!PasswordAllows()) return false;
    const DataFiles& files = m_state.Files();
    return corvane::ViewPageLog(files.settings.Get(key::LogFileName), files.dataDir,
                                {m_state.Queue(), m_view, files.messageBox, *m_printing, m_clock}, m_parent);
}

void CDialogCommands::Page(const FormView& view)
{
    Send(view, SendVariant::Page);
}

void CDialogCommands::Resubmit(const FormView& view)
{
    Send(view, SendVariant::Resubmit);
}

void CDialogCommands::Send(const FormView& view, SendVariant variant)
{
    if (SendDialogOpen()) return;
    const DataFiles& files = m_state.Files();
    ISettings& settings = files.settings;
    PreparedSend send = PrepareSend(view, m_state.Pagers(), settings.GetInt(key::Messaging));
    if (send.entries.empty()) return;
    if (!send.NeedsPrompt()) {
        m_manual.Queue(send, {}, m_state.Queue(), m_state.Messages(), settings, m_view);
        return;
    }

    PagerMessageSetup setup = MessageSetup(send, m_manual.InitialTexts(variant));
    auto* dialog = new CPagerMessageDialog(setup, m_parent);
    m_messageDialog = dialog;
    connect(dialog, &CPagerMessageDialog::confirmed, this, [this, send](const PromptedTexts& texts) {
        m_messageDialog = nullptr;
        m_manual.Confirm(send, texts, m_state.Queue(), m_state.Messages(), m_state.Files().settings, m_view);
        emit sendButtonsChanged();
    });
    connect(dialog, &CPagerMessageDialog::cancelled, this, [this] {
        m_messageDialog = nullptr;
        emit sendButtonsChanged();
    });
    dialog->show();
    emit sendButtonsChanged();
}

PagerMessageSetup CDialogCommands::MessageSetup(const PreparedSend& send, const PromptedTexts& initial) const
{
    const DataFiles& files = m_state.Files();
    ISettings& settings = files.settings;
    PagerMessageSetup setup;
    setup.needs = send.needs;
    setup.initial = initial;
    CPredefinedMessageList predefined;
    predefined.Load(files.Path(kPredefinedMessagesFile));
    setup.predefined = predefined.messages();
    setup.suffixLength = ContentSuffix(ContentOptions::Read(settings), m_clock.Now()).size();
    setup.signatureLength = m_state.Messages().signature.size();
    setup.promptUseReturn = settings.IsOn(key::PromptUseReturn);
    return setup;
}

void CDialogCommands::Schedule(const FormView& view)
{
    if (SendDialogOpen()) return;
    ISettings& settings = m_state.Files().settings;
    const int messaging = settings.GetInt(key::Messaging);
    PreparedSend send = PrepareSend(view, m_state.Pagers(), messaging);
    if (send.entries.empty()) return;

    SchedulePageSetup setup{MessageSetup(send, {}), InitialScheduleFields(m_clock.Now())};
    auto schedule = [this, send, messaging](const ScheduleFields& fields) {
        return ScheduleEntries(send, messaging, fields, m_state.Schedules(), m_state.Files().settings, m_view,
                               m_state.Files().messageBox);
    };
    auto* dialog = new CSchedulePageDialog(setup, schedule, m_parent);
    m_scheduleDialog = dialog;
    auto closed = [this] {
        m_scheduleDialog = nullptr;
        emit sendButtonsChanged();
    };
    connect(dialog, &CSchedulePageDialog::scheduled, this, closed);
    connect(dialog, &CSchedulePageDialog::cancelled, this, closed);
    dialog->show();
    emit sendButtonsChanged();
}

void CDialogCommands::ScheduledPages()
{
    CScheduledPagesDialog dialog(m_state.Schedules(), m_state.Pagers(), m_state.Files().messageBox, m_parent);
    dialog.exec();
}

void CDialogCommands::DoubleClick(const FormView& view, std::size_t row)
{
    if (row >= view.rows.size()) return;
    if (m_state.Files().settings.IsOn(key::DisplayClickAction)) {
        Page(view);
        return;
    }
    EditPager(view.rows[row]);
}

bool CDialogCommands::EditPager(const FormRow& row)
{
    const DataFiles& files = m_state.Files();
    if (row.group) {
        files.messageBox.Show(kEditGroupText, kEditGroupCaption, MbIcon::Error, MbButtons::Ok);
        return false;
    }
    // Editing a pager from the list is configuring pagers: the same guards as the menu.
    if (!Guard(ConfigArea::Pagers)) return false;

    CPagerList local;
    local.LoadLocal(files);
    local.RebuildGroupNames();
    PagerRecord* record = local.FindByCode(row.code);
    PagerRecord shared;
    if (!record) {
        const PagerRecord* shown = m_state.Pagers().FindByCode(row.code);
        if (!shown || !shown->IsShared()) return false;  // gone meanwhile
        files.messageBox.Show(kShareWarningText, kShareWarningCaption, MbIcon::Information, MbButtons::Ok);
        shared = *shown;
        record = &shared;
    }
    CServiceList services;
    services.Reload(files);
    CIndividualPagerDialog dialog(
        {*record, local, services, files.settings,
         [this](const PagerRecord& values) { RunTestPage(m_state, values, m_parent); }},
        m_parent);
    if (dialog.exec() != QDialog::Accepted || record == &shared) return false;
    local.RebuildGroupNames();
    local.Save(files);
    m_state.RereadPagers();
    return true;
}

bool CDialogCommands::AddNewPager()
{
    const DataFiles& files = m_state.Files();
    CPagerList list;
    list.Reload(files);
    list.RebuildGroupNames();
    PagerRecord* added = AddPagerForEdit(list, files.settings);
    if (!added) return false;
    CServiceList services;
    services.Reload(files);
    CIndividualPagerDialog dialog(
        {*added, list, services, files.settings,
         [this](const PagerRecord& values) { RunTestPage(m_state, values, m_parent); }},
        m_parent);
    if (dialog.exec() != QDialog::Accepted) {
        CancelAddedPager(list, *added);
        return false;
    }
    ConfirmAddedPager(*added, files.settings);
    list.RebuildGroupNames();
    list.Save(files);
    m_state.RereadPagers();
    return true;
}

}  // namespace corvane
