#pragma once
// The call monitor over doubles: a monitor line the test writes to, port slots that tell
// the monitor when that line opens and closes, scripted transports, the fake clock, real
// log files in a temporary folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "callmon/call_monitor.h"
#include "settings/memory_settings.h"
#include "tests/callmon/line_ports.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

namespace corvane::test {

inline const std::string kAt = "03/07/01 09:05AM ";  // the fake clock's time in a log line

class CRecordingReactor : public IReactor {
public:
    void Watch(int fd, std::function<void()> onReadable) override
    {
        watched.push_back(fd);
        callback = std::move(onReadable);
    }
    void Unwatch(int fd) override { std::erase(watched, fd); }
    std::vector<int> watched;
    std::function<void()> callback;
};

class CRecordingPopup : public ICallerIdView {
public:
    void ShowCallerIdPopup() override { events.push_back("show"); }
    void ShowCallerIdNumber(const std::string& shown) override { events.push_back("number " + shown); }
    void ShowCallerIdName(const std::string& name) override { events.push_back("name " + name); }
    void HideCallerIdPopup() override { events.push_back("hide"); }
    std::vector<std::string> events;
};

class CallMonitorTest : public ::testing::Test {
protected:
    CallMonitorTest()
    {
        settings.Write(key::LogFileName, dir.File("log.txt"));
        settings.Write(key::PagePort, "/dev/ttyS0");
        settings.Write(key::MonitorPort, "/dev/ttyS1");
        dir.Write("log.txt", "");
        dir.Write("errorlog.txt", "");
    }

    // The monitor, with its line open.
    CCallMonitor& Start(IReactor* reactor = nullptr)
    {
        monitor.reset();  // the old one lets go of the port slots first
        monitor = std::make_unique<CCallMonitor>(CallMonitorDeps{settings, boxes, view, popup, pump, clock, ports,
                                                                 transports, reactor, queue, pagers, files});
        ports.OpenMonitorPort(true);
        return *monitor;
    }
    // Bytes that arrive on the monitor line, read as the event loop would: again while
    // the line stays readable (a read takes a bounded portion).
    void Hear(const std::string& bytes)
    {
        ports.line.inbox += bytes;
        while (!ports.line.inbox.empty() && ports.MonitorPort()) monitor->ReadMonitorPort();
    }
    // The seconds pass, with the tick's caller-ID poll each.
    void Poll(int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            clock.Advance(1000);
            monitor->PollCallerId(true);
        }
    }
    // The seconds pass, one tick each: the poll, then the monitoring step.
    void Ticks(int seconds, bool callMonitorOn = true)
    {
        for (int i = 0; i < seconds; ++i) {
            clock.Advance(1000);
            monitor->PollCallerId(true);
            monitor->MonitorTick(callMonitorOn);
        }
    }
    PagerRecord& AddPager(const std::string& name, const std::string& type = "1", const std::string& phone = "5551212",
                          std::uint16_t flags = kAutoCallMonitor)
    {
        PagerRecord& p = *pagers.NewPager();
        p.UserName = name;
        p.PagerType = type;
        p.PhoneNumber = phone;
        p.PagerID = "1" + std::to_string(p.Code);
        p.AutoPageFlags = flags;
        return p;
    }

    CTempDir dir;
    CMemorySettings settings;
    CRecordingMessageBox boxes;
    DataFiles files{dir.path(), settings, boxes};
    CFakeClock clock;
    CFakePump pump{clock};
    CFakeMainView view;
    CRecordingPopup popup;
    CLinePorts ports;
    CScriptedTransports transports;
    CPageQueue queue;
    CPagerList pagers;
    CRecordingReactor reactor;  // outlives the monitor, which unwatches its line when it goes
    std::unique_ptr<CCallMonitor> monitor;
};

}  // namespace corvane::test
