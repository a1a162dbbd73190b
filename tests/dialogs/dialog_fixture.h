#pragma once
// What every dialog test needs: a run state on fakes over a temporary data directory,
// the dialog commands of a main window, and the user's actions on the dialogs.
// (The desktop program's window tests use the actions too.)

#include <QDialog>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/run_state.h"
#include "app/gui/dialogs/dialog_commands.h"
#include "directory/pager_list.h"
#include "settings/memory_settings.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fake_frame.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {

// A run state of fakes over a fresh data directory, and the main window's commands.
struct CProgramFixture {
    CProgramFixture() { settings.Write(key::LogFileName, dir.File("log.txt")); }
    // The run state's creation (messages and pagers loaded) and the window's commands.
    void Create()
    {
        state->Create(false, 5, "");
        commands = std::make_unique<CDialogCommands>(*state, static_cast<IFrameShell&>(frame), clock, &window);
    }
    PagerRecord& AddPager(CPagerList& list, const std::string& name, const std::string& type,
                          std::vector<std::string> groups = {})
    {
        PagerRecord& pager = *list.NewPager();
        pager.UserName = name;
        pager.PagerType = type;
        pager.Groups = std::move(groups);
        return pager;
    }
    void SavePagers(CPagerList& list)  // to PAGERS.DAT, then the main list re-read
    {
        list.Save(state->Files());
        state->RereadPagers();
    }
    PagerRecord Stored(const std::string& name)  // as PAGERS.DAT holds it now
    {
        CPagerList list;
        list.LoadLocal(state->Files());
        if (!list.FindByName(name)) qFatal("no pager %s", name.c_str());
        return *list.FindByName(name);
    }
    QString LastBox() const  // "caption: text" of the last message box
    {
        if (boxes.shown.empty()) return "no box";
        return QString::fromStdString(boxes.shown.back().caption + ": " + boxes.shown.back().text);
    }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CFakeFrame frame;
    CFakeClock clock;
    CFakePump pump{clock};
    CFakePorts ports;
    CScriptedTransports transports;
    CNoHooks hooks;
    std::unique_ptr<CRunState> state = std::make_unique<CRunState>(
        RunStateDeps{settings, boxes, frame, pump, clock, ports, transports, hooks, "Corvane", dir.path()});
    QWidget window;
    std::unique_ptr<CDialogCommands> commands;
};

// Runs action on the next modal dialog that opens on top of the one active now. The
// action must close that dialog (or make something close it).
void OnNextModal(std::function<void(QWidget*)> action);

// Widgets by object name, failing the test when missing.
template <class T = QWidget>
T* Child(QWidget* parent, const char* name)
{
    T* child = parent->findChild<T*>(name);
    if (!child) qFatal("no child %s", name);
    return child;
}

// The user's actions.
void Type(QWidget* parent, const char* name, const QString& text);    // over the old text; '\n' is Return
void Click(QWidget* parent, const char* name);
void Choose(QWidget* parent, const char* name, const QString& item);  // pick from a drop-down
void ClickOk(QWidget* dialog);
void ClickCancel(QWidget* dialog);

}  // namespace corvane::test
