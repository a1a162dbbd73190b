#include "tests/inputhook/xvfb_server.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace corvane::test {
namespace {

bool OnPath(const std::string& program)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

std::vector<char*> Argv(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// Waits for the child to end, at most timeoutMs; true when it has.
bool WaitForExit(pid_t pid, int timeoutMs, int* status)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const pid_t done = waitpid(pid, status, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

bool CXvfbServer::Installed()
{
    return OnPath("Xvfb");
}

bool CXvfbServer::Start(std::string* error)
{
    Stop();
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) {
        *error = "pipe: " + std::string(std::strerror(errno));
        return false;
    }
    // Xvfb writes the display number it chose to this descriptor once it takes
    // connections: no guessing at free numbers, no waiting for a socket file.
    const int childFd = ready[1] == 9 ? 10 : 9;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], childFd);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::vector<std::string> args = {"Xvfb", "-displayfd", std::to_string(childFd), "-screen", "0",
                                           "1280x800x24", "-noreset", "-nolisten", "tcp"};
    std::vector<char*> argv = Argv(args);
    const int spawned = posix_spawnp(&m_pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ready[1]);
    if (spawned != 0) {
        close(ready[0]);
        m_pid = -1;
        *error = "Xvfb: " + std::string(std::strerror(spawned));
        return false;
    }

    std::string number;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (number.find('\n') == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd wait{ready[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&wait, 1, static_cast<int>(left.count())) <= 0) break;
        char buffer[16];
        const ssize_t got = read(ready[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<size_t>(got));
    }
    close(ready[0]);
    if (number.find('\n') == std::string::npos) {
        *error = "Xvfb did not come up";
        Stop();
        return false;
    }
    m_display = ":" + number.substr(0, number.find('\n'));
    return true;
}

void CXvfbServer::Stop()
{
    if (m_pid <= 0) return;
    int status = 0;
    kill(m_pid, SIGTERM);
    if (!WaitForExit(m_pid, 5000, &status)) {
        kill(m_pid, SIGKILL);
        WaitForExit(m_pid, 5000, &status);
    }
    m_pid = -1;
    m_display.clear();
}

int RunX11Client(const std::string& display, const std::vector<std::string>& args)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "DISPLAY=", 8) != 0) environment.emplace_back(*entry);
    }
    environment.push_back("DISPLAY=" + display);
    std::vector<char*> envp = Argv(environment);
    std::vector<char*> argv = Argv(args);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0].c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace corvane::test
