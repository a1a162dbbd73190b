#pragma once
// Real pseudo-terminals for the port tests, and a process that holds a device the way
// another program would.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
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

// A child process that opens the device and locks it, until the object goes.
struct CLockHolder {
    explicit CLockHolder(const std::string& path)
    {
        int ready[2];
        if (::pipe(ready) != 0) return;
        if ((pid = ::fork()) == 0) {
            int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            char result = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'L' : 'F';
            (void)!::write(ready[1], &result, 1);
            for (;;) ::pause();
        }
        ::close(ready[1]);
        char result = 0;
        locked = ::read(ready[0], &result, 1) == 1 && result == 'L';
        ::close(ready[0]);
    }
    ~CLockHolder()
    {
        if (pid <= 0) return;
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    CLockHolder(const CLockHolder&) = delete;
    CLockHolder& operator=(const CLockHolder&) = delete;

    bool locked = false;
    pid_t pid = -1;
};

}  // namespace corvane::test
