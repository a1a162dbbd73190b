#pragma once
// The headless shell: message boxes on standard error with their default answers, the
// event pump and loop over poll(), and a frame without windows.

#include <atomic>
#include <string>

#include "app/core/frame_shell.h"
#include "app/core/poll_loop.h"
#include "common/event_pump.h"
#include "common/message_box.h"

namespace corvane {

// "Caption: text" as one unbuffered line on standard error; OK, Cancel or No is the answer.
class CStderrMessageBox final : public IMessageBox {
public:
    MbAnswer Show(const std::string& text, const std::string& caption, MbIcon icon, MbButtons buttons) override;
};

// Waits by running the poll loop, so the command server, the hook channel and the tick
// go on while a page call waits.
class CDaemonPump final : public IEventPump {
public:
    explicit CDaemonPump(CPollLoop& loop) : m_loop(loop) {}
    PumpResult Wait(int maxMs, int fd, bool takeEvents) override;

    void PostCancel() { m_cancel = true; }
    // SIGTERM or SIGINT: a page call in progress ends as a cancel, then the program ends.
    void RequestQuit() { m_quit = true; }
    bool QuitRequested() const { return m_quit; }

private:
    CPollLoop& m_loop;
    bool m_cancel = false;
    bool m_quit = false;
    bool m_quitSeen = false;
};

class CDaemonShell final : public IFrameShell {
public:
    CDaemonShell(CPollLoop& loop, CDaemonPump& pump) : m_loop(loop), m_pump(pump) {}

    void SetStatus(const std::string&) override {}
    void ResetStatus() override {}
    void SetStatusField(const std::string&) override {}
    void SetQueueCount(int) override {}
    void SetPageInProgress(bool) override {}
    void Minimize() override {}
    void Restore() override {}
    bool IsMinimized() const override { return false; }
    // Auto-Exit after a run ends the headless program as it ends the windows.
    void PostExit() override { CloseProgram(); }
    void RefreshPagerList() override {}
    void SetTitle(const std::string&) override {}
    void ShowManualMonitoring(bool) override {}
    void CloseProgram() override { m_loop.Stop(); }
    void PostCancel() override { m_pump.PostCancel(); }
    void AddNewPager() override {}
    void ShowSwitches(const SwitchState&) override {}
    void ShowAlternateIcon(bool) override {}

private:
    CPollLoop& m_loop;
    CDaemonPump& m_pump;
};

}  // namespace corvane
