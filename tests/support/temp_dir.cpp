#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace corvane::test {

CTempDir::CTempDir()
{
    // No '-' before the random letters: the program finds its options anywhere in its
    // command line, so a -W path with "-p..." in it would also be a page command.
    std::string pattern = (std::filesystem::temp_directory_path() / "corvane_test_XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    m_path = pattern + "/";
}

CTempDir::~CTempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

void CTempDir::Write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(File(name), std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string CTempDir::Read(const std::string& name) const
{
    std::ifstream in(File(name), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace corvane::test
