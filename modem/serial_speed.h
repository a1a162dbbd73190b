#pragma once
// Line speeds that termios has no constant for (7200, 14400, 28800 ... the modem rates
// of the baud table) are set through the kernel's termios2 interface, which lives in
// its own source file because its header clashes with <termios.h>.

namespace corvane {

// Sets input and output speed of an open terminal to any rate; false when refused.
bool SetArbitrarySpeed(int fd, long baud);
// The output speed as the kernel holds it, whatever the rate; 0 when it cannot be read.
long ReadSpeed(int fd);

}  // namespace corvane
