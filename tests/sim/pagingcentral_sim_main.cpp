// pagingcentral-sim: a paging central (Hayes modem and TAP terminal, or a numeric paging
// line) on a serial line of its own, for tests and benchmarks that run against it in real time.
//
//   pagingcentral-sim (--pty LINK | --device PATH | --tcp PORT) [--script FILE] [--transcript FILE]
//
// --pty creates a pseudo-terminal and makes LINK a symbolic link to its slave; --device takes
// one end of an existing pair (socat). --tcp listens on 127.0.0.1:PORT (0: a free port) for a
// paging terminal reached over the network: no modem, one connection at a time, each a call
// that meets the terminal afresh from the script; the terminal closes the connection after
// the logoff, and the script's disappear-after-block drops the connection (the next one is
// answered again). The transcript gets LISTEN and the port (with --tcp) and READY once the
// line is up, then every connection (CONNECTED, CLOSED), command, logon, block, accepted
// page, numeric page, protocol error and received chunk, one a line. It runs until SIGTERM
// or until the script makes the device disappear.
//
// The script holds one directive a line ('#' starts a comment), as in SimScript:
//   numeric | direct | flood-after-connect | no-go-ahead | drop-carrier-after-logoff
//   numeric-number NUMBER   (only dials that hold NUMBER reach a numeric line; may repeat)
//   busy N | dial OUTCOME | later-dials OUTCOME   (connect busy no-dialtone no-dial-tone no-answer)
//   init-reply | connect-text | id-text | go-ahead-text | password TEXT   (with \r \n \e)
//   id-prompt unprompted|after-cr|never
//   logon-reply REPLY | block N REPLY | logoff-reply REPLY   (ack nak rs esc-eot none)
//   dial-reply-ms | go-ahead-delay-ms | reply-delay-ms | numeric-busy-at-ms | flood-rate N
//   disappear-after-block N | disappear-after-dial N

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "tests/sim/paging_central.h"
#include "tests/sim/pty_pair.h"
#include "tests/sim/sim_script.h"

using namespace corvane::sim;

namespace {

volatile std::sig_atomic_t g_stop = 0;

// Moves what arrives to the central and what is due to the line, sleeping in poll() until
// the central next has something to do; ends at once when the device disappears. On a
// connection (network) it also ends when the caller closes it, and once a logoff has
// been answered: the terminal hangs up.
void Serve(CPagingCentral& central, int fd, const std::function<void(const std::string&)>& record,
           bool connection = false)
{
    std::string pending;  // due but not yet taken by the line
    char buffer[4096];
    while (!g_stop) {
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0) {
            const std::string_view bytes(buffer, static_cast<std::size_t>(n));
            record("RX " + std::to_string(NowMs()) + " " + Visible(bytes));
            central.Receive(bytes, NowMs());
        }
        if (central.Gone()) return;
        if (connection && (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK))) return;
        if (connection && central.LoggedOff() && pending.empty() && !central.NextEventMs()) return;
        pending += central.TakeDue(NowMs());
        for (ssize_t n; !pending.empty() && (n = ::write(fd, pending.data(), pending.size())) > 0;)
            pending.erase(0, static_cast<std::size_t>(n));
        const auto next = central.NextEventMs();
        const std::uint64_t now = NowMs(), wake = next ? std::max(*next, now) : now + 200;
        pollfd pfd {fd, POLLIN, 0};
        ::poll(&pfd, 1, pending.empty() ? static_cast<int>(std::min<std::uint64_t>(wake - now, 200)) : 10);
    }
}

// The terminal on the network: one connection at a time, each a fresh session.
int ServeTcp(const SimScript& script, int port, const std::function<void(const std::string&)>& record)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int on = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 8) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("pagingcentral-sim: listen");
        return 1;
    }
    record("LISTEN " + std::to_string(ntohs(address.sin_port)));
    record("READY");
    std::size_t pages = 0, errors = 0;
    for (int call = 1; !g_stop;) {
        pollfd p {listener, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0) continue;
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) continue;
        record("CONNECTED " + std::to_string(call));
        SimScript session = script;
        session.direct = true;
        CPagingCentral central(session);
        central.onRecord = record;
        Serve(central, fd, record, true);
        ::close(fd);
        record("CLOSED " + std::to_string(call++));
        pages += central.Pages().size();
        errors += central.Errors().size();
    }
    ::close(listener);
    record("END " + std::to_string(pages) + " pages, " + std::to_string(errors) + " errors");
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options = {
        {"--pty", ""}, {"--device", ""}, {"--tcp", ""}, {"--script", ""}, {"--transcript", ""}};
    bool known = argc % 2 == 1;
    for (int i = 1; known && i < argc; i += 2)
        if ((known = options.count(argv[i]) > 0)) options[argv[i]] = argv[i + 1];
    const std::string link = options["--pty"], device = options["--device"], scriptFile = options["--script"];
    const std::string tcp = options["--tcp"];
    const bool tcpPort = !tcp.empty() && tcp.size() <= 5 && tcp.find_first_not_of("0123456789") == std::string::npos &&
                         std::stoi(tcp) <= 65535;
    if (!known || (!link.empty()) + (!device.empty()) + (!tcp.empty()) != 1 || (!tcp.empty() && !tcpPort)) {
        std::fprintf(stderr, "usage: pagingcentral-sim (--pty LINK | --device PATH | --tcp PORT) [--script FILE] "
                             "[--transcript FILE]\n");
        return 2;
    }
    SimScript script;
    std::string error = "cannot read";
    std::ifstream in(scriptFile);
    if (!scriptFile.empty() && (!in || !ParseScript(in, script, error))) {
        std::fprintf(stderr, "pagingcentral-sim: %s: %s\n", scriptFile.c_str(), error.c_str());
        return 2;
    }
    FILE* transcript = options["--transcript"].empty() ? nullptr : std::fopen(options["--transcript"].c_str(), "w");
    auto record = [transcript](const std::string& line) {
        if (!transcript) return;
        std::fprintf(transcript, "%s\n", line.c_str());
        std::fflush(transcript);
    };
    struct sigaction action {};
    action.sa_handler = [](int) { g_stop = 1; };
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);  // a caller that hangs up is seen on the next read
    if (!tcp.empty()) {
        const int status = ServeTcp(script, std::stoi(tcp), record);
        if (transcript) std::fclose(transcript);
        return status;
    }

    CPagingCentral central(script);
    central.onRecord = record;

    int fd = -1, slave = -1;
    if (!(link.empty() ? (fd = OpenRawDevice(device)) >= 0 : OpenLinkedPty(link, fd, slave))) {
        std::perror("pagingcentral-sim: the line");
        return 1;
    }
    record("READY");
    Serve(central, fd, record);

    if (!link.empty()) ::unlink(link.c_str());
    if (slave >= 0) ::close(slave);
    ::close(fd);
    record("END " + std::to_string(central.Pages().size()) + " pages, " + std::to_string(central.Errors().size()) + " errors");
    if (transcript) std::fclose(transcript);
    return 0;
}
