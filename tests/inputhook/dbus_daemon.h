#pragma once
// A private message bus for the tests: dbus-daemon with the session bus's rules on a
// socket in a folder of its own, stopped by its PID. It stands in for the session bus
// and for the system bus alike.

#include <string>

#include <sys/types.h>

#include "tests/support/temp_dir.h"

namespace corvane::test {

class CDBusDaemon {
public:
    CDBusDaemon() = default;
    ~CDBusDaemon() { Stop(); }
    CDBusDaemon(const CDBusDaemon&) = delete;
    CDBusDaemon& operator=(const CDBusDaemon&) = delete;

    static bool Installed();  // dbus-daemon is on PATH
    // Starts the bus and waits (10 s at most) until it takes connections.
    bool Start(std::string* error);
    void Stop();
    // A bus that hangs: it takes connections and answers nothing until resumed.
    void Pause(bool paused);
    const std::string& Address() const { return m_address; }  // "unix:path=...,guid=..."

private:
    CTempDir m_dir;
    pid_t m_pid = -1;
    std::string m_address;
};

}  // namespace corvane::test
