#pragma once
// Descriptors the core wants watched by the shell's event loop (the command server's
// sockets, the monitor modem's line). The windows watch them with Qt, the headless
// shell with poll().

#include <functional>

namespace corvane {

class IReactor {
public:
    virtual ~IReactor() = default;
    // Calls onReadable from the event loop whenever fd is readable, until Unwatch(fd).
    virtual void Watch(int fd, std::function<void()> onReadable) = 0;
    virtual void Unwatch(int fd) = 0;
};

}  // namespace corvane
