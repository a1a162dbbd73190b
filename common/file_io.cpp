#include "common/file_io.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {
namespace {

class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() { if (m_fd >= 0) ::close(m_fd); }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int get() const { return m_fd; }
private:
    int m_fd;
};

std::string DirectoryOf(const std::string& path)
{
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

FileError Classify(int err, const std::string& path)
{
    switch (err) {
    case ENOENT:
        return IsDirectory(DirectoryOf(path)) ? FileError::NotFound : FileError::BadPath;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
        return FileError::BadPath;
    case EACCES:
    case EPERM:
    case EWOULDBLOCK:
    case EROFS:
    case ETXTBSY:
        return FileError::Sharing;
    default:
        return FileError::Other;
    }
}

bool ReadAll(int fd, std::string& bytes)
{
    bytes.clear();
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) return true;
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

bool WriteAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

FileError ReadLockedFile(const std::string& path, std::string& bytes)
{
    CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return Classify(errno, path);
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) != 0) return Classify(errno, path);
    if (!ReadAll(fd.get(), bytes)) return FileError::Other;
    return FileError::None;
}

FileError WriteFileAtomically(const std::string& path, const std::string& bytes)
{
    // The lock is taken on the file being replaced, so readers of the old contents keep
    // the writer out and a writer keeps new readers out until the rename is done.
    CFd target(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (target.get() < 0) return Classify(errno, path);
    if (::flock(target.get(), LOCK_EX | LOCK_NB) != 0) return Classify(errno, path);

    std::string temp = path + ".XXXXXX";
    CFd out(::mkstemp(temp.data()));
    if (out.get() < 0) return Classify(errno, path);
    struct stat st {};
    if (::fstat(target.get(), &st) == 0) ::fchmod(out.get(), st.st_mode & 07777);
    bool written = WriteAll(out.get(), bytes) && ::fsync(out.get()) == 0;
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(temp.c_str());
        return written ? Classify(err, path) : FileError::Other;
    }
    CFd dir(::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) ::fsync(dir.get());
    return FileError::None;
}

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    CFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return fd.get() >= 0 && ReadAll(fd.get(), bytes);
}

bool FileExists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

}  // namespace corvane
