#include "modem/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

#include "modem/serial_speed.h"

namespace corvane {
namespace {

speed_t StandardSpeed(long baud)
{
    static constexpr std::pair<long, speed_t> kSpeeds[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
    };
    for (auto [rate, code] : kSpeeds)
        if (rate == baud) return code;
    return B0;
}

}  // namespace

bool ApplyFraming(termios& tio, const LineSettings& settings)
{
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    if (settings.dataBits < 5 || settings.dataBits > 8) return false;
    tio.c_cflag = (tio.c_cflag & ~CSIZE) | kSizes[settings.dataBits - 5];

    if (settings.parity == "E")
        tio.c_cflag = (tio.c_cflag & ~(PARODD | CMSPAR)) | PARENB;
    else if (settings.parity == "O")
        tio.c_cflag = (tio.c_cflag & ~CMSPAR) | PARENB | PARODD;
    else if (settings.parity == "N")
        tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    else if (settings.parity == "M")
        tio.c_cflag |= PARENB | PARODD | CMSPAR;

    if (settings.stopBits == "1")
        tio.c_cflag &= ~CSTOPB;
    else if (settings.stopBits == "2")
        tio.c_cflag |= CSTOPB;
    return true;
}

namespace {

void MakeRaw(termios& tio)
{
    // The parity check (INPCK, IGNPAR) is left as the driver has it; everything that
    // would change or swallow bytes is off, and so is every kind of flow control.
    tio.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    // CLOCAL: the modem dropping carrier at the end of a call must not hang the port up.
    // No HUPCL: closing leaves DTR raised, as the modem expects.
    tio.c_cflag &= ~(CRTSCTS | HUPCL);
    tio.c_cflag |= CLOCAL | CREAD;
    // With O_NONBLOCK a read returns at once either way; VMIN 1 makes an empty line read
    // as EAGAIN, so that a read of 0 bytes can only mean the line was hung up.
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    tio.c_cc[VSTART] = 0x11;
    tio.c_cc[VSTOP] = 0x13;
}

bool IsPseudoTerminal(int fd)
{
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    const unsigned major = ::major(info.st_rdev);
    return major >= 136 && major <= 143;  // the Unix 98 pseudo-terminal slaves
}

}  // namespace

std::string DevicePathFor(const std::string& portName)
{
    bool comName = portName.size() == 4 && (portName[0] == 'C' || portName[0] == 'c') &&
                   (portName[1] == 'O' || portName[1] == 'o') && (portName[2] == 'M' || portName[2] == 'm');
    if (comName && portName[3] >= '1' && portName[3] <= '9')
        return "/dev/ttyS" + std::to_string(portName[3] - '1');
    return portName;
}

CSerialPort::~CSerialPort()
{
    Close();
}

OpenStatus CSerialPort::Open(const std::string& path)
{
    Close();
    m_openErrno = 0;
    m_errors = 0;
    m_gone = false;
    m_baud = 0;
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        m_openErrno = errno;
        switch (m_openErrno) {
        case ENOENT:
        case ENODEV:
        case ENXIO: return OpenStatus::NotExist;
        case EBUSY:
        case EACCES:
        case EPERM: return OpenStatus::InUse;
        default: return OpenStatus::Failed;
        }
    }
    // TIOCEXCL keeps ordinary users out, but not root; the lock tells every program that
    // locks its serial devices (another Corvane among them) that the line is taken.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && (errno == EWOULDBLOCK || errno == EAGAIN)) {
        m_openErrno = EBUSY;
        ::close(fd);
        return OpenStatus::InUse;
    }
    ::ioctl(fd, TIOCEXCL);
    m_fd = fd;
    m_path = path;
    return OpenStatus::Ok;
}

ConfigureStatus CSerialPort::Configure(const LineSettings& settings)
{
    if (m_fd < 0) return ConfigureStatus::GetFailed;
    termios tio {};
    if (::tcgetattr(m_fd, &tio) != 0) return ConfigureStatus::GetFailed;
    MakeRaw(tio);
    if (!ApplyFraming(tio, settings) || settings.baud <= 0) return ConfigureStatus::SetFailed;
    speed_t speed = StandardSpeed(settings.baud);
    if (speed != B0) ::cfsetspeed(&tio, speed);

    ClearBreak();
    Purge(true, true);
    if (::tcsetattr(m_fd, TCSANOW, &tio) != 0) {
        // The C library reports a driver that kept its own framing as a failure. A
        // pseudo-terminal always carries 8 bits without parity: nothing to refuse there.
        if (errno != EINVAL || !IsPseudoTerminal(m_fd)) return ConfigureStatus::SetFailed;
    }
    if (speed == B0 && !SetArbitrarySpeed(m_fd, settings.baud)) return ConfigureStatus::SetFailed;
    m_baud = settings.baud;
    return ConfigureStatus::Ok;
}

void CSerialPort::RaiseControlLines()
{
    if (m_fd < 0) return;
    // A pseudo-terminal answers ENOTTY, some USB adapters EINVAL: no modem lines there.
    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(m_fd, TIOCMBIS, &lines);
}

void CSerialPort::Close()
{
    if (m_fd < 0) return;
    int dtr = TIOCM_DTR;
    ::ioctl(m_fd, TIOCMBIS, &dtr);
    // The exclusive mode outlives this descriptor while another one is open on the line.
    ::ioctl(m_fd, TIOCNXCL);
    ::close(m_fd);  // releases the lock
    m_fd = -1;
    m_gone = false;
}

void CSerialPort::DeviceGone()
{
    m_errors |= kCommIoError;
    m_gone = true;
}

void CSerialPort::Write(std::string_view bytes)
{
    if (m_fd < 0 || m_gone) {
        m_errors |= kCommIoError;
        return;
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(m_writeTimeoutMs);
    while (!bytes.empty()) {
        ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            DeviceGone();
            return;
        }
        // The driver's buffer is full: wait for room until the write time-out.
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) {
            m_errors |= kCommTxFull;
            return;
        }
        pollfd pfd {m_fd, POLLOUT, 0};
        int ready = ::poll(&pfd, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0 || (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) {
            DeviceGone();
            return;
        }
    }
}

std::size_t CSerialPort::Read(char* buffer, std::size_t max)
{
    if (m_fd < 0 || m_gone || max == 0) return 0;
    for (;;) {
        ssize_t n = ::read(m_fd, buffer, max);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        // A non-blocking terminal reads 0 only once it has been hung up: the device (or
        // the program on the other side of a pseudo-terminal) is gone.
        DeviceGone();
        return 0;
    }
}

unsigned CSerialPort::TakeErrors()
{
    unsigned errors = m_errors;
    m_errors = 0;
    // A vanished device keeps failing: every caller that looks must see it.
    if (m_gone) errors |= kCommIoError;
    return errors;
}

void CSerialPort::Purge(bool transmit, bool receive)
{
    if (m_fd < 0 || m_gone) return;
    if (transmit && receive)
        ::tcflush(m_fd, TCIOFLUSH);
    else if (transmit)
        ::tcflush(m_fd, TCOFLUSH);
    else if (receive)
        ::tcflush(m_fd, TCIFLUSH);
}

void CSerialPort::ClearBreak()
{
    if (m_fd >= 0 && !m_gone) ::ioctl(m_fd, TIOCCBRK);
}

}  // namespace corvane
