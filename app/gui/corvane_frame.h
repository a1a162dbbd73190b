#pragma once
// The main window: menu, toolbar and status bar around the pager list form, the tray
// icon, the one-second tick, and the way out (Exit, Close and the tray's Close). It
// is the shell of the core's run state: what the run state asks of a frame it does
// here, and every command it offers calls the run state.

#include <QIcon>
#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/frame_shell.h"
#include "app/gui/help_page.h"
#include "callmon/voice_numbers.h"

class QAction;
class QLabel;
class QSystemTrayIcon;

namespace corvane {

class CCallerIdPopupWindow;
class CDialogCommands;
class CFrameCommands;
class CPagerListForm;
class CQtEventPump;
class CRunState;
class IClock;
class ISettings;

// What the frame drives once the program exists.
struct FrameContext {
    ISettings& settings;
    CRunState& runState;
    std::function<void()> tick;      // the one-second tick of the program
    std::function<void()> shutdown;  // the program's shut-down, after the window's own steps
    const IClock& clock;             // the time the Pager Message dialog's hint counts with
};

enum class StatusPane { Message, Monitoring, Call, Pim, Mail, Queue };

// The smallest frame.
inline constexpr int kMinFrameWidth = 324;
inline constexpr int kMinFrameHeight = 384;

class CCorvaneFrame final : public QMainWindow, public IFrameShell {
    Q_OBJECT
public:
    CCorvaneFrame(CQtEventPump& pump, const std::string& title, QWidget* parent = nullptr);
    ~CCorvaneFrame() override;

    // Before Attach the frame already takes what the program's creation shows (the
    // switches, the queue count); after it, the pager list is shown and the commands
    // that open dialogs work.
    void Attach(const FrameContext& context);
    // The stored rectangle ("Display"), else one centred on the screen.
    QRect StartRectangle() const;
    void ShowAtStoredRectangle();
    // The tray icon when "TaskbarButton" is "0"; false when not configured.
    bool AddTrayIcon();
    void StartTick();
    // One tick, as the timer gives it.
    void TickNow();
    // Exit, the window's Close and the tray's Close.
    void RequestExit();
    bool Closed() const { return m_closed; }
    bool QuitPending() const { return m_quitPending; }

    CPagerListForm& Form() const { return *m_form; }
    QString PaneText(StatusPane pane) const;
    // The menu's and the toolbar's commands by id (frame_commands.h).
    CFrameCommands& Commands() const { return *m_commands; }
    QAction* CommandAction(int id) const;
    QAction* ExitAction() const;
    QAction* ActivateScreenSaverAction() const;
    QAction* ManualMonitoringAction() const;
    QAction* CallerIdPopupAction() const;
    QAction* MonitorPhoneAction() const;
    // The caller-ID pop-up while the call monitor shows it, else null.
    CCallerIdPopupWindow* CallerIdPopup() const;
    QAction* PauseAction() const;
    QAction* MonitorPimAction() const;
    QAction* MonitorMailAction() const;
    QAction* ScheduledPagesAction() const;
    QAction* LogPagesToAction() const;
    QMenu* ConfigureMenu() const;
    // The help page the Help commands show (FindHelpPage() unless set).
    void SetHelpPage(const QString& page) { m_helpPage = page; }
    // The Dashnote submenu built again from the run state's messages.
    void RefreshDashnoteMenu();
    // The dialog commands once attached, else null.
    CDialogCommands* Dialogs() const { return m_dialogs.get(); }
    QSystemTrayIcon* TrayIcon() const { return m_tray; }
    bool ShowingAlternateIcon() const { return m_alternateIcon; }

    // IMainView
    void SetStatus(const std::string& text) override;
    void ResetStatus() override;
    void ShowWaitCursor(bool on) override;
    void SetStatusField(const std::string& text) override;
    void SetQueueCount(int count) override;
    void SetPageInProgress(bool inProgress) override;
    void Minimize() override;
    void Restore() override;
    bool IsMinimized() const override;
    void PostExit() override;
    void RefreshPagerList() override;
    // IMonitoringView
    void SetTitle(const std::string& title) override;
    void ShowManualMonitoring(bool on) override;
    // IFrameShell
    void CloseProgram() override;
    void PostCancel() override;
    void AddNewPager() override;
    void ShowSwitches(const SwitchState& state) override;
    void ShowAlternateIcon(bool alternate) override;
    // A second start, the tray icon's click and its Restore.
    void BringToFront() override;
    // The preferences closed: the tray icon added or taken away.
    void ApplyTaskbarButton() override;
    // ICallerIdView
    void ShowCallerIdPopup() override;
    void ShowCallerIdNumber(const std::string& shown) override;
    void ShowCallerIdName(const std::string& name) override;
    void HideCallerIdPopup() override;

signals:
    // The window is gone and the program has shut down: the application may end.
    void programClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BindCommands();  // frame_bindings.cpp
    void BuildStatusBar();
    QLabel* AddPane(const QString& widest);
    void SetPane(StatusPane pane, const QString& text);
    void SyncChecks();
    template <class F> void CallCore(F&& f);
    template <class F> void CallDialogs(F&& f);
    // The same for the other source files of the frame.
    void RunCore(const std::function<void()>& f);
    void RunDialogs(const std::function<void(CDialogCommands&)>& f);
    void ConnectSendCommands();
    void OnRowDoubleClicked(int row);
    void OnVoiceDial(VoiceButton button);
    void ShowSendState();
    void MaybeFinishQuit();
    void CloseNow();
    void StoreWindowState();
    void HideToTrayIfMinimized();
    void OpenHelp(HelpTopic topic);   // frame_bindings.cpp
    void ShowAbout();                 // frame_bindings.cpp
    void OnDashnote(int commandId);   // frame_bindings.cpp

    CQtEventPump& m_pump;
    ISettings* m_settings = nullptr;
    CRunState* m_runState = nullptr;
    std::function<void()> m_tick;
    std::function<void()> m_shutdown;

    CPagerListForm* m_form = nullptr;
    std::array<QLabel*, 6> m_panes{};
    CFrameCommands* m_commands = nullptr;
    QString m_helpPage;
    std::unique_ptr<CDialogCommands> m_dialogs;
    QSystemTrayIcon* m_tray = nullptr;
    std::unique_ptr<CCallerIdPopupWindow> m_popup;
    QIcon m_programIcon;
    QIcon m_pagingIcon;
    bool m_alternateIcon = false;

    QTimer m_tickTimer;
    QTimer m_quitRetry;
    int m_coreDepth = 0;
    bool m_quitPending = false;
    bool m_closed = false;
};

}  // namespace corvane
