#pragma once
// The frame's two port slots, page modem and monitor modem, as the send run uses them.

#include <functional>
#include <string>

#include "modem/byte_port.h"

namespace corvane {

class IPagePorts {
public:
    virtual ~IPagePorts() = default;
    // Opens, configures and initialises the page modem; a baud text that begins with
    // '<' means the "PagePortBaud" setting. With showMessages false failures are silent.
    virtual bool OpenPagePort(bool showMessages, const std::string& baudText) = 0;
    virtual bool OpenMonitorPort(bool showMessages) = 0;
    virtual void ClosePagePort() = 0;
    virtual void CloseMonitorPort() = 0;
    // Reopens the page port when its speed differs from the baud text's.
    virtual void EnsurePageBaud(bool showMessages, const std::string& baudText) = 0;
    virtual bool IsMonitorOpen() const = 0;
    // The open page modem, or null (not open, or the page port is a gateway).
    virtual IBytePort* PagePort() = 0;
    // The open monitor modem (or caller-ID unit), or null.
    virtual IBytePort* MonitorPort() { return nullptr; }
    // Called whenever the monitor port has been opened or closed (by anyone, also when it
    // goes with the page port it shares), so that the reader of the line can follow it.
    virtual void SetMonitorPortListener(std::function<void()> listener) { (void)listener; }
};

}  // namespace corvane
