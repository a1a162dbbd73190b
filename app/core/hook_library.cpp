#include "app/core/hook_library.h"

#include <cerrno>

#include <sys/socket.h>
#include <unistd.h>

#include "inputhook/inputhook.h"
#include "inputhook/screen_saver.h"

namespace corvane {

int CInputHookLibrary::RegisterHookSendWindow(int fd)
{
    return ::RegisterHookSendWindow(fd);
}

int CInputHookLibrary::StartCBT()
{
    return ::StartCBT();
}

int CInputHookLibrary::StopCBT()
{
    return ::StopCBT();
}

int CInputHookLibrary::StartKeyOrMouse()
{
    return ::StartKeyOrMouse();
}

int CInputHookLibrary::StopKeyOrMouse()
{
    return ::StopKeyOrMouse();
}

bool CInputHookLibrary::ActivateScreenSaver()
{
    return ::InputHookActivateScreenSaver() == 1;
}

CHookChannel::~CHookChannel()
{
    Close();
}

bool CHookChannel::Open()
{
    Close();
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, ends) != 0) return false;
    m_readFd = ends[0];
    m_libraryFd = ends[1];
    // The library's end never reads: nothing must ever queue up in that direction.
    shutdown(m_libraryFd, SHUT_RD);
    return true;
}

void CHookChannel::Close()
{
    for (int* fd : {&m_readFd, &m_libraryFd}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

int CHookChannel::ReadAll(const std::function<void(std::uint32_t)>& onMessage)
{
    if (m_readFd < 0) return 0;
    int count = 0;
    for (int packet = 0; packet < kBatch; ++packet) {
        InputHookRecord record;
        ssize_t got;
        do {
            got = recv(m_readFd, &record, sizeof record, MSG_DONTWAIT | MSG_TRUNC);
        } while (got < 0 && errno == EINTR);
        if (got <= 0) break;                                        // nothing more (or no writer)
        if (got != static_cast<ssize_t>(sizeof record)) continue;  // not a report: dropped
        ++count;
        onMessage(record.message);
    }
    return count;
}

}  // namespace corvane
