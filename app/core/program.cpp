#include "app/core/program.h"

#include <unistd.h>

#include "app/core/command_client.h"
#include "common/file_io.h"
#include "mail/mail_system.h"
#include "net/paging_server_listener.h"
#include "modem/port_slots.h"
#include "settings/ini_settings.h"

namespace corvane {

CProgram::CProgram(const std::string& commandLine) : m_options(ParseCommandLine(commandLine)) {}

CProgram::~CProgram()
{
    if (m_runState) Shutdown();
}

bool CProgram::HandedToRunningInstance()
{
    CCommandClient client(m_options.title);
    std::vector<std::string> topics;
    if (client.Topics(topics, kForwardTimeoutMs).status != CommandStatus::Ack) return false;
    client.Activate(kForwardTimeoutMs);
    for (const std::string& command : m_options.pageCommands) client.ForwardPageCommand(command);
    return true;
}

void CProgram::ChooseDataDir(IMessageBox& messageBox)
{
    if (!m_options.hasDataDir) {
        char cwd[4096];
        m_dataDir = std::string(::getcwd(cwd, sizeof cwd) ? cwd : ".") + "/";
        return;
    }
    // Used as typed: a directory without its trailing '/' makes every file name wrong,
    // which the check of MODEMS.DAT then reports.
    m_dataDir = m_options.dataDir;
    std::string probe;
    if (!ReadWholeFile(m_dataDir + "MODEMS.DAT", probe))
        messageBox.Show(kDataDirWarning, "Initialization Error", MbIcon::Warning, MbButtons::Ok);
}

bool CProgram::Create(const ShellParts& parts)
{
    m_parts = std::make_unique<ShellParts>(parts);
    m_settings = std::make_unique<CIniSettings>(m_options.title);

    m_ports = std::make_unique<CPortSlots>(*m_settings, parts.messageBox, parts.pump, parts.clock, &parts.shell);
    m_mail = std::make_unique<CMailSystem>(MailSystemDeps{*m_settings, parts.pump, parts.clock, parts.messageBox});
    m_transports = std::make_unique<CTransports>(TransportDeps{*m_settings, *m_ports, &parts.shell, parts.pump,
                                                               parts.clock, parts.messageBox, m_mail.get()});
    ChooseDataDir(parts.messageBox);
    m_runState = std::make_unique<CRunState>(RunStateDeps{*m_settings, parts.messageBox, parts.shell, parts.pump,
                                                          parts.clock, *m_ports, *m_transports, parts.hooks,
                                                          m_options.title, m_dataDir, &parts.reactor, m_mail.get()});

    m_server = std::make_unique<CCommandServer>(parts.reactor, parts.clock, m_runState->Commands());
    if (m_server->Start(m_options.title) == ServerStart::AlreadyRunning) {
        m_server.reset();
        m_runState.reset();
        return false;
    }
    // Without a command server the program still runs: commands then arrive only by
    // the command line and command files.

    ListenForPagingServer();
    m_mail->Initialize();
    m_runState->Create(m_options.quiet, m_options.commandScanSeconds, m_options.commandFileSpec);
    m_settings->Write(key::MAPIMarkRead, m_options.markMailRead ? "1" : "0");
    m_runState->QueueCommandLinePages(m_options.pageCommands);
    if (m_options.hasCommandFile) m_runState->QueueCommandFile(m_options.commandFile);
    return true;
}

// With the paging server as the page port, the server's messages are listened for. A
// port that cannot be had costs only those messages: pages are still sent.
void CProgram::ListenForPagingServer()
{
    if (m_settings->Get(key::PagePort) != "SV") return;
    m_listener = std::make_unique<CPagingServerListener>(m_parts->reactor, m_parts->messageBox);
    if (!m_listener->Listen(m_settings->GetInt(key::IPPort))) m_listener.reset();
}

void CProgram::StartMonitoringServices()
{
    if (m_hookChannel.Open()) {
        m_parts->reactor.Watch(m_hookChannel.ReadFd(), [this] {
            m_hookChannel.ReadAll([this](std::uint32_t message) { m_runState->Monitoring().OnHookMessage(message); });
        });
        m_runState->Monitoring().StartScreenSaverDetection(m_hookChannel.LibraryFd());
    }
    if (m_settings->IsOn(key::CIDPopup)) m_ports->OpenMonitorPort(true);
    if (m_options.monitorAtStart) m_runState->Monitoring().ToggleManualMonitoring();
}

void CProgram::OnTick()
{
    m_runState->OnTick();
    if (m_server) m_server->Sweep();
}

void CProgram::Shutdown()
{
    if (!m_runState) return;
    m_ports->ClosePagePort();
    m_ports->CloseMonitorPort();
    m_mail->Logoff();
    m_mail->Terminate();
    m_listener.reset();
    m_runState->Monitoring().StopScreenSaverDetection();
    if (m_hookChannel.ReadFd() >= 0) m_parts->reactor.Unwatch(m_hookChannel.ReadFd());
    m_hookChannel.Close();
    if (m_server) m_server->Stop();
    m_server.reset();
    m_runState.reset();
}

}  // namespace corvane
