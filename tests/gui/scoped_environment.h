#pragma once
// Environment variables and the working directory of one test, put back afterwards.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::test {

class CScopedEnvironment {
public:
    CScopedEnvironment()
    {
        char cwd[4096];
        m_cwd = ::getcwd(cwd, sizeof cwd) ? cwd : "/";
    }
    ~CScopedEnvironment()
    {
        for (auto& [name, value] : m_saved) {
            if (value) ::setenv(name.c_str(), value->c_str(), 1);
            else ::unsetenv(name.c_str());
        }
        (void)!::chdir(m_cwd.c_str());
    }
    void Set(const std::string& name, const std::string& value)
    {
        const char* old = std::getenv(name.c_str());
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::setenv(name.c_str(), value.c_str(), 1);
    }

    // A user who has never run the program, under root (a folder path ending in '/'):
    // its folders data/, config/, sysconf/, run/ and sim/ made, the settings and the
    // runtime directory pointed there, and data/ the working directory (the program
    // started without -W takes it as its data directory). False when it cannot be entered.
    bool EnterFreshUser(const std::string& root)
    {
        for (const char* sub : {"data", "config", "sysconf", "run", "sim"}) ::mkdir((root + sub).c_str(), 0700);
        Set("XDG_CONFIG_HOME", root + "config");
        Set("CORVANE_SYSCONFDIR", root + "sysconf");
        Set("XDG_RUNTIME_DIR", root + "run");
        return ::chdir((root + "data/").c_str()) == 0;
    }

private:
    std::string m_cwd;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace corvane::test
