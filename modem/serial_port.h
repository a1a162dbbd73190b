#pragma once
// A serial line opened through termios: the page modem, the monitor modem or a
// caller-ID unit, a USB modem, or a pseudo-terminal standing in for one.

#include <termios.h>

#include <string>

#include "modem/byte_port.h"

namespace corvane {

// Why an open failed, as the port slots tell the user.
enum class OpenStatus {
    Ok,
    NotExist,  // no such device
    InUse,     // another program holds it (busy, permissions, or its lock)
    Failed,    // anything else; the errno is kept
};

enum class ConfigureStatus {
    Ok,
    GetFailed,  // the device has no line settings to read (not a terminal)
    SetFailed,  // the driver refused the settings
};

// Speed and framing. Parity "E", "N", "O" or "M" and stop bits "1" or "2"; any other
// value keeps what the driver reported.
struct LineSettings {
    long baud = 300;
    int dataBits = 7;
    std::string parity = "E";
    std::string stopBits = "1";
};

inline constexpr int kPageWriteTimeoutMs = 10000;
inline constexpr int kMonitorWriteTimeoutMs = 5000;

// "COM1".."COM9" are the first nine on-board ports; any other name is a device path.
std::string DevicePathFor(const std::string& portName);

// Data bits, parity and stop bits into tio; false when the data bits are not 5 to 8.
bool ApplyFraming(termios& tio, const LineSettings& settings);

class CSerialPort final : public IBytePort {
public:
    CSerialPort() = default;
    ~CSerialPort() override;
    CSerialPort(const CSerialPort&) = delete;
    CSerialPort& operator=(const CSerialPort&) = delete;

    // Opens the device exclusively: no second open, and a lock that tells another copy
    // of the program (or any program that locks the device) that the line is taken.
    OpenStatus Open(const std::string& path);
    int OpenErrno() const { return m_openErrno; }
    // Raw bytes, no flow control, local line (the modem's carrier does not hang the port
    // up), reads that return at once; breaks cleared and both buffers purged.
    ConfigureStatus Configure(const LineSettings& settings);
    void SetWriteTimeout(int ms) { m_writeTimeoutMs = ms; }
    // DTR and RTS on. A device without modem lines (a pseudo-terminal) is not an error.
    void RaiseControlLines();
    // Raises DTR, gives up the lock and closes. Safe to call twice.
    void Close();

    bool IsOpen() const { return m_fd >= 0; }
    long Baud() const { return m_baud; }
    const std::string& Path() const { return m_path; }

    void Write(std::string_view bytes) override;
    std::size_t Read(char* buffer, std::size_t max) override;
    unsigned TakeErrors() override;
    void Purge(bool transmit, bool receive) override;
    void ClearBreak() override;
    // -1 once the device has gone away, so that nobody waits on a descriptor that is
    // readable for ever.
    int Fd() const override { return m_gone ? -1 : m_fd; }

private:
    void DeviceGone();

    int m_fd = -1;
    int m_openErrno = 0;
    unsigned m_errors = 0;
    bool m_gone = false;
    int m_writeTimeoutMs = kPageWriteTimeoutMs;
    long m_baud = 0;
    std::string m_path;
};

}  // namespace corvane
