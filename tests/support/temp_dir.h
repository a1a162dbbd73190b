#pragma once
// A fresh directory under the system's temporary folder, removed with its contents.

#include <string>

namespace corvane::test {

class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    // The directory with a trailing '/', as the data directory is written.
    const std::string& path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + name; }
    void Write(const std::string& name, const std::string& bytes) const;
    std::string Read(const std::string& name) const;

private:
    std::string m_path;
};

}  // namespace corvane::test
