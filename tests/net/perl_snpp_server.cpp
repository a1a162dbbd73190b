#include "tests/net/perl_snpp_server.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace corvane::test {

CPerlSnppServer::CPerlSnppServer()
{
    const char* source = std::getenv("CORVANE_SOURCE_DIR");
    std::string script = std::string(source ? source : ".") + "/tests/net/snpp_server.pl";
    std::string pages = m_dir.File("pages.txt");
    std::string portFile = m_dir.File("port");
    std::string connections = m_dir.File("connections.txt");
    char* argv[] = {const_cast<char*>("perl"), script.data(), pages.data(), portFile.data(), connections.data(),
                    nullptr};
    if (::posix_spawnp(&m_pid, "perl", nullptr, nullptr, argv, environ) != 0) {
        m_pid = -1;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        std::string text = m_dir.Read("port");
        if (!text.empty()) {
            m_port = std::atoi(text.c_str());
            return;
        }
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {  // it died
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

CPerlSnppServer::~CPerlSnppServer()
{
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGTERM);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
}

int CPerlSnppServer::Connections() const
{
    std::string text = m_dir.Read("connections.txt");
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::vector<std::pair<std::string, std::string>> CPerlSnppServer::Pages() const
{
    std::vector<std::pair<std::string, std::string>> pages;
    std::istringstream in(m_dir.Read("pages.txt"));
    for (std::string line; std::getline(in, line);) {
        auto tab = line.find('\t');
        if (tab == std::string::npos) continue;
        pages.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    return pages;
}

}  // namespace corvane::test
