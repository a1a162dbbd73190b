// corvane: the desktop program.

#include <csignal>

#include <QApplication>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>

#include "app/core/program.h"
#include "app/core/program_info.h"
#include "app/gui/corvane_frame.h"
#include "app/gui/pager_list_form.h"
#include "app/gui/qt_event_pump.h"
#include "app/gui/qt_message_box.h"
#include "app/gui/qt_reactor.h"
#include "app/gui/splash_window.h"
#include "app/gui/startup_probe.h"
#include "common/clock.h"

using namespace corvane;

int main(int argc, char** argv)
{
    if (AnswerInfoRequest(argc, argv, "corvane", true)) return 0;
    std::signal(SIGPIPE, SIG_IGN);
    CProgram program(CommandLineFromArgs(argc, argv));
    // A second start hands its page commands to the first and ends.
    if (program.HandedToRunningInstance()) return 0;

    QApplication app(argc, argv);
    // The window may hide in the tray, and the splash closes by itself: the program
    // ends when the frame says so, not when its last window closes.
    QApplication::setQuitOnLastWindowClosed(false);

    CSystemClock clock;
    CQtEventPump pump;
    CQtReactor reactor;
    CQtMessageBox messageBox;
    CInputHookLibrary hooks;
    CCorvaneFrame frame(pump, program.Title());
    messageBox.SetOwner(&frame);
    QObject::connect(&frame, &CCorvaneFrame::programClosed, &app, &QCoreApplication::quit, Qt::QueuedConnection);

    if (!program.Create(ShellParts{frame, messageBox, pump, reactor, clock, hooks})) {
        // Another instance of this title came up meanwhile: it gets the commands.
        program.HandedToRunningInstance();
        return 0;
    }
    frame.Attach(FrameContext{program.Settings(), program.RunState(), [&program] { program.OnTick(); },
                              [&program] { program.Shutdown(); }, clock});
    InstallStartupProbe(frame.Form().List()->viewport());
    frame.ShowAtStoredRectangle();

    const CommandLineOptions& options = program.Options();
    if (!options.noSplash) (new CSplashWnd(QString::fromStdString(program.Title())))->ShowFor(CSplashWnd::kShowMs);
    // -F: the window goes down once it is up.
    if (options.hasCommandFile) QMetaObject::invokeMethod(&frame, [&frame] { frame.Minimize(); }, Qt::QueuedConnection);
    program.StartMonitoringServices();
    frame.AddTrayIcon();
    frame.Form().FocusFind();
    frame.StartTick();
    return app.exec();
}
