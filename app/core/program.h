#pragma once
// One running program, built in the start-up order and taken down in the shut-down
// order. The desktop frame and the headless program are shells around it: they
// supply the windows (or standard error), the event loop and the event pump, and call
// these steps where their own steps (the window, the splash, the tray) fit in.

#include <memory>
#include <string>

#include "app/core/command_line.h"
#include "app/core/command_server.h"
#include "app/core/hook_library.h"
#include "app/core/run_state.h"
#include "common/clock.h"
#include "common/event_pump.h"
#include "common/message_box.h"
#include "common/reactor.h"
#include "engine/transports.h"
#include "settings/settings.h"

namespace corvane {

class CMailSystem;
class CPagingServerListener;
class CPortSlots;

struct ShellParts {
    IFrameShell& shell;
    IMessageBox& messageBox;
    IEventPump& pump;
    IReactor& reactor;
    const IClock& clock;
    IHookLibrary& hooks;
};

class CProgram {
public:
    explicit CProgram(const std::string& commandLine);
    ~CProgram();
    CProgram(const CProgram&) = delete;
    CProgram& operator=(const CProgram&) = delete;

    const CommandLineOptions& Options() const { return m_options; }
    const std::string& Title() const { return m_options.title; }
    std::string MonitoringTitle() const { return m_options.title + " - Monitoring"; }

    // The single-instance rule: when an instance of this title runs, it is brought to the
    // front and given this start's page commands (5 s limit); this start then ends.
    bool HandedToRunningInstance();

    // The settings, the command server, the run state and its data. False when another
    // instance took the command socket meanwhile (this start then ends as above).
    bool Create(const ShellParts& parts);
    // After the window is shown: the hook library gets its descriptor, the caller-ID
    // pop-up opens its modem, -M starts monitoring.
    void StartMonitoringServices();
    // The one-second tick.
    void OnTick();
    // Window destruction and application exit, in their order (the shell stores its
    // column widths and window rectangle first).
    void Shutdown();

    ISettings& Settings() { return *m_settings; }
    CRunState& RunState() { return *m_runState; }
    CCommandServer* CommandServer() { return m_server.get(); }
    const std::string& DataDir() const { return m_dataDir; }

    // The message of a -W data directory without MODEMS.DAT.
    static constexpr const char* kDataDirWarning =
        "Unable to locate the data files.  Be sure the pathname specified in the -W command line parameter is correct.";

private:
    void ChooseDataDir(IMessageBox& messageBox);
    void ListenForPagingServer();

    CommandLineOptions m_options;
    std::string m_dataDir;
    std::unique_ptr<ISettings> m_settings;
    std::unique_ptr<CPortSlots> m_ports;
    std::unique_ptr<CMailSystem> m_mail;
    std::unique_ptr<CPagingServerListener> m_listener;
    std::unique_ptr<CTransports> m_transports;
    std::unique_ptr<CRunState> m_runState;
    std::unique_ptr<CCommandServer> m_server;
    CHookChannel m_hookChannel;
    std::unique_ptr<ShellParts> m_parts;
};

}  // namespace corvane
