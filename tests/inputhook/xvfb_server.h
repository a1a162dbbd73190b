#pragma once
// A private X server for the tests: Xvfb on a display number it picks itself (free at
// that moment), stopped by its PID.

#include <string>
#include <vector>

#include <sys/types.h>

namespace corvane::test {

class CXvfbServer {
public:
    CXvfbServer() = default;
    ~CXvfbServer() { Stop(); }
    CXvfbServer(const CXvfbServer&) = delete;
    CXvfbServer& operator=(const CXvfbServer&) = delete;

    static bool Installed();  // Xvfb is on PATH
    // Starts the server and waits (10 s at most) until it takes connections.
    bool Start(std::string* error);
    void Stop();
    const std::string& Display() const { return m_display; }  // ":N"

private:
    pid_t m_pid = -1;
    std::string m_display;
};

// Runs an X client (xset, xdotool) against display and waits for it; its exit status,
// or -1 when it could not be run.
int RunX11Client(const std::string& display, const std::vector<std::string>& args);

}  // namespace corvane::test
