#pragma once
// What every dialog test needs: a run state on fakes over a temporary data directory,
// and a way to act on a modal dialog once it is on screen.

#include <QDialog>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/run_state.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace corvane::test {

class CFakeFrame : public CFakeMainView, public IFrameShell {
public:
    void SetStatus(const std::string& t) override { CFakeMainView::SetStatus(t); }
    void ResetStatus() override { CFakeMainView::ResetStatus(); }
    void SetStatusField(const std::string& t) override { CFakeMainView::SetStatusField(t); }
    void SetQueueCount(int c) override { CFakeMainView::SetQueueCount(c); }
    void SetPageInProgress(bool p) override { CFakeMainView::SetPageInProgress(p); }
    void Minimize() override { CFakeMainView::Minimize(); }
    void Restore() override { CFakeMainView::Restore(); }
    bool IsMinimized() const override { return CFakeMainView::IsMinimized(); }
    void PostExit() override { CFakeMainView::PostExit(); }
    void RefreshPagerList() override { CFakeMainView::RefreshPagerList(); }
    void SetTitle(const std::string&) override {}
    void ShowManualMonitoring(bool) override {}
    void CloseProgram() override {}
    void PostCancel() override { ++cancels; }
    void AddNewPager() override {}
    void ShowSwitches(const SwitchState&) override {}
    void ShowAlternateIcon(bool) override {}
    int cancels = 0;
};

class CFakeHooks : public IHookLibrary {
public:
    int RegisterHookSendWindow(int) override { return 1; }
    int StartCBT() override { return 1; }
    int StopCBT() override { return 1; }
    int StartKeyOrMouse() override { return 1; }
    int StopKeyOrMouse() override { return 1; }
    bool ActivateScreenSaver() override { return false; }
};

// A run state of fakes over a fresh data directory.
struct CProgramFixture {
    CProgramFixture();
    void Create();  // the run state's creation: messages and pagers loaded
    PagerRecord& AddPager(CPagerList& list, const std::string& name, const std::string& type,
                          std::vector<std::string> groups = {});
    // Writes the pagers to PAGERS.DAT, then re-reads the main list.
    void SavePagers(CPagerList& list);
    void LoadLocal(CPagerList& list);
    // The frame as the main view (it is one twice over: as the recording view and as a shell).
    IMainView& MainView() { return static_cast<IFrameShell&>(frame); }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeFrame frame;
    CFakeClock clock;
    CFakePump pump{clock};
    CFakePorts ports;
    CScriptedTransports transports;
    CFakeHooks hooks;
    std::unique_ptr<CRunState> state;
};

// Runs action on the next modal dialog that opens on top of the one active now. The
// action must close that dialog (or make something close it).
void OnNextModal(std::function<void(QWidget*)> action);

// Widgets by object name, failing the test when missing.
template <class T>
T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(name);
    if (!child) qFatal("no child %s", name);
    return child;
}

// The user's actions.
void Type(QWidget* parent, const char* name, const QString& text);       // select all, type
void Click(QWidget* parent, const char* name);
void Choose(QWidget* parent, const char* name, const QString& item);     // pick from a drop-down
void ClickOk(QWidget* dialog);
void ClickCancel(QWidget* dialog);
// Every text shown by the dialog's labels, buttons and group boxes.
QStringList Texts(QWidget* dialog);

}  // namespace corvane::test
