#pragma once
// A main window over a real run state whose ports and transports are doubles: the
// pagers come from a PAGERS.DAT in a temporary data directory, the settings live in
// memory, and message boxes are recorded instead of shown.

#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/core/run_state.h"
#include "app/gui/corvane_frame.h"
#include "app/gui/qt_event_pump.h"
#include "common/clock.h"
#include "common/file_io.h"
#include "directory/pager_list.h"
#include "settings/memory_settings.h"
#include "tests/callmon/line_ports.h"
#include "tests/engine/send_run_doubles.h"
#include "tests/support/fake_frame.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {

// A text file's contents, empty when it cannot be read.
inline QString FileText(const std::string& path)
{
    std::string bytes;
    ReadWholeFile(path, bytes);
    return QString::fromStdString(bytes);
}

inline const ShownBox* FindBox(const CRecordingMessageBox& boxes, const std::string& caption)
{
    for (const ShownBox& box : boxes.shown)
        if (box.caption == caption) return &box;
    return nullptr;
}

struct PagerSpec {
    std::string name{};
    std::vector<std::string> groups{};
    std::string phone = "SNPP:127.0.0.1:4444";  // SNPP calls have no pause after them
    std::string data{};
    std::string id{};
    std::uint16_t autoFlags = 0;
    std::string voice{};  // VoiceOne
};

class CGuiHarness {
public:
    CGuiHarness()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        settings.Write(key::PagePort, "NONE");
    }
    ~CGuiHarness()
    {
        frame.reset();
        state.reset();
    }

    void SavePagers(const std::vector<PagerSpec>& pagers)
    {
        CPagerList list;
        const std::string alphanumeric(1, '1');
        for (const PagerSpec& spec : pagers) {
            PagerRecord& p = *list.NewPager();
            p.UserName = spec.name;
            p.Groups = spec.groups;
            p.PhoneNumber = spec.phone;
            p.CustomData = spec.data;
            p.PagerID = spec.id;
            p.PagerType = alphanumeric;
            p.AutoPageFlags = spec.autoFlags;
            p.VoiceOne = spec.voice;
        }
        list.Save(DataFiles{dir.path(), settings, boxes});
    }

    // The frame, then the run state that reports to it, then the frame shown on it.
    void Start(bool show = true)
    {
        frame = std::make_unique<CCorvaneFrame>(pump, "Corvane");
        state = std::make_unique<CRunState>(
            RunStateDeps{settings, boxes, *frame, pump, clock, ports, transports, hooks, "Corvane", dir.path()});
        state->Create(false, commandScanSeconds, commandFiles);
        frame->Attach(FrameContext{settings, *state, [this] { Tick(); }, [this] { ++shutdowns; }, clock});
        if (show) frame->ShowAtStoredRectangle();
    }

    // The program's tick; a test may replace what it does.
    void Tick()
    {
        ++ticks;
        if (onTick) onTick();
        else state->OnTick();
    }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    CSystemClock clock;
    CQtEventPump pump;
    CLinePorts ports;  // the monitor port, when opened, is a line the test writes to
    CScriptedTransports transports;
    CNoHooks hooks;
    std::unique_ptr<CCorvaneFrame> frame;
    std::unique_ptr<CRunState> state;
    std::function<void()> onTick;
    std::string commandFiles;    // the -S specification, none by default
    int commandScanSeconds = 5;  // -I
    int ticks = 0;
    int shutdowns = 0;
};

}  // namespace corvane::test
