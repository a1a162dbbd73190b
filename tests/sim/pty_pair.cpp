#include "tests/sim/pty_pair.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>
#include <termios.h>

#include <chrono>

namespace corvane::sim {

std::uint64_t NowMs()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool OpenPtyPair(int& master, int& slave, std::string& slavePath)
{
    char name[128] = {};
    if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return false;
    termios tio {};
    tcgetattr(slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);
    slavePath = name;
    return true;
}

bool OpenLinkedPty(const std::string& link, int& fd, int& slave)
{
    std::string slavePath, temporary = link + ".new";
    ::unlink(temporary.c_str());
    return OpenPtyPair(fd, slave, slavePath) && ::symlink(slavePath.c_str(), temporary.c_str()) == 0 &&
           ::rename(temporary.c_str(), link.c_str()) == 0;
}

int OpenRawDevice(const std::string& device)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio {};
    if (fd >= 0 && tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

}  // namespace corvane::sim
