#include "modem/serial_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace corvane {

bool SetArbitrarySpeed(int fd, long baud)
{
    if (baud <= 0) return false;
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return false;
    tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
    tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio.c_ispeed = static_cast<speed_t>(baud);
    tio.c_ospeed = static_cast<speed_t>(baud);
    return ioctl(fd, TCSETS2, &tio) == 0;
}

long ReadSpeed(int fd)
{
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) return 0;
    return static_cast<long>(tio.c_ospeed);
}

}  // namespace corvane
