#pragma once
// Doubles for the frame and the hook library, for the suites that build a run state.

#include <string>
#include <vector>

#include "app/core/frame_shell.h"
#include "app/core/hook_library.h"
#include "tests/support/fakes.h"

namespace corvane::test {

// The frame: the main view's records, and what only the frame is asked.
class CFakeFrame : public CFakeMainView, public IFrameShell {
public:
    void SetStatus(const std::string& t) override { CFakeMainView::SetStatus(t); }
    void ResetStatus() override { CFakeMainView::ResetStatus(); }
    void ShowWaitCursor(bool on) override { CFakeMainView::ShowWaitCursor(on); }
    void SetStatusField(const std::string& t) override { CFakeMainView::SetStatusField(t); }
    void SetQueueCount(int c) override { CFakeMainView::SetQueueCount(c); }
    void SetPageInProgress(bool p) override { CFakeMainView::SetPageInProgress(p); }
    void Minimize() override { CFakeMainView::Minimize(); }
    void Restore() override { CFakeMainView::Restore(); }
    bool IsMinimized() const override { return CFakeMainView::IsMinimized(); }
    void PostExit() override { CFakeMainView::PostExit(); }
    void RefreshPagerList() override { CFakeMainView::RefreshPagerList(); }

    void SetTitle(const std::string& title) override { titles.push_back(title); }
    void ShowManualMonitoring(bool) override {}
    void CloseProgram() override { ++closes; }
    void PostCancel() override { ++cancels; }
    void AddNewPager() override {}
    void ShowSwitches(const SwitchState& state) override { switches = state; }
    void ShowAlternateIcon(bool alternate) override { icons.push_back(alternate); }

    std::vector<std::string> titles;
    int closes = 0;
    int cancels = 0;
    SwitchState switches;
    std::vector<bool> icons;
};

// A hook library that is always there and never reports anything.
class CNoHooks final : public IHookLibrary {
public:
    int RegisterHookSendWindow(int) override { return 1; }
    int StartCBT() override { return 1; }
    int StopCBT() override { return 1; }
    int StartKeyOrMouse() override { return 1; }
    int StopKeyOrMouse() override { return 1; }
    bool ActivateScreenSaver() override { return false; }
};

}  // namespace corvane::test
