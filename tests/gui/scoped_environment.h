#pragma once
// Environment variables and the working directory of one test, put back afterwards.

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

private:
    std::string m_cwd;
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

}  // namespace corvane::test
