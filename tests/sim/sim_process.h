#pragma once
// Runs pagingcentral-sim as a separate process on a new pseudo-terminal, for tests in
// real time. The process is stopped by its PID when the object goes.

#include <sys/types.h>

#include <string>
#include <vector>

namespace corvane::sim {

class CSimProcess {
public:
    CSimProcess() = default;
    ~CSimProcess();
    CSimProcess(const CSimProcess&) = delete;
    CSimProcess& operator=(const CSimProcess&) = delete;

    // Writes the script to dir, starts the simulator with its line linked at dir +
    // "ttySIM" and waits (at most 5 s) for the line to appear.
    bool Start(const std::string& dir, const std::string& script);
    // The same on one end of an existing pair (socat); Line() is empty then.
    bool StartOnDevice(const std::string& dir, const std::string& script, const std::string& device);
    const std::string& Line() const { return m_link; }
    pid_t Pid() const { return m_pid; }
    // SIGTERM, then wait for the exit; the transcript is complete afterwards.
    void Stop();
    // True when the process ended by itself within ms.
    bool WaitForExit(int ms);

    std::string Transcript() const;
    // The transcript lines that start with kind + " ", without that prefix.
    std::vector<std::string> Records(const std::string& kind) const;

    static std::string Executable();

private:
    bool Launch(const std::string& dir, const std::string& script, const std::string& option,
                const std::string& line);

    pid_t m_pid = -1;
    std::string m_link;
    std::string m_transcript;
};

}  // namespace corvane::sim
