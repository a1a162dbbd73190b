#include "tests/inputhook/dbus_daemon.h"

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

bool CDBusDaemon::Installed()
{
    return std::system("command -v dbus-daemon >/dev/null 2>&1") == 0;
}

bool CDBusDaemon::Start(std::string* error)
{
    Stop();
    // The daemon writes its address to this pipe once it listens.
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return *error = std::strerror(errno), false;
    const int childFd = ready[1] == 9 ? 10 : 9;
    const std::string printAddress = "--print-address=" + std::to_string(childFd);
    std::string folder = m_dir.path();
    folder.pop_back();
    const std::string address = "--address=unix:dir=" + folder;
    const char* argv[] = {"dbus-daemon", "--session", "--nofork", "--nopidfile", address.c_str(),
                          printAddress.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], childFd);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const int spawned =
        posix_spawnp(&m_pid, "dbus-daemon", &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    if (spawned != 0) m_pid = -1;
    std::string line;
    char buffer[256];
    pollfd wait{ready[0], POLLIN, 0};
    for (int polls = 0; spawned == 0 && line.find('\n') == std::string::npos && polls < 100; ++polls) {
        if (poll(&wait, 1, 100) == 0) continue;  // 10 s at most in all
        const ssize_t got = read(ready[0], buffer, sizeof buffer);
        if (got <= 0) break;
        line.append(buffer, static_cast<size_t>(got));
    }
    close(ready[0]);
    if (line.find('\n') == std::string::npos) {
        *error = spawned ? "dbus-daemon: " + std::string(std::strerror(spawned)) : "dbus-daemon did not come up";
        Stop();
        return false;
    }
    m_address = line.substr(0, line.find('\n'));
    return true;
}

void CDBusDaemon::Pause(bool paused)
{
    if (m_pid > 0) kill(m_pid, paused ? SIGSTOP : SIGCONT);
}

void CDBusDaemon::Stop()
{
    if (m_pid <= 0) return;
    kill(m_pid, SIGCONT);
    kill(m_pid, SIGTERM);
    for (int waits = 0; waitpid(m_pid, nullptr, WNOHANG) == 0; ++waits) {
        if (waits == 500) kill(m_pid, SIGKILL);  // not gone after 5 s
        usleep(10 * 1000);
    }
    m_pid = -1;
    m_address.clear();
}

}  // namespace corvane::test
