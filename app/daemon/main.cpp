// corvaned: Corvane without windows. The command server, command files, the send run,
// monitoring by hand and the logs work as in the desktop program; message boxes go to
// standard error.

#include <csignal>
#include <fcntl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include "app/core/program.h"
#include "app/core/program_info.h"
#include "app/daemon/daemon_shell.h"
#include "common/clock.h"

using namespace corvane;

namespace {

// Nothing is ever read from standard input: it is closed to the terminal.
void DetachStandardInput()
{
    int null = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDIN_FILENO);
        ::close(null);
    }
}

// SIGTERM and SIGINT arrive as a readable descriptor of the loop, not in a handler.
int TerminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    ::sigprocmask(SIG_BLOCK, &set, nullptr);
    return ::signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
}

}  // namespace

int main(int argc, char** argv)
{
    if (AnswerInfoRequest(argc, argv, "corvaned", false)) return 0;
    DetachStandardInput();
    std::signal(SIGPIPE, SIG_IGN);
    CProgram program(CommandLineFromArgs(argc, argv));
    if (program.HandedToRunningInstance()) return 0;

    CSystemClock clock;
    CPollLoop loop(clock);
    CDaemonPump pump(loop);
    CDaemonShell shell(loop, pump);
    CStderrMessageBox messageBox;
    CInputHookLibrary hooks;
    if (!program.Create(ShellParts{shell, messageBox, pump, loop, clock, hooks})) return 0;

    int signals = TerminationSignals();
    loop.Watch(signals, [&] {
        signalfd_siginfo info;
        while (::read(signals, &info, sizeof info) == sizeof info) {
        }
        pump.RequestQuit();
        // A page call in progress sees the quit in its next wait; the program ends
        // once the run is over.
        if (!program.RunState().Queue().pageInProgress) loop.Stop();
    });
    program.StartMonitoringServices();
    loop.StartTimer(1000, true, [&] {
        program.OnTick();
        if (pump.QuitRequested() && !program.RunState().Queue().pageInProgress) loop.Stop();
    });
    loop.Run();
    program.Shutdown();
    return 0;
}
