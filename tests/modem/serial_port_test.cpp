// The serial port over termios, on real pseudo-terminals.

#include "modem/serial_port.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>

#include "modem/serial_speed.h"
#include "tests/modem/pty_fixture.h"

namespace corvane {
namespace {

TEST(DevicePath, ComNamesAreTheOnBoardPorts)
{
    const std::pair<std::string, std::string> cases[] = {
        {"COM1", "/dev/ttyS0"}, {"COM9", "/dev/ttyS8"}, {"com3", "/dev/ttyS2"},       {"COM0", "COM0"},
        {"COM10", "COM10"},     {"/dev/ttyUSB0", "/dev/ttyUSB0"}, {"/dev/serial/by-id/usb-x-if00", "/dev/serial/by-id/usb-x-if00"},
    };
    for (const auto& [name, path] : cases) EXPECT_EQ(DevicePathFor(name), path);
}

TEST(Framing, ParityStopAndDataBitsAndUnknownValuesKeepTheDriversOnes)
{
    struct Case {
        std::string parity, stop;
        int bits;
        tcflag_t before, set, clear;
    };
    const tcflag_t all = PARENB | PARODD | CMSPAR | CSTOPB;
    const Case cases[] = {
        {"E", "1", 7, all, CS7 | PARENB, PARODD | CMSPAR | CSTOPB},
        {"O", "2", 8, all, CS8 | PARENB | PARODD | CSTOPB, CMSPAR},
        {"N", "1", 8, all, CS8, all},
        {"M", "1", 7, all, CS7 | PARENB | PARODD | CMSPAR, CSTOPB},
        {"E", "2", 5, all, CS5 | PARENB | CSTOPB, PARODD},
        {"S", "1.5", 7, PARENB | PARODD | CSTOPB, CS7 | PARENB | PARODD | CSTOPB, CMSPAR},
        {"S", "1.5", 7, 0, CS7, all},
    };
    for (const Case& c : cases) {
        termios tio {};
        tio.c_cflag = CS8 | c.before;
        ASSERT_TRUE(ApplyFraming(tio, {9600, c.bits, c.parity, c.stop})) << c.parity;
        EXPECT_EQ(tio.c_cflag & (c.set | CSIZE), c.set) << c.parity << c.stop << c.bits;
        EXPECT_EQ(tio.c_cflag & c.clear, 0u) << c.parity << c.stop << c.bits;
    }
    termios tio {};
    EXPECT_FALSE(ApplyFraming(tio, {9600, 9, "N", "1"}));
    EXPECT_FALSE(ApplyFraming(tio, {9600, 0, "N", "1"}));
}

TEST(SerialPort, OpensAPseudoTerminalRawAtAnySpeed)
{
    test::CPty pty;
    ASSERT_TRUE(pty.ok);
    for (long baud : {300L, 1200L, 9600L, 14400L, 28800L}) {
        CSerialPort port;
        ASSERT_EQ(port.Open(pty.path), OpenStatus::Ok);
        ASSERT_EQ(port.Configure({baud, 7, "E", "1"}), ConfigureStatus::Ok) << baud;
        port.RaiseControlLines();  // a pseudo-terminal has no modem lines: not an error
        EXPECT_EQ(port.TakeErrors(), 0u);
        EXPECT_EQ(ReadSpeed(port.Fd()), baud);
        termios tio {};
        ASSERT_EQ(tcgetattr(port.Fd(), &tio), 0);
        EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
        EXPECT_EQ(tio.c_cflag & (CRTSCTS | CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    }
}

TEST(SerialPort, BytesPassUnchangedReadsNeverBlockAndPurgeDropsWhatArrived)
{
    test::CPty pty;
    CSerialPort port, second;
    ASSERT_EQ(port.Open(pty.path), OpenStatus::Ok);
    EXPECT_EQ(second.Open(pty.path), OpenStatus::InUse);
    ASSERT_EQ(port.Configure({2400, 8, "N", "1"}), ConfigureStatus::Ok);
    char buffer[64];
    EXPECT_EQ(port.Read(buffer, sizeof buffer), 0u);

    const std::string all = std::string("\x02" "123\r\n\x85\xff\x00 ok", 12);
    port.Write(all);
    EXPECT_EQ(port.TakeErrors(), 0u);
    EXPECT_EQ(pty.Drain(), all);
    pollfd pfd {port.Fd(), POLLIN, 0};
    for (bool purge : {false, true}) {
        ASSERT_EQ(::write(pty.master, all.data(), all.size()), static_cast<ssize_t>(all.size()));
        ASSERT_EQ(::poll(&pfd, 1, 1000), 1);
        if (purge) port.Purge(false, true);
        EXPECT_EQ(std::string(buffer, port.Read(buffer, sizeof buffer)), purge ? "" : all);
    }
    port.Close();
    EXPECT_EQ(second.Open(pty.path), OpenStatus::Ok);
}

TEST(SerialPort, WriteTimesOutWhenNobodyReads)
{
    test::CPty pty;
    CSerialPort port;
    ASSERT_EQ(port.Open(pty.path), OpenStatus::Ok);
    ASSERT_EQ(port.Configure({2400, 8, "N", "1"}), ConfigureStatus::Ok);
    port.SetWriteTimeout(200);
    const auto start = std::chrono::steady_clock::now();
    port.Write(std::string(1 << 20, 'x'));
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(port.TakeErrors(), kCommTxFull);
    EXPECT_GE(took, std::chrono::milliseconds(190));
    EXPECT_LT(took, std::chrono::milliseconds(2000));
}

TEST(SerialPort, DeviceThatGoesAwayGivesIoErrorsAndNoReadableDescriptor)
{
    test::CPty pty;
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

}  // namespace
}  // namespace corvane
