#include "app/gui/frame_commands.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include "app/gui/artwork.h"
#include "app/gui/dialogs/qt_text.h"

namespace corvane {
namespace {

QIcon IconOf(int id)
{
    switch (id) {
    case cmd::ExportPagerData: return ExportIcon();
    case cmd::MonitorPhone: return PhoneIcon();
    case cmd::MonitorPim: return MonitorPimIcon();
    case cmd::MonitorMail: return MailIcon();
    case cmd::ManualMonitoring: return MonitoringIcon();
    case cmd::ActivateScreenSaver: return ScreenSaverIcon();
    case cmd::PauseQueue: return PauseIcon();
    case cmd::HelpContents: return HelpIcon();
    default: return {};
    }
}

}  // namespace

const std::vector<FrameCommand>& FrameCommandTable()
{
    static const std::vector<FrameCommand> table = {
        {cmd::ExportPagerData, "&Export Pager Data...", "exportPagerDataAction"},
        {cmd::ImportPagerData, "&Import Pager Data...", "importPagerDataAction"},
        {cmd::LogPagesTo, "&Log Pages To...", "logPagesToAction"},
        {cmd::PrintSetup, "Print Set&up...", "printSetupAction"},
        {cmd::PrintPagerList, "&Print Pager List...", "printPagerListAction"},
        {cmd::Exit, "E&xit", "exitAction"},
        {cmd::ActivateScreenSaver, "&Activate Screen Saver", "activateScreenSaverAction"},
        {cmd::ManualMonitoring, "Monitor &Without Screen Saver", "manualMonitoringAction", true},
        {cmd::CallerIdPopup, "&Caller ID Popup", "callerIdPopupAction", true},
        {cmd::PauseQueue, "&Pause Page Queue", "pauseAction", true},
        {cmd::ConfigureModems, "&Modems...", "configureModemsAction"},
        {cmd::ServiceProviders, "&Service Providers...", "configureServicesAction"},
        {cmd::ConfigurePagers, "&Pagers...", "configurePagersAction"},
        {cmd::Preferences, "P&references...", "configurePreferencesAction"},
        {cmd::PredefinedMessages, "Pre-&Defined Messages...", "predefinedMessagesAction"},
        {cmd::MailFilters, "Mail &Filters...", "mailFiltersAction"},
        {cmd::Groups, "&Groups...", "configureGroupsAction"},
        {cmd::Password, "Pass&word...", "configurePasswordAction"},
        {cmd::DashnoteConfigure, "&Configure...", "dashnoteConfigureAction"},
        {cmd::ScheduledPages, "&Scheduled Pages...", "scheduledPagesAction"},
        {cmd::PageLog, "Page &Log...", "pageLogAction"},
        {cmd::HelpContents, "&Contents", "helpContentsAction"},
        {cmd::HelpSearch, "&Search for Help On...", "helpSearchAction"},
        {cmd::HelpUsing, "&How to Use Help", "helpUsingAction"},
        {cmd::HelpSupport, "&Obtaining Technical Support", "helpSupportAction"},
        {cmd::About, "&About Corvane...", "aboutAction"},
        // On the toolbar only.
        {cmd::MonitorPhone, "Monitor Phone", "monitorPhoneAction", true},
        {cmd::MonitorPim, "Monitor PIM Reminders", "monitorPimAction", true},
        {cmd::MonitorMail, "Monitor EMail", "monitorMailAction", true},
    };
    return table;
}

const std::vector<FrameMenu>& MainMenuTable()
{
    using namespace cmd;
    static const std::vector<FrameMenu> menus = {
        {"&File", "fileMenu",
         {ExportPagerData, ImportPagerData, 0, LogPagesTo, 0, PrintSetup, PrintPagerList, 0, Exit}},
        {"&Action", "actionMenu", {ActivateScreenSaver, ManualMonitoring, 0, CallerIdPopup, 0, PauseQueue}},
        {"&Configure", "configureMenu",
         {ConfigureModems, ServiceProviders, ConfigurePagers, Preferences, 0, PredefinedMessages, MailFilters, Groups,
          0, Password}},
        {"&Dashnote", "dashnoteMenu", {DashnoteConfigure}},
        {"&View", "viewMenu", {ScheduledPages, PageLog}},
        {"&Help", "helpMenu", {HelpContents, HelpSearch, HelpUsing, 0, HelpSupport, 0, About}},
    };
    return menus;
}

const std::vector<int>& ToolbarTable()
{
    using namespace cmd;
    static const std::vector<int> toolbar = {
        ExportPagerData, 0, MonitorPhone, MonitorPim, MonitorMail, 0, ManualMonitoring, ActivateScreenSaver, 0,
        PauseQueue,      0, HelpContents};
    return toolbar;
}

CFrameCommands::CFrameCommands(QMainWindow& frame) : QObject(&frame)
{
    for (const FrameCommand& command : FrameCommandTable()) {
        auto* action = new QAction(IconOf(command.id), QString::fromUtf8(command.text), &frame);
        action->setObjectName(command.objectName);
        action->setData(command.id);
        action->setCheckable(command.checkable);
        // A menu shows an entry's icon in place of its check mark: a switch shows the mark.
        if (command.checkable) action->setIconVisibleInMenu(false);
        action->setVisible(false);
        // The toolbar's tip is the command without its mnemonic and dots.
        action->setToolTip(QString::fromUtf8(command.text).remove('&').remove(QStringLiteral("...")));
        m_actions[command.id] = action;
    }
    for (const FrameMenu& table : MainMenuTable()) {
        QMenu* menu = frame.menuBar()->addMenu(QString::fromUtf8(table.title));
        menu->setObjectName(table.objectName);
        for (int id : table.entries) {
            if (id == 0)
                menu->addSeparator();
            else
                menu->addAction(m_actions.at(id));
        }
        m_menus[table.objectName] = menu;
    }
    m_toolbar = frame.addToolBar(tr("Toolbar"));
    m_toolbar->setObjectName("toolbar");
    m_toolbar->setMovable(false);
    m_toolbar->setIconSize(QSize(24, 22));
    // The three monitor switches are only here: the toolbar cannot be hidden.
    m_toolbar->toggleViewAction()->setEnabled(false);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (int id : ToolbarTable()) {
        if (id == 0)
            m_toolbar->addSeparator();
        else
            m_toolbar->addAction(m_actions.at(id));
    }
}

QAction* CFrameCommands::Action(int id) const
{
    auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

QMenu* CFrameCommands::Menu(const char* objectName) const
{
    auto it = m_menus.find(objectName);
    return it == m_menus.end() ? nullptr : it->second;
}

void CFrameCommands::Bind(int id, std::function<void()> handler)
{
    QAction* action = m_actions.at(id);
    connect(action, &QAction::triggered, this, [handler = std::move(handler)] { handler(); });
    action->setVisible(true);
}

void CFrameCommands::ShowDashnotes(const std::vector<DashnoteMenuEntry>& entries, const std::function<void(int)>& send)
{
    QMenu* menu = Menu("dashnoteMenu");
    // Everything above the fixed last item goes; the messages come in front of it.
    QList<QAction*> items = menu->actions();
    for (int i = 0; i + 1 < items.size(); ++i) {
        menu->removeAction(items[i]);
        if (items[i]->parent() == this || items[i]->isSeparator()) items[i]->deleteLater();
    }
    m_dashnotes.clear();
    if (entries.empty()) return;
    QAction* configure = menu->actions().front();
    for (const DashnoteMenuEntry& entry : entries) {
        // A '&' in a name is a letter, not a mnemonic.
        auto* action = new QAction(ToQtShown(entry.text).replace('&', QStringLiteral("&&")), this);
        action->setObjectName(QStringLiteral("dashnote%1Action").arg(entry.commandId));
        action->setData(entry.commandId);
        action->setEnabled(m_dashnotesEnabled);
        const int id = entry.commandId;
        connect(action, &QAction::triggered, this, [send, id] { send(id); });
        menu->insertAction(configure, action);
        m_dashnotes.push_back(action);
    }
    menu->insertSeparator(configure);
}

void CFrameCommands::EnableDashnotes(bool enabled)
{
    m_dashnotesEnabled = enabled;
    for (QAction* action : m_dashnotes) action->setEnabled(enabled);
}

std::vector<QAction*> CFrameCommands::DashnoteActions() const
{
    return m_dashnotes;
}

}  // namespace corvane
