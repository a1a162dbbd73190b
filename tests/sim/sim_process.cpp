#include "tests/sim/sim_process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <sstream>

#include "tests/sim/pty_pair.h"

extern char** environ;

namespace corvane::sim {
namespace {

std::string Executable(const std::string& program)
{
    const std::string central = "pagingcentral-sim";
    std::string path = CORVANE_SIM_DEFAULT_EXE;
    if (const char* exe = std::getenv("CORVANE_SIM_EXE")) path = exe;
    else if (const char* binary = std::getenv("CORVANE_BINARY_DIR")) path = std::string(binary) + "/tests/sim/" + central;
    // The other simulators live beside the paging central.
    if (program != central) path = path.substr(0, path.rfind('/') + 1) + program;
    return path;
}

std::string Upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool CSimProcess::Start(const std::string& dir, const std::string& script, const std::string& device)
{
    m_link = device.empty() ? dir + "tty" + Upper(m_tag) : "";
    return Launch(dir, script, {device.empty() ? "--pty" : "--device", device.empty() ? m_link : device});
}

bool CSimProcess::StartTcp(const std::string& dir, const std::string& script)
{
    m_link.clear();
    if (!Launch(dir, script, {"--tcp", "0"})) return false;
    const auto listen = Records("LISTEN");
    m_port = listen.empty() ? 0 : std::atoi(listen.front().c_str());
    return m_port > 0;
}

bool CSimProcess::Launch(const std::string& dir, const std::string& script, const std::vector<std::string>& line)
{
    const std::string scriptFile = dir + m_tag + "-script.txt";
    m_transcript = dir + m_tag + "-transcript.txt";
    std::ofstream(scriptFile) << script;
    ::unlink(m_transcript.c_str());

    const std::string exe = Executable(m_program);
    std::vector<std::string> args = {exe, line[0], line[1], "--script", scriptFile, "--transcript", m_transcript};
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    int control[2];
    if (::pipe2(control, O_CLOEXEC) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, control[0], STDIN_FILENO);
    const int spawned = posix_spawn(&m_pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(control[0]);
    m_control = control[1];
    if (spawned != 0) {
        m_pid = -1;
        return false;
    }
    // The simulator writes READY once its line is up (and linked, for --pty).
    for (const std::uint64_t deadline = NowMs() + 5000; NowMs() < deadline; ::usleep(10000)) {
        if (Transcript().find("READY\n") != std::string::npos) return true;
        if (WaitForExit(0)) return false;
    }
    Stop();
    return false;
}

bool CSimProcess::WaitForExit(int ms)
{
    for (const std::uint64_t deadline = NowMs() + static_cast<std::uint64_t>(ms); m_pid > 0; ::usleep(5000)) {
        if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) m_pid = -1;
        else if (NowMs() >= deadline) return false;
    }
    return true;
}

bool CSimProcess::Send(const std::string& directive)
{
    const std::string line = directive + "\n";
    return m_control >= 0 && ::write(m_control, line.data(), line.size()) == static_cast<ssize_t>(line.size());
}

void CSimProcess::Stop()
{
    if (m_control >= 0) ::close(m_control);
    m_control = -1;
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    if (!WaitForExit(3000)) {
        ::kill(m_pid, SIGKILL);
        WaitForExit(3000);
    }
}

std::string CSimProcess::Transcript() const
{
    std::stringstream text;
    text << std::ifstream(m_transcript).rdbuf();
    return text.str();
}

std::vector<std::string> CSimProcess::Records(const std::string& kind) const
{
    std::vector<std::string> records;
    std::istringstream lines(Transcript());
    for (std::string line; std::getline(lines, line);)
        if (line.compare(0, kind.size() + 1, kind + " ") == 0) records.push_back(line.substr(kind.size() + 1));
    return records;
}

}  // namespace corvane::sim
