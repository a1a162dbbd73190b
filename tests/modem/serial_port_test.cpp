// The serial port over termios, on real pseudo-terminals.

#include "modem/serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>

#include "modem/serial_speed.h"
#include "tests/modem/pty_fixture.h"

namespace corvane {
namespace {

using test::CLockHolder;
using test::CPty;

TEST(DevicePath, ComNamesAreTheOnBoardPorts)
{
    EXPECT_EQ(DevicePathFor("COM1"), "/dev/ttyS0");
    EXPECT_EQ(DevicePathFor("COM9"), "/dev/ttyS8");
    EXPECT_EQ(DevicePathFor("com3"), "/dev/ttyS2");
    EXPECT_EQ(DevicePathFor("COM0"), "COM0");
    EXPECT_EQ(DevicePathFor("COM10"), "COM10");
    EXPECT_EQ(DevicePathFor("/dev/ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(DevicePathFor("/dev/serial/by-id/usb-Zoom_3095-if00"), "/dev/serial/by-id/usb-Zoom_3095-if00");
}

TEST(Framing, ParityStopAndDataBits)
{
    struct Case {
        std::string parity;
        std::string stop;
        int bits;
        tcflag_t set;
        tcflag_t clear;
    };
    const Case cases[] = {
        {"E", "1", 7, CS7 | PARENB, PARODD | CMSPAR | CSTOPB},
        {"O", "2", 8, CS8 | PARENB | PARODD | CSTOPB, CMSPAR},
        {"N", "1", 8, CS8, PARENB | PARODD | CMSPAR | CSTOPB},
        {"M", "1", 7, CS7 | PARENB | PARODD | CMSPAR, CSTOPB},
        {"E", "2", 5, CS5 | PARENB | CSTOPB, PARODD},
    };
    for (const Case& c : cases) {
        termios tio {};
        tio.c_cflag = CS8 | PARENB | PARODD | CMSPAR | CSTOPB;
        ASSERT_TRUE(ApplyFraming(tio, {9600, c.bits, c.parity, c.stop})) << c.parity;
        EXPECT_EQ(tio.c_cflag & (c.set | CSIZE), c.set) << c.parity << c.stop << c.bits;
        EXPECT_EQ(tio.c_cflag & c.clear, 0u) << c.parity << c.stop << c.bits;
    }
}

TEST(Framing, UnknownParityAndStopBitsKeepTheDriversValues)
{
    for (tcflag_t before : {tcflag_t(PARENB | PARODD | CSTOPB), tcflag_t(0)}) {
        termios tio {};
        tio.c_cflag = CS8 | before;
        ASSERT_TRUE(ApplyFraming(tio, {9600, 7, "S", "1.5"}));
        EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR | CSTOPB), before);
        EXPECT_EQ(tio.c_cflag & CSIZE, tcflag_t(CS7));
    }
}

TEST(Framing, DataBitsOutsideFiveToEightAreRefused)
{
    termios tio {};
    EXPECT_FALSE(ApplyFraming(tio, {9600, 9, "N", "1"}));
    EXPECT_FALSE(ApplyFraming(tio, {9600, 0, "N", "1"}));
}

TEST(SerialPort, OpensAPseudoTerminalRawAtAnySpeed)
{
    CPty pty;
    ASSERT_TRUE(pty.ok);
    for (long baud : {300L, 1200L, 9600L, 14400L, 28800L}) {
        CSerialPort port;
        ASSERT_EQ(port.Open(pty.path), OpenStatus::Ok);
        ASSERT_EQ(port.Configure({baud, 7, "E", "1"}), ConfigureStatus::Ok) << baud;
        port.RaiseControlLines();  // a pseudo-terminal has no modem lines: not an error
        EXPECT_EQ(port.TakeErrors(), 0u);
        EXPECT_EQ(ReadSpeed(port.Fd()), baud);
        EXPECT_EQ(port.Baud(), baud);
        termios tio {};
        ASSERT_EQ(tcgetattr(port.Fd(), &tio), 0);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
        EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    }
}

TEST(SerialPort, BytesPassBothWaysUnchangedAndReadsNeverBlock)
{
    CPty pty;
    CSerialPort port;
    ASSERT_EQ(port.Open(pty.path), OpenStatus::Ok);
    ASSERT_EQ(port.Configure({2400, 8, "N", "1"}), ConfigureStatus::Ok);
    char buffer[64];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);

    const std::string all = std::string("\x02" "123\r\n\x85\xff\x00 ok", 12);
    port.Write(all);
    EXPECT_EQ(port.TakeErrors(), 0u);
    EXPECT_EQ(pty.Drain(), all);

    ASSERT_EQ(::write(pty.master, all.data(), all.size()), static_cast<ssize_t>(all.size()));
    pollfd pfd {port.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 1000), 1);
    EXPECT_EQ(std::string(buffer, port.Read(buffer, sizeof buffer)), all);
}

TEST(SerialPort, PurgeDropsWhatHasArrived)
{
    CPty pty;
    CSerialPort port;
    ASSERT_EQ(port.Open(pty.path), OpenStatus::Ok);
    ASSERT_EQ(port.Configure({2400, 8, "N", "1"}), ConfigureStatus::Ok);
    ASSERT_EQ(::write(pty.master, "stale", 5), 5);
    pollfd pfd {port.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&pfd, 1, 1000), 1);
    port.Purge(false, true);
    char buffer[16];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
}

TEST(SerialPort, WriteTimesOutWhenNobodyReads)
{
    CPty pty;
    CSerialPort port;
    ASSERT_EQ(port.Open(pty.path), OpenStatus::Ok);
    ASSERT_EQ(port.Configure({2400, 8, "N", "1"}), ConfigureStatus::Ok);
    port.SetWriteTimeout(200);
    auto start = std::chrono::steady_clock::now();
    port.Write(std::string(1 << 20, 'x'));
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(port.TakeErrors(), kCommTxFull);
    EXPECT_GE(took, std::chrono::milliseconds(190));
    EXPECT_LT(took, std::chrono::milliseconds(2000));
}

TEST(SerialPort, DeviceThatGoesAwayGivesIoErrorsAndNoReadableDescriptor)
{
    CPty pty;
    CSerialPort port;
    ASSERT_EQ(port.Open(pty.path), OpenStatus::Ok);
    ASSERT_EQ(port.Configure({2400, 8, "N", "1"}), ConfigureStatus::Ok);
    pty.Hangup();
    char buffer[16];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(port.TakeErrors() & kCommIoError, kCommIoError);
    EXPECT_EQ(port.Fd(), -1);  // nobody waits on a descriptor that is readable for ever
    port.Write("AT\r");
    EXPECT_EQ(port.TakeErrors() & kCommIoError, kCommIoError);
    port.Purge(true, true);
    port.Close();
    EXPECT_FALSE(port.IsOpen());
}

TEST(SerialPort, OpenFailuresAreSorted)
{
    CSerialPort port;
    EXPECT_EQ(port.Open("/dev/corvane-no-such-device"), OpenStatus::NotExist);
    EXPECT_EQ(port.Open("/tmp"), OpenStatus::Failed);
    EXPECT_EQ(port.OpenErrno(), EISDIR);
    ASSERT_EQ(port.Open("/dev/null"), OpenStatus::Ok);
    EXPECT_EQ(port.Configure({2400, 8, "N", "1"}), ConfigureStatus::GetFailed);
}

TEST(SerialPort, DeviceHeldByAnotherProcessIsInUse)
{
    CPty pty;
    CLockHolder holder(pty.path);
    ASSERT_TRUE(holder.locked);
    CSerialPort port;
    EXPECT_EQ(port.Open(pty.path), OpenStatus::InUse);
}

TEST(SerialPort, SecondOpenIsInUseUntilTheFirstCloses)
{
    CPty pty;
    CSerialPort first, second;
    ASSERT_EQ(first.Open(pty.path), OpenStatus::Ok);
    EXPECT_EQ(second.Open(pty.path), OpenStatus::InUse);
    first.Close();
    EXPECT_EQ(second.Open(pty.path), OpenStatus::Ok);
}

TEST(SerialPort, BadSettingsAreRefused)
{
    CPty pty;
    CSerialPort port;
    ASSERT_EQ(port.Open(pty.path), OpenStatus::Ok);
    EXPECT_EQ(port.Configure({0, 8, "N", "1"}), ConfigureStatus::SetFailed);
    EXPECT_EQ(port.Configure({9600, 9, "N", "1"}), ConfigureStatus::SetFailed);
    EXPECT_EQ(port.Configure({9600, 8, "N", "1"}), ConfigureStatus::Ok);
}

}  // namespace
}  // namespace corvane
