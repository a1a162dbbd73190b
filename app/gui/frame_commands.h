#pragma once
// The main window's commands as a table: the menu "MainMenu" in its order, the toolbar
// in its order, and one action per command id, shared by the menu, the toolbar and the
// tray's menu. The frame binds a handler to each id; an entry whose command is not part
// of the program (no handler bound) stays hidden rather than dead.

#include <QObject>

#include <functional>
#include <map>
#include <vector>

#include "directory/dashnote_list.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace corvane {

// The command ids of the menu and the toolbar.
namespace cmd {
inline constexpr int ConfigureModems = 32771;
inline constexpr int ConfigurePagers = 32772;
inline constexpr int MonitorPhone = 32774;
inline constexpr int MonitorPim = 32776;
inline constexpr int Preferences = 32777;
inline constexpr int ActivateScreenSaver = 32779;
inline constexpr int ExportPagerData = 32780;
inline constexpr int ManualMonitoring = 32782;
inline constexpr int LogPagesTo = 32784;
inline constexpr int ImportPagerData = 32786;
inline constexpr int MailFilters = 32788;
inline constexpr int MonitorMail = 32789;
inline constexpr int PredefinedMessages = 32791;
inline constexpr int ScheduledPages = 32793;
inline constexpr int PageLog = 32796;
inline constexpr int CallerIdPopup = 32797;
inline constexpr int Groups = 32799;
inline constexpr int ServiceProviders = 32801;
inline constexpr int DashnoteConfigure = 32802;
inline constexpr int PauseQueue = 32807;
inline constexpr int PrintPagerList = 32808;
inline constexpr int Password = 32812;
inline constexpr int HelpContents = 40023;
inline constexpr int HelpSupport = 40046;
inline constexpr int HelpSearch = 40047;
inline constexpr int HelpUsing = 40048;
inline constexpr int PrintSetup = 57606;
inline constexpr int About = 57664;
inline constexpr int Exit = 57665;
}  // namespace cmd

// A command of a menu or the toolbar; id 0 is a separator.
struct FrameCommand {
    int id = 0;
    const char* text = nullptr;  // with its mnemonic
    const char* objectName = nullptr;
    bool checkable = false;
};

struct FrameMenu {
    const char* title;
    const char* objectName;
    std::vector<int> entries;  // command ids in order; 0 a separator
};

// Every command, menu entries and toolbar-only buttons alike.
const std::vector<FrameCommand>& FrameCommandTable();
// "MainMenu": File, Action, Configure, Dashnote, View, Help.
const std::vector<FrameMenu>& MainMenuTable();
// The toolbar's buttons in order; 0 a separator.
const std::vector<int>& ToolbarTable();

class CFrameCommands final : public QObject {
    Q_OBJECT
public:
    // Builds the menu bar and the toolbar of frame; every entry hidden until bound.
    explicit CFrameCommands(QMainWindow& frame);

    QAction* Action(int id) const;
    QMenu* Menu(const char* objectName) const;
    QToolBar* Toolbar() const { return m_toolbar; }

    // The command's handler; from now on its entry and button are shown.
    void Bind(int id, std::function<void()> handler);

    // The Dashnote submenu: the messages (newest first), a separator, then Configure.
    // Choosing a message calls send with its command id.
    void ShowDashnotes(const std::vector<DashnoteMenuEntry>& entries, const std::function<void(int)>& send);
    // The messages' entries; disabled while a page is in progress.
    void EnableDashnotes(bool enabled);
    std::vector<QAction*> DashnoteActions() const;

private:
    std::map<int, QAction*> m_actions;
    std::map<std::string, QMenu*> m_menus;
    QToolBar* m_toolbar = nullptr;
    std::vector<QAction*> m_dashnotes;
    bool m_dashnotesEnabled = true;
};

}  // namespace corvane
