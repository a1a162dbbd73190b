#pragma once
// Runs a simulator (pagingcentral-sim, or callerid-sim) as a separate process on a new
// pseudo-terminal (or, the paging central, listening on a loopback port), for tests in real
// time. Its standard input is a pipe the test writes directives to. The process is stopped
// by its PID when the object goes.

#include <sys/types.h>

#include <string>
#include <vector>

namespace corvane::sim {

class CSimProcess {
public:
    // program: the simulator's executable beside pagingcentral-sim; tag names its files
    // in the folder ("sim-transcript.txt", "ttySIM").
    explicit CSimProcess(std::string program = "pagingcentral-sim", std::string tag = "sim")
        : m_program(std::move(program)), m_tag(std::move(tag))
    {
    }
    ~CSimProcess() { Stop(); }
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    // Writes the script to dir and starts the simulator with its line linked at dir +
    // "tty" + the tag in capitals, or on device (one end of a socat pair); waits at most
    // 5 s for it to be up.
    bool Start(const std::string& dir, const std::string& script, const std::string& device = "");
    // The same with the terminal on 127.0.0.1 and a free port, reached over TCP.
    bool StartTcp(const std::string& dir, const std::string& script);
    const std::string& Line() const { return m_link; }  // empty when started on a device
    int Port() const { return m_port; }                 // with StartTcp
    // SIGTERM, then wait for the exit; the transcript is complete afterwards.
    void Stop();
    // True when the process ended by itself within ms.
    bool WaitForExit(int ms);
    // One directive line to the simulator's standard input.
    bool Send(const std::string& directive);

    std::string Transcript() const;
    // The transcript lines that start with kind + " ", without that prefix.
    std::vector<std::string> Records(const std::string& kind) const;

private:
    bool Launch(const std::string& dir, const std::string& script, const std::vector<std::string>& line);

    std::string m_program;
    std::string m_tag;
    pid_t m_pid = -1;
    int m_control = -1;
    int m_port = 0;
    std::string m_link;
    std::string m_transcript;
};

}  // namespace corvane::sim
