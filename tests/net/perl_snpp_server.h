#pragma once
// A real SNPP server that no one here wrote, for the tests: Net::SNPP::Server (Debian
// libnet-snpp-perl) run by tests/net/snpp_server.pl on 127.0.0.1 and a free port, started
// as a child process and stopped by its PID. Every page it takes lands in a file.

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace corvane::test {

class CPerlSnppServer {
public:
    CPerlSnppServer();  // waits up to 10 s for the server to listen
    ~CPerlSnppServer();
    CPerlSnppServer(const CPerlSnppServer&) = delete;
    CPerlSnppServer& operator=(const CPerlSnppServer&) = delete;

    bool running() const { return m_port > 0; }
    int port() const { return m_port; }
    std::string Dial() const { return "SNPP:127.0.0.1:" + std::to_string(m_port); }
    // The pages taken so far, as (pager ID, message), in the order they arrived.
    std::vector<std::pair<std::string, std::string>> Pages() const;
    // The clients it has taken so far.
    int Connections() const;

private:
    CTempDir m_dir;
    pid_t m_pid = -1;
    int m_port = 0;
};

}  // namespace corvane::test
