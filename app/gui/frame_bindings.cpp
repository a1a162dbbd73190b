// The main window's commands bound to what they do: the table of frame_commands.h on
// one side, the run state and the dialog commands on the other. Each handler runs as a
// core call, so that a quit asked for meanwhile waits until it has returned.

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>

#include "app/core/program_info.h"
#include "app/core/run_state.h"
#include "app/gui/corvane_frame.h"
#include "app/gui/dialogs/dialog_commands.h"
#include "app/gui/frame_commands.h"
#include "app/gui/pager_list_form.h"

namespace corvane {

void CCorvaneFrame::BindCommands()
{
    auto dialog = [this](int id, auto command) {
        m_commands->Bind(id, [this, command] { RunDialogs([command](CDialogCommands& d) { (d.*command)(); }); });
    };
    auto core = [this](int id, auto action) {
        m_commands->Bind(id, [this, action] { RunCore([this, action] { action(*m_runState); }); });
    };

    dialog(cmd::ExportPagerData, &CDialogCommands::ExportPagerData);
    dialog(cmd::ImportPagerData, &CDialogCommands::ImportPagerData);
    dialog(cmd::LogPagesTo, &CDialogCommands::LogPagesTo);
    dialog(cmd::PrintSetup, &CDialogCommands::PrintSetup);
    dialog(cmd::PrintPagerList, &CDialogCommands::PrintPagerList);
    m_commands->Bind(cmd::Exit, [this] { RequestExit(); });

    core(cmd::ActivateScreenSaver, [](CRunState& s) { s.Monitoring().ActivateScreenSaver(); });
    core(cmd::ManualMonitoring, [](CRunState& s) { s.Monitoring().ToggleManualMonitoring(); });
    core(cmd::CallerIdPopup, [](CRunState& s) { s.ToggleCallerIdPopup(); });
    core(cmd::PauseQueue, [](CRunState& s) { s.TogglePause(); });
    core(cmd::MonitorPhone, [](CRunState& s) { s.ToggleMonitorPhone(); });
    core(cmd::MonitorPim, [](CRunState& s) { s.ToggleMonitorPim(); });

    dialog(cmd::ConfigureModems, &CDialogCommands::ConfigureModems);
    dialog(cmd::ServiceProviders, &CDialogCommands::ConfigureServices);
    dialog(cmd::ConfigurePagers, &CDialogCommands::ConfigurePagers);
    dialog(cmd::PredefinedMessages, &CDialogCommands::EditPredefinedMessages);
    dialog(cmd::Groups, &CDialogCommands::ConfigureGroups);
    dialog(cmd::Password, &CDialogCommands::ConfigurePassword);
    dialog(cmd::Preferences, &CDialogCommands::ConfigurePreferences);
    dialog(cmd::MailFilters, &CDialogCommands::ConfigureMailFilters);
    core(cmd::MonitorMail, [](CRunState& s) { s.ToggleMonitorMail(); });
    m_commands->Bind(cmd::DashnoteConfigure, [this] {
        RunDialogs([](CDialogCommands& d) { d.ConfigureDashnotes(); });
        RefreshDashnoteMenu();
    });

    dialog(cmd::ScheduledPages, &CDialogCommands::ScheduledPages);
    dialog(cmd::PageLog, &CDialogCommands::ViewPageLog);

    m_commands->Bind(cmd::HelpContents, [this] { OpenHelp(HelpTopic::Contents); });
    m_commands->Bind(cmd::HelpSearch, [this] { OpenHelp(HelpTopic::Search); });
    m_commands->Bind(cmd::HelpUsing, [this] { OpenHelp(HelpTopic::UsingHelp); });
    m_commands->Bind(cmd::HelpSupport, [this] { OpenHelp(HelpTopic::Support); });
    m_commands->Bind(cmd::About, [this] { ShowAbout(); });
}

QAction* CCorvaneFrame::CommandAction(int id) const
{
    return m_commands->Action(id);
}

QAction* CCorvaneFrame::ExitAction() const { return CommandAction(cmd::Exit); }
QAction* CCorvaneFrame::ActivateScreenSaverAction() const { return CommandAction(cmd::ActivateScreenSaver); }
QAction* CCorvaneFrame::ManualMonitoringAction() const { return CommandAction(cmd::ManualMonitoring); }
QAction* CCorvaneFrame::CallerIdPopupAction() const { return CommandAction(cmd::CallerIdPopup); }
QAction* CCorvaneFrame::MonitorPhoneAction() const { return CommandAction(cmd::MonitorPhone); }
QAction* CCorvaneFrame::PauseAction() const { return CommandAction(cmd::PauseQueue); }
QAction* CCorvaneFrame::MonitorPimAction() const { return CommandAction(cmd::MonitorPim); }
QAction* CCorvaneFrame::MonitorMailAction() const { return CommandAction(cmd::MonitorMail); }
QAction* CCorvaneFrame::ScheduledPagesAction() const { return CommandAction(cmd::ScheduledPages); }
QAction* CCorvaneFrame::LogPagesToAction() const { return CommandAction(cmd::LogPagesTo); }
QMenu* CCorvaneFrame::ConfigureMenu() const { return m_commands->Menu("configureMenu"); }

void CCorvaneFrame::RefreshDashnoteMenu()
{
    if (!m_runState) return;
    m_commands->ShowDashnotes(m_runState->Dashnotes().MenuEntries(), [this](int id) { OnDashnote(id); });
    m_commands->EnableDashnotes(!m_runState->Queue().pageInProgress);
}

void CCorvaneFrame::OnDashnote(int commandId)
{
    // The rows as they are now: a message without pagers of its own goes to the selection.
    RunCore([this, commandId] { m_runState->SendDashnote(commandId, m_form->View()); });
}

void CCorvaneFrame::OpenHelp(HelpTopic topic)
{
    if (!m_runState) return;
    IMessageBox& messageBox = m_runState->Files().messageBox;
    if (m_helpPage.isEmpty() || !QFileInfo(m_helpPage).isFile()) {
        RunCore([&] {
            messageBox.Show("The help page is not installed.  It belongs in share/corvane/help/index.html beside the "
                            "folder of the program; the README describes the program as well.",
                            "Help", MbIcon::Warning, MbButtons::Ok);
        });
        return;
    }
    if (QDesktopServices::openUrl(HelpUrl(m_helpPage, topic))) return;
    RunCore([&] {
        messageBox.Show("Unable to show the help page " + m_helpPage.toStdString() +
                            ".  No web browser is set up on this desktop to open it.",
                        "Help", MbIcon::Warning, MbButtons::Ok);
    });
}

void CCorvaneFrame::ShowAbout()
{
    QMessageBox about(this);
    about.setObjectName("aboutBox");
    about.setWindowTitle(tr("About Corvane"));
    about.setIconPixmap(windowIcon().pixmap(64, 64));
    about.setText(QStringLiteral("<b>Corvane</b><br>Version %1").arg(QString::fromUtf8(CorvaneVersion())));
    about.setInformativeText(tr("A desktop paging terminal: pages to alphanumeric and numeric pagers by modem, over "
                                "TCP and SNPP, and through the Corvane gateways."));
    about.setStandardButtons(QMessageBox::Ok);
    about.exec();
}

}  // namespace corvane
