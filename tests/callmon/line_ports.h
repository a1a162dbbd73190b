#pragma once
// The monitor modem's line for the suites that run the call monitor: a line the test
// writes to, and port slots that tell the call monitor when that line opens and closes.

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

#include "tests/engine/send_run_doubles.h"

namespace corvane::test {

// The monitor modem's line: what the test puts in, the monitor reads.
class CFakeLine : public IBytePort {
public:
    void Write(std::string_view bytes) override
    {
        written += bytes;
        // A modem that takes the hang-up at once.
        if (answersHangUp && (bytes == "+++" || bytes == "ATH\r")) inbox += "OK\r\n";
    }
    std::size_t Read(char* buffer, std::size_t max) override
    {
        const std::size_t n = std::min(max, inbox.size());
        std::memcpy(buffer, inbox.data(), n);
        inbox.erase(0, n);
        return n;
    }
    unsigned TakeErrors() override { return gone ? kCommIoError : 0; }
    void Purge(bool, bool) override {}
    void ClearBreak() override {}
    int Fd() const override { return fd; }

    std::string inbox;
    std::string written;
    bool gone = false;
    bool answersHangUp = false;
    int fd = 42;  // a number the recording reactor is told; -1 where a real loop would poll it
};

class CLinePorts : public CFakePorts {
public:
    bool OpenMonitorPort(bool showMessages) override
    {
        CFakePorts::OpenMonitorPort(showMessages);
        if (monitorOpen) Changed();
        return monitorOpen;
    }
    void CloseMonitorPort() override
    {
        const bool was = monitorOpen;
        CFakePorts::CloseMonitorPort();
        if (was) Changed();
    }
    IBytePort* MonitorPort() override { return monitorOpen ? monitorLine : nullptr; }
    void SetMonitorPortListener(std::function<void()> l) override { listener = std::move(l); }
    void Changed()
    {
        if (listener) listener();
    }

    CFakeLine line;
    IBytePort* monitorLine = &line;  // what the open monitor port is
    std::function<void()> listener;
};

}  // namespace corvane::test
