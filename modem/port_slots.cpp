#include "modem/port_slots.h"

#include "common/decimal.h"
#include "modem/modem_control.h"

namespace corvane {
namespace {

constexpr const char* kCommCaption = "Communications Error";

bool IsGatewayName(const std::string& name)
{
    return name == "MD" || name == "EX" || name == "SV";
}

}  // namespace

CPortSlots::CPortSlots(ISettings& settings, IMessageBox& messageBox, IEventPump& pump, const IClock& clock,
                       IStatusLine* cursor)
    : m_settings(settings), m_messageBox(messageBox), m_pump(pump), m_clock(clock), m_cursor(cursor)
{
}

CPortSlots::~CPortSlots()
{
    m_monitorListener = nullptr;
    ClosePagePort();
    CloseMonitorPort();
}

int CPortSlots::PageHandle() const
{
    if (m_pageGateway) return kGatewayHandle;
    if (m_pageLine) return m_pageLine->Fd();
    return m_page ? m_page->Fd() : -1;
}

std::string CPortSlots::ResolveBaud(const std::string& baudText)
{
    // "<default>" (a paging service without its own speed) means the modem's setting.
    if (!baudText.empty() && baudText.front() == '<') return m_settings.Get(key::PagePortBaud);
    return baudText;
}

void CPortSlots::MonitorPortChanged()
{
    if (m_monitorListener) m_monitorListener();
}

bool CPortSlots::Fail(bool showMessages, const std::string& text)
{
    if (showMessages) m_messageBox.Show(text, kCommCaption, MbIcon::Warning, MbButtons::Ok);
    return false;
}

bool CPortSlots::OpenPagePort(bool showMessages, const std::string& baudText)
{
    if (m_page) return true;
    m_pageGateway = false;
    const std::string name = m_settings.Get(key::PagePort);
    if (name == "NONE") return false;
    if (IsGatewayName(name)) {
        m_pageGateway = true;
        return true;
    }
    if (IsTcpLineName(name)) return OpenPageLine(showMessages, name);
    if (m_monitor && name == m_settings.Get(key::MonitorPort)) {
        // One line in two roles; it keeps the monitor's settings until the page run
        // closes the monitor port and opens the line for itself.
        m_page = m_monitor;
        m_pageBaud = m_monitor->Baud();
        return true;
    }

    // Until the modem has answered.
    CWaitCursor cursor(m_cursor);
    const long baud = ToLong(ResolveBaud(baudText));
    LineSettings line {baud, ToInt(m_settings.Get(key::PagePortWordLen)), m_settings.Get(key::PagePortParity),
                       m_settings.Get(key::PagePortStopBits)};
    auto port = OpenLine(Role::Page, name, line, showMessages);
    if (!port) return false;

    const std::string init = PreparePageInitString(m_settings.Get(key::PageInitializationString), baud);
    if (!InitialiseModem(*port, init, ModemRole::Page, showMessages, {m_pump, m_clock, m_messageBox})) {
        port->Close();
        return false;
    }
    m_page = std::move(port);
    m_pageBaud = baud;
    return true;
}

bool CPortSlots::OpenMonitorPort(bool showMessages)
{
    if (m_monitor) return true;
    const std::string name = m_settings.Get(key::MonitorPort);
    if (name == "NONE") return false;
    if (m_page && name == m_settings.Get(key::PagePort)) {
        m_monitor = m_page;
        MonitorPortChanged();
        return true;
    }

    CWaitCursor cursor(m_cursor);
    // A caller-ID unit has its own fixed speed and framing and takes no commands.
    const std::string type = m_settings.Get(key::MonitorModemType);
    const bool ani323 = type == kRochelleAni323;
    const bool unit2802 = type == kRochelle2802;
    LineSettings line;
    if (ani323 || unit2802) {
        line = {ani323 ? 1200L : 2400L, 8, "N", "1"};
    } else {
        line = {ToLong(m_settings.Get(key::PagePortBaud)), ToInt(m_settings.Get(key::PagePortWordLen)),
                m_settings.Get(key::PagePortParity), m_settings.Get(key::PagePortStopBits)};
    }
    auto port = OpenLine(Role::Monitor, name, line, showMessages);
    if (!port) return false;

    if (!ani323 && !unit2802 &&
        !InitialiseModem(*port, m_settings.Get(key::MonitorInitializationString), ModemRole::Monitor,
                         showMessages, {m_pump, m_clock, m_messageBox})) {
        port->Close();
        return false;
    }
    m_monitor = std::move(port);
    MonitorPortChanged();
    return true;
}

std::shared_ptr<CSerialPort> CPortSlots::OpenLine(Role role, const std::string& name, const LineSettings& line,
                                                  bool showMessages)
{
    const bool page = role == Role::Page;
    auto port = std::make_shared<CSerialPort>();
    switch (port->Open(DevicePathFor(name))) {
    case OpenStatus::Ok: break;
    case OpenStatus::NotExist:
        Fail(showMessages, page ? "The selected Page Modem Port does not exist."
                                : "The selected Monitor Modem Port does not exist.");
        return nullptr;
    case OpenStatus::InUse:
        Fail(showMessages, page ? "The selected Page Modem Port is in use by another application."
                                : "The selected Monitor Modem Port is in use by another application.");
        return nullptr;
    case OpenStatus::Failed:
        Fail(showMessages, page ? "The selected Page Modem Port could not be opened.  Error code " +
                                      std::to_string(port->OpenErrno()) + " was received."
                                : "The selected Monitor Modem Port could not be opened.");
        return nullptr;
    }

    port->SetWriteTimeout(page ? kPageWriteTimeoutMs : kMonitorWriteTimeoutMs);
    switch (port->Configure(line)) {
    case ConfigureStatus::Ok: break;
    case ConfigureStatus::GetFailed:
        port->Close();
        Fail(showMessages, page ? "Unable to obtain page modem port parameters."
                                : "Unable to create monitor modem port parameters.");
        return nullptr;
    case ConfigureStatus::SetFailed:
        port->Close();
        Fail(showMessages, page ? "Unable to set page modem port parameters."
                                : "Unable to set monitor modem port parameters.");
        return nullptr;
    }
    port->RaiseControlLines();
    port->TakeErrors();
    return port;
}

void CPortSlots::ClosePagePort()
{
    m_pageLine.reset();
    if (m_page) {
        m_page->Close();
        const bool shared = m_monitor == m_page;
        if (shared) m_monitor.reset();
        m_page.reset();
        if (shared) MonitorPortChanged();
    }
    m_pageGateway = false;
    m_pageBaud = 0;
}

void CPortSlots::CloseMonitorPort()
{
    if (!m_monitor) return;
    m_monitor->Close();
    if (m_page == m_monitor) {
        m_page.reset();
        m_pageBaud = 0;
    }
    m_monitor.reset();
    MonitorPortChanged();
}

void CPortSlots::EnsurePageBaud(bool showMessages, const std::string& baudText)
{
    // A connection over the network has no line speed.
    if (m_pageLine) return;
    if (m_page && ToLong(ResolveBaud(baudText)) == m_pageBaud) return;
    ClosePagePort();
    OpenPagePort(showMessages, baudText);
}

}  // namespace corvane
