#include "app/core/command_socket.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace corvane {
namespace {

constexpr std::size_t kMaxSocketPath = sizeof(sockaddr_un{}.sun_path) - 1;
constexpr std::size_t kHashedNameKeep = 40;
constexpr const char* kSuffix = ".sock";

bool KeepsItsByte(unsigned char c, bool first)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    if (c == '_' || c == '-') return true;
    return c == '.' && !first;  // never ".", ".." or a hidden file
}

std::string Escape(const std::string& title)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string name;
    for (std::size_t i = 0; i < title.size(); ++i) {
        const auto c = static_cast<unsigned char>(title[i]);
        if (KeepsItsByte(c, i == 0)) {
            name += static_cast<char>(c);
        } else {
            name += '%';
            name += hex[c >> 4];
            name += hex[c & 15];
        }
    }
    return name;
}

std::string HashHex(const std::string& text)
{
    std::uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : text) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    static const char hex[] = "0123456789abcdef";
    std::string out(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) out[static_cast<std::size_t>(i)] = hex[hash & 15];
    return out;
}

std::string BaseFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime && runtime[0] == '/' && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) {
        std::string folder = runtime;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        return folder + "/corvane";
    }
    return "/tmp/corvane-" + std::to_string(::geteuid());
}

}  // namespace

std::string CommandSocketName(const std::string& title)
{
    return Escape(title);
}

std::string InstanceFileName(const std::string& title, std::size_t maxBytes)
{
    const std::string name = Escape(title);
    return name.size() <= maxBytes ? name : name.substr(0, kHashedNameKeep) + "-" + HashHex(title);
}

bool CommandSocketFolder(bool create, std::string& folder, std::string& problem)
{
    folder = BaseFolder();
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = folder + ": " + std::strerror(errno);
        return false;
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        problem = folder + ": " + std::strerror(errno);
        return false;
    }
    // Anyone who could write here could put their own socket in our place.
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 077) != 0) {
        problem = folder + ": not a private folder of this user";
        return false;
    }
    return true;
}

bool CommandSocketPath(const std::string& title, bool create, std::string& path, std::string& problem)
{
    std::string folder;
    if (!CommandSocketFolder(create, folder, problem)) return false;
    std::string name = CommandSocketName(title);
    path = folder + "/" + name + kSuffix;
    if (path.size() <= kMaxSocketPath) return true;

    name = name.substr(0, kHashedNameKeep) + "-" + HashHex(title);
    path = folder + "/" + name + kSuffix;
    if (path.size() <= kMaxSocketPath) return true;
    problem = folder + ": the folder name is too long for a local socket";
    return false;
}

std::string EncodeExecuteRequest(const std::string& topic, const std::string& data)
{
    std::string request = "EXECUTE " + std::to_string(topic.size()) + " " + std::to_string(data.size()) + "\n";
    request += topic;
    request += data;
    return request;
}

}  // namespace corvane
