#include "inputhook/hook_post.h"

#include <cerrno>
#include <csignal>
#include <ctime>

#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include "inputhook/inputhook.h"

namespace corvane::hook {
namespace {

PostResult FromErrno(int error)
{
    return error == EAGAIN || error == EWOULDBLOCK || error == ENOBUFS ? PostResult::Full
                                                                        : PostResult::Gone;
}

// A pipe has no MSG_NOSIGNAL, and changing the descriptor to non-blocking would change
// it for the program as well. So: write only when poll() says there is room (a record
// is far below PIPE_BUF, so the write then cannot block), and keep SIGPIPE pending in
// this thread during the write, discarding the one the write raised.
PostResult WriteToPipe(int fd, const InputHookRecord& record)
{
    pollfd room{fd, POLLOUT, 0};
    if (poll(&room, 1, 0) < 0) return PostResult::Gone;
    if (room.revents & (POLLERR | POLLHUP | POLLNVAL)) return PostResult::Gone;
    if (!(room.revents & POLLOUT)) return PostResult::Full;

    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previousMask;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
    sigset_t pending;
    sigpending(&pending);
    const bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;

    ssize_t written;
    do {
        written = write(fd, &record, sizeof record);
    } while (written < 0 && errno == EINTR);
    const int error = errno;

    if (written < 0 && error == EPIPE && !alreadyPending) {
        const timespec noWait{0, 0};
        while (sigtimedwait(&pipeSignal, nullptr, &noWait) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);

    if (written == static_cast<ssize_t>(sizeof record)) return PostResult::Written;
    return written < 0 ? FromErrno(error) : PostResult::Gone;
}

}  // namespace

PostResult PostHookMessage(int fd, std::uint32_t message)
{
    if (fd < 0) return PostResult::NoTarget;
    const InputHookRecord record{message, 0, 0};
    ssize_t sent;
    do {
        sent = send(fd, &record, sizeof record, MSG_DONTWAIT | MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    if (sent == static_cast<ssize_t>(sizeof record)) return PostResult::Written;
    if (sent >= 0) return PostResult::Gone;  // a stream socket took part of it: the stream is spoilt
    if (errno == ENOTSOCK) return WriteToPipe(fd, record);
    return FromErrno(errno);
}

}  // namespace corvane::hook
