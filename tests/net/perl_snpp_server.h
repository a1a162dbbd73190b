#pragma once
// A real SNPP server that no one here wrote, for the tests: Net::SNPP::Server (Debian
// libnet-snpp-perl) run by tests/net/snpp_server.pl on 127.0.0.1 and a free port, started
// as a child process and stopped by its PID. Every page it takes lands in a file.

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

extern char** environ;

namespace corvane::test {

class CPerlSnppServer {
public:
    // Waits up to 10 s for the server to listen.
    CPerlSnppServer()
    {
        const char* source = std::getenv("CORVANE_SOURCE_DIR");
        std::string script = std::string(source ? source : ".") + "/tests/net/snpp_server.pl";
        std::string pages = m_dir.File("pages.txt"), port = m_dir.File("port"), clients = m_dir.File("clients.txt");
        char* argv[] = {const_cast<char*>("perl"), script.data(), pages.data(), port.data(), clients.data(), nullptr};
        if (::posix_spawnp(&m_pid, "perl", nullptr, nullptr, argv, environ) != 0) {
            m_pid = -1;
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline && m_port == 0) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {  // it died
                m_pid = -1;
                return;
            }
            m_port = std::atoi(m_dir.Read("port").c_str());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ~CPerlSnppServer()
    {
        if (m_pid <= 0) return;
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    CPerlSnppServer(const CPerlSnppServer&) = delete;
    CPerlSnppServer& operator=(const CPerlSnppServer&) = delete;

    bool running() const { return m_port > 0; }
    int port() const { return m_port; }
    std::string Dial() const { return "SNPP:127.0.0.1:" + std::to_string(m_port); }
    // The pages taken so far, as (pager ID, message), in the order they arrived.
    std::vector<std::pair<std::string, std::string>> Pages() const
    {
        std::vector<std::pair<std::string, std::string>> pages;
        std::istringstream in(m_dir.Read("pages.txt"));
        for (std::string line; std::getline(in, line);)
            if (auto tab = line.find('\t'); tab != std::string::npos)
                pages.emplace_back(line.substr(0, tab), line.substr(tab + 1));
        return pages;
    }
    // The clients it has taken so far.
    int Connections() const
    {
        std::string text = m_dir.Read("clients.txt");
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

private:
    CTempDir m_dir;
    pid_t m_pid = -1;
    int m_port = 0;
};

}  // namespace corvane::test
