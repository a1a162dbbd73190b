// pagingcentral-sim: a paging central (Hayes modem and TAP terminal, or a numeric
// paging line) on a serial line of its own, for tests and benchmarks that run the
// program against it in real time.
//
//   pagingcentral-sim --pty LINK [--script FILE] [--transcript FILE]
//   pagingcentral-sim --device PATH [--script FILE] [--transcript FILE]
//
// --pty creates a pseudo-terminal and makes LINK a symbolic link to its slave, which is
// the device the program opens; --device takes one end of an existing pair (socat).
// The transcript records every command, logon, block, accepted page, numeric page,
// protocol error and received chunk, one a line, as they happen. It runs until SIGTERM
// or until the script makes the device disappear.

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/sim/pty_central.h"
#include "tests/sim/sim_script.h"

using namespace corvane::sim;

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int)
{
    g_stop = 1;
}

int Usage()
{
    std::fprintf(stderr, "usage: pagingcentral-sim (--pty LINK | --device PATH) [--script FILE] [--transcript FILE]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string link, device, scriptFile, transcriptFile;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--pty") link = argv[i + 1];
        else if (option == "--device") device = argv[i + 1];
        else if (option == "--script") scriptFile = argv[i + 1];
        else if (option == "--transcript") transcriptFile = argv[i + 1];
        else return Usage();
    }
    if (link.empty() == device.empty()) return Usage();

    SimScript script;
    if (!scriptFile.empty()) {
        std::ifstream in(scriptFile);
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        if (!in || !ParseScript(text.str(), script, error)) {
            std::fprintf(stderr, "pagingcentral-sim: %s: %s\n", scriptFile.c_str(), in ? error.c_str() : "cannot read");
            return 2;
        }
    }

    FILE* transcript = transcriptFile.empty() ? nullptr : std::fopen(transcriptFile.c_str(), "w");
    CPagingCentral central(script);
    central.onRecord = [transcript](const std::string& line) {
        if (!transcript) return;
        std::fprintf(transcript, "%s\n", line.c_str());
        std::fflush(transcript);
    };

    int fd = -1, slave = -1;
    if (!link.empty()) {
        std::string slavePath;
        if (!OpenPtyPair(fd, slave, slavePath)) {
            std::perror("pagingcentral-sim: openpty");
            return 1;
        }
        // The link appears whole or not at all: tests wait for it.
        std::string temporary = link + ".new";
        ::unlink(temporary.c_str());
        if (::symlink(slavePath.c_str(), temporary.c_str()) != 0 || ::rename(temporary.c_str(), link.c_str()) != 0) {
            std::perror("pagingcentral-sim: link");
            return 1;
        }
    } else {
        fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            std::perror("pagingcentral-sim: device");
            return 1;
        }
        termios tio {};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    if (transcript) {
        std::fprintf(transcript, "READY\n");
        std::fflush(transcript);
    }
    CPtyCentral line(central, fd);
    line.logReceived = true;
    while (!g_stop) {
        if (!line.Service()) break;  // the device disappears: close everything at once
        pollfd pfd {fd, POLLIN, 0};
        ::poll(&pfd, 1, line.IdleMs(200));
    }

    if (!link.empty()) ::unlink(link.c_str());
    if (slave >= 0) ::close(slave);
    ::close(fd);
    if (transcript) {
        std::fprintf(transcript, "END %zu pages, %zu errors\n", central.Pages().size(), central.Errors().size());
        std::fclose(transcript);
    }
    return 0;
}
