#pragma once
// The frame's two port slots: the page modem and the monitor modem (or caller-ID unit).
// Each slot is empty, holds an open serial line, or (page slot only) stands for a
// gateway transport. When both settings name the same line the slots share one open
// port: one physical line in two roles. A page port "tcp:host:port" is a paging terminal
// on the network: nothing is opened or initialised, each page call connects to it.

#include <memory>
#include <string>

#include "common/clock.h"
#include "common/event_pump.h"
#include "common/message_box.h"
#include "common/status_line.h"
#include "modem/page_ports.h"
#include "modem/serial_port.h"
#include "modem/tcp_line.h"
#include "settings/settings.h"

namespace corvane {

inline constexpr const char* kRochelleAni323 = "Rochelle ANI-323 Caller ID Unit";
inline constexpr const char* kRochelle2802 = "Rochelle 2802 Caller ID Unit";

// The page slot's handle value for a gateway ("MD", "EX", "SV"), as the frame knew it.
inline constexpr int kGatewayHandle = -2;

class CPortSlots : public IPagePorts {
public:
    // cursor: where the wait cursor shows while a modem is opened and answers (may be null).
    CPortSlots(ISettings& settings, IMessageBox& messageBox, IEventPump& pump, const IClock& clock,
               IStatusLine* cursor = nullptr);
    ~CPortSlots() override;

    bool OpenPagePort(bool showMessages, const std::string& baudText) override;
    bool OpenMonitorPort(bool showMessages) override;
    void ClosePagePort() override;
    void CloseMonitorPort() override;
    void EnsurePageBaud(bool showMessages, const std::string& baudText) override;
    bool IsMonitorOpen() const override { return m_monitor != nullptr; }
    IBytePort* PagePort() override { return m_pageLine ? static_cast<IBytePort*>(m_pageLine.get()) : m_page.get(); }
    IBytePort* MonitorPort() override { return m_monitor.get(); }
    void SetMonitorPortListener(std::function<void()> listener) override { m_monitorListener = std::move(listener); }

    bool IsPageOpen() const { return m_page != nullptr || m_pageLine != nullptr; }
    bool IsPageGateway() const { return m_pageGateway; }
    bool SharesOnePort() const { return m_page && m_page == m_monitor; }
    // The handle as the frame's slot held it: a descriptor, -1 not open, -2 gateway.
    int PageHandle() const;
    long CurrentPageBaud() const { return m_page ? m_pageBaud : 0; }

private:
    enum class Role { Page, Monitor };
    std::shared_ptr<CSerialPort> OpenLine(Role role, const std::string& name, const LineSettings& line,
                                          bool showMessages);
    std::string ResolveBaud(const std::string& baudText);
    bool Fail(bool showMessages, const std::string& text);
    void MonitorPortChanged();
    bool OpenPageLine(bool showMessages, const std::string& name);  // port_slots_tcp.cpp

    ISettings& m_settings;
    IMessageBox& m_messageBox;
    IEventPump& m_pump;
    const IClock& m_clock;
    IStatusLine* m_cursor;
    std::shared_ptr<CSerialPort> m_page;
    std::shared_ptr<CSerialPort> m_monitor;
    std::unique_ptr<CTcpLine> m_pageLine;  // the page port as a terminal on the network
    bool m_pageGateway = false;
    long m_pageBaud = 0;
    std::function<void()> m_monitorListener;
};

}  // namespace corvane
