#include "tests/inputhook/xvfb_server.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvane::test {

bool CXvfbServer::Installed()
{
    return std::system("command -v Xvfb >/dev/null 2>&1") == 0;
}

bool CXvfbServer::Start(std::string* error)
{
    Stop();
    // Xvfb writes the display number it chose to this pipe once it takes connections:
    // no guessing at free numbers, no waiting for a socket file.
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return *error = std::strerror(errno), false;
    const int childFd = ready[1] == 9 ? 10 : 9;
    const std::string fd = std::to_string(childFd);
    const char* argv[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x800x24", "-noreset",
                          "-nolisten", "tcp", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], childFd);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    if (spawned != 0) m_pid = -1;
    std::string number;
    char buffer[16];
    pollfd wait{ready[0], POLLIN, 0};
    for (int polls = 0; spawned == 0 && number.find('\n') == std::string::npos && polls < 100; ++polls) {
        if (poll(&wait, 1, 100) == 0) continue;  // 10 s at most in all
        const ssize_t got = read(ready[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<size_t>(got));
    }
    close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        *error = spawned ? "Xvfb: " + std::string(std::strerror(spawned)) : "Xvfb did not come up";
        Stop();
        return false;
    }
    m_display = ":" + number.substr(0, number.find('\n'));
    return true;
}

void CXvfbServer::Stop()
{
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    for (int waits = 0; waitpid(m_pid, nullptr, WNOHANG) == 0; ++waits) {
        if (waits == 500) kill(m_pid, SIGKILL);  // not gone after 5 s
        usleep(10 * 1000);
    }
    m_pid = -1;
    m_display.clear();
}

int RunX11Client(const std::string& display, const std::vector<std::string>& args)
{
    std::string command = "DISPLAY=" + display;
    for (const std::string& arg : args) command += " '" + arg + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace corvane::test
