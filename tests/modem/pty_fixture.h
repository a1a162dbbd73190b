#pragma once
// Real pseudo-terminals for the port tests, and a device held the way another program would.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include "tests/sim/pty_pair.h"

namespace corvane::test {

struct CPty {
    CPty() { ok = sim::OpenPtyPair(master, slave, path); }
    ~CPty() { Hangup(); }
    CPty(const CPty&) = delete;
    CPty& operator=(const CPty&) = delete;

    std::string Drain()  // everything the program has written so far
    {
        std::string all;
        char buffer[4096];
        for (ssize_t n; (n = ::read(master, buffer, sizeof buffer)) > 0;) all.append(buffer, static_cast<std::size_t>(n));
        return all;
    }
    void Hangup()
    {
        for (int* fd : {&master, &slave}) {
            if (*fd >= 0) ::close(*fd);
            *fd = -1;
        }
    }

    bool ok = false;
    int master = -1, slave = -1;
    std::string path;
};

// The device opened and locked as another program would hold it: a lock on a second open
// file conflicts even within one process.
struct CLockHolder {
    explicit CLockHolder(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~CLockHolder()
    {
        if (fd >= 0) ::close(fd);
    }
    CLockHolder(const CLockHolder&) = delete;
    CLockHolder& operator=(const CLockHolder&) = delete;

    int fd;
    bool locked = false;
};

}  // namespace corvane::test
