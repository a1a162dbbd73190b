// callerid-sim: a monitor modem on a serial line of its own, for tests that run against
// it in real time. It answers AT commands (and dials) as the paging central's Hayes modem
// does, and sends rings and caller-ID reports when the test asks for them on standard
// input, one directive a line (see caller_id_line.h).
//
//   callerid-sim (--pty LINK | --device PATH) [--script FILE] [--transcript FILE]
//
// --script sets up the modem as pagingcentral-sim's does (a "numeric" line, so that the
// same modem can also key numeric pages when it is the page modem too). The transcript
// gets READY once the line is up, then every command the modem took ("COMMAND ..."), every
// numeric page, what it sent ("TX ms bytes") and what it received ("RX ms bytes"). It runs
// until SIGTERM, the end of standard input, or a "vanish" directive.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>

#include "tests/sim/caller_id_line.h"
#include "tests/sim/paging_central.h"
#include "tests/sim/pty_pair.h"
#include "tests/sim/sim_script.h"

using namespace corvane::sim;

namespace {

volatile std::sig_atomic_t g_stop = 0;

// Directives from standard input, a line at a time, as they come.
class CDirectives {
public:
    // False once standard input has ended.
    bool Read(CCallerIdLine& line, const std::function<void(const std::string&)>& record)
    {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(STDIN_FILENO, buffer, sizeof buffer)) > 0) m_text.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = m_text.find('\n')) != std::string::npos; m_text.erase(0, end + 1)) {
            std::string error;
            const std::string directive = m_text.substr(0, end);
            record("DIRECTIVE " + directive);
            if (!line.Directive(directive, NowMs(), error)) record("ERROR " + error);
        }
        return n != 0;
    }

private:
    std::string m_text;
};

void Serve(CPagingCentral& modem, CCallerIdLine& line, int fd, const std::function<void(const std::string&)>& record)
{
    CDirectives directives;
    bool input = true;
    std::string pending;  // due but not yet taken by the serial line
    char buffer[4096];
    while (!g_stop) {
        if (input) input = directives.Read(line, record);
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            const std::string_view bytes(buffer, static_cast<std::size_t>(n));
            record("RX " + std::to_string(NowMs()) + " " + Visible(bytes));
            modem.Receive(bytes, NowMs());
        }
        std::string due = modem.TakeDue(NowMs()) + line.TakeDue(NowMs());
        if (!due.empty()) record("TX " + std::to_string(NowMs()) + " " + Visible(due));
        pending += due;
        for (ssize_t n; !pending.empty() && (n = ::write(fd, pending.data(), pending.size())) > 0;)
            pending.erase(0, static_cast<std::size_t>(n));
        if (line.Vanished() && pending.empty()) return;
        if (!input && pending.empty() && !line.NextEventMs() && !modem.NextEventMs()) return;

        std::uint64_t now = NowMs(), wake = now + 200;
        for (auto next : {modem.NextEventMs(), line.NextEventMs()})
            if (next) wake = std::min(wake, std::max(*next, now));
        pollfd pfds[2] = {{fd, POLLIN, 0}, {input ? STDIN_FILENO : -1, POLLIN, 0}};
        ::poll(pfds, 2, pending.empty() ? static_cast<int>(wake - now) : 10);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options = {{"--pty", ""}, {"--device", ""}, {"--script", ""}, {"--transcript", ""}};
    bool known = argc % 2 == 1;
    for (int i = 1; known && i < argc; i += 2)
        if ((known = options.count(argv[i]) > 0)) options[argv[i]] = argv[i + 1];
    const std::string link = options["--pty"], device = options["--device"], scriptFile = options["--script"];
    if (!known || link.empty() == device.empty()) {
        std::fprintf(stderr, "usage: callerid-sim (--pty LINK | --device PATH) [--script FILE] [--transcript FILE]\n");
        return 2;
    }
    SimScript script;
    std::string error = "cannot read";
    std::ifstream in(scriptFile);
    if (!scriptFile.empty() && (!in || !ParseScript(in, script, error))) {
        std::fprintf(stderr, "callerid-sim: %s: %s\n", scriptFile.c_str(), error.c_str());
        return 2;
    }
    FILE* transcript = options["--transcript"].empty() ? nullptr : std::fopen(options["--transcript"].c_str(), "w");
    auto record = [transcript](const std::string& text) {
        if (!transcript) return;
        std::fprintf(transcript, "%s\n", text.c_str());
        std::fflush(transcript);
    };
    CPagingCentral modem(script);
    modem.onRecord = record;
    CCallerIdLine line;

    int fd = -1, slave = -1;
    if (!(link.empty() ? (fd = OpenRawDevice(device)) >= 0 : OpenLinkedPty(link, fd, slave))) {
        std::perror("callerid-sim: the line");
        return 1;
    }
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = [](int) { g_stop = 1; };
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    record("READY");
    Serve(modem, line, fd, record);

    // A device that goes away takes its name with it.
    if (!link.empty()) ::unlink(link.c_str());
    if (slave >= 0) ::close(slave);
    ::close(fd);
    record(line.Vanished() ? "VANISHED" : "END");
    if (transcript) std::fclose(transcript);
    return 0;
}
