#include "net/paging_server_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "common/decimal.h"

namespace corvane {
namespace {

std::string Hex(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(value));
    return text;
}

// Connects fd without blocking: 0 when connected, else the socket error; -1 when the
// user cancelled.
int ConnectThroughPump(const PagingServerDeps& d, int fd, const sockaddr_in& peer)
{
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0) return 0;
    if (errno != EINPROGRESS) return errno;
    const std::uint64_t start = d.clock.TickMs();
    // The pump wakes on a readable socket (a refusal), not on a writable one (success):
    // short slices at first, where a nearby server answers, longer ones later.
    int slice = 5;
    for (;; slice = std::min(slice * 2, kPumpIntervalMs)) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 0) > 0) {
            int error = 0;
            socklen_t length = sizeof error;
            ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
            return error;
        }
        std::uint64_t elapsed = d.clock.TickMs() - start;
        if (elapsed >= static_cast<std::uint64_t>(kPagingServerTimeoutMs)) return ETIMEDOUT;
        int wait = std::min<int>(kPumpIntervalMs, static_cast<int>(kPagingServerTimeoutMs - elapsed));
        if (d.pump.Wait(std::min(wait, slice), fd, true) != PumpResult::Continue) return -1;
    }
}

// Writes all of request: 0, else the socket error; -1 when the user cancelled.
int WriteThroughPump(const PagingServerDeps& d, int fd, const std::string& request)
{
    const std::uint64_t start = d.clock.TickMs();
    std::size_t done = 0;
    while (done < request.size()) {
        ssize_t n = ::send(fd, request.data() + done, request.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return errno;
        if (d.clock.TickMs() - start >= static_cast<std::uint64_t>(kPagingServerTimeoutMs)) return ETIMEDOUT;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 0) > 0) continue;
        if (d.pump.Wait(5, -1, true) != PumpResult::Continue) return -1;
    }
    return 0;
}

}  // namespace

std::uint32_t PagingServerAddress(const std::string& setting)
{
    // The same value the Modem Configuration shows: anything past 32 bits is the highest address.
    return static_cast<std::uint32_t>(std::clamp(ToLong(setting), 0L, 0xFFFFFFFFL));
}

std::string DottedAddress(std::uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 255) + "." +
           std::to_string((address >> 8) & 255) + "." + std::to_string(address & 255);
}

std::string PagerDescriptor(const PagerRecord& pager, const std::string& pagePortBaud)
{
    if (pager.PagerType == "1") {
        std::string baud = !pager.BaudRate.empty() && pager.BaudRate[0] == '<' ? pagePortBaud : pager.BaudRate;
        return "A/" + pager.PhoneNumber + "/" + pager.PagerID + "/" + baud + "/" + pager.SystemPassword + "/" +
               std::to_string(pager.MaximumPageLength);
    }
    return "N/" + pager.PhoneNumber + "/" + pager.PagerID + "/" + pager.DelayTime + "/" + pager.PinDelayTime + "/" +
           pager.Separator;
}

std::string PagingServerRequest(const PagerRecord& pager, const std::string& text, const std::string& pagePortBaud)
{
    return text + '\x02' + pager.UserName + '\x02' + PagerDescriptor(pager, pagePortBaud);
}

std::string PagingServerSocketText(int error)
{
    return "Unable to create socket.  Error code " + Hex(error) + " was received.";
}

std::string PagingServerConnectText(int error)
{
    std::string text = "Unable to connect to the Corvane/sv paging server.  ";
    if (error == ETIMEDOUT)
        return text + "There was no response at the selected IP address.  Check the IP setting on the modem "
                      "configuration dialog box.";
    if (error == ECONNREFUSED)
        return text + "The paging server cannot be found at the specified IP and Port.  The paging server may be "
                      "down, or you may have selected an incorrect IP address or port.  Check the IP and Port "
                      "settings on the modem configuration dialog box.";
    return text + "Error code 0x" + Hex(error) + " was received.";
}

bool SendToPagingServer(PagingServerDeps deps, const PagerRecord& pager, const std::string& text, bool showErrors)
{
    std::string request = PagingServerRequest(pager, text, deps.settings.Get(key::PagePortBaud));
    int port = deps.settings.GetInt(key::IPPort);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    peer.sin_addr.s_addr = htonl(PagingServerAddress(deps.settings.Get(key::IPAddress)));

    std::string failure;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) {
        failure = PagingServerSocketText(errno);
    } else {
        int error = port < 1 || port > 65535 ? EADDRNOTAVAIL : ConnectThroughPump(deps, fd, peer);
        if (error == 0) error = WriteThroughPump(deps, fd, request);
        if (error == 0) ::shutdown(fd, SHUT_WR);  // nothing follows the descriptor
        ::close(fd);
        if (error == 0) return true;
        // A cancel (-1) is the user's own doing: nothing to tell.
        if (error > 0) failure = PagingServerConnectText(error);
    }
    if (showErrors && !failure.empty())
        deps.messageBox.Show(failure, kSocketErrorCaption, MbIcon::Warning, MbButtons::Ok);
    return false;
}

}  // namespace corvane
