// pagingcentral-sim: a paging central (Hayes modem and TAP terminal, or a numeric paging
// line) on a serial line of its own, for tests and benchmarks that run against it in real time.
//
//   pagingcentral-sim (--pty LINK | --device PATH) [--script FILE] [--transcript FILE]
//
// --pty creates a pseudo-terminal and makes LINK a symbolic link to its slave; --device takes
// one end of an existing pair (socat). The transcript gets READY once the line is up, then
// every command, logon, block, accepted page, numeric page, protocol error and received
// chunk, one a line. It runs until SIGTERM or until the script makes the device disappear.
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

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "tests/sim/paging_central.h"
#include "tests/sim/pty_pair.h"

using namespace corvane::sim;

namespace {

volatile std::sig_atomic_t g_stop = 0;

std::string Unescape(const std::string& text)
{
    static const std::map<char, char> kEscapes = {{'r', '\r'}, {'n', '\n'}, {'e', '\x1b'}};
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool escape = text[i] == '\\' && i + 1 < text.size();
        const char c = escape ? text[++i] : text[i];
        bytes += escape && kEscapes.count(c) ? kEscapes.at(c) : c;
    }
    return bytes;
}

bool ParseScript(std::istream& in, SimScript& s, std::string& error)
{
    static const std::map<std::string, DialOutcome> kOutcomes = {
        {"connect", DialOutcome::Connect},        {"busy", DialOutcome::Busy},
        {"no-dialtone", DialOutcome::NoDialtone}, {"no-dial-tone", DialOutcome::NoDialTone},
        {"no-answer", DialOutcome::NoAnswer}};
    static const std::map<std::string, TapReply> kReplies = {
        {"ack", TapReply::Ack}, {"nak", TapReply::Nak}, {"rs", TapReply::Rs}, {"esc-eot", TapReply::EscEot},
        {"none", TapReply::None}};
    static const std::map<std::string, IdPrompt> kPrompts = {
        {"unprompted", IdPrompt::Unprompted}, {"after-cr", IdPrompt::AfterCr}, {"never", IdPrompt::Never}};
    std::string arg, arg2, rest;
    int n = -1;
    // Each directive takes its arguments and says whether they made sense.
    auto set = [](auto& field, auto value) { return field = value, true; };
    auto outcome = [&](DialOutcome& o) { return kOutcomes.count(arg) && set(o, kOutcomes.at(arg)); };
    auto reply = [&](TapReply& r) { return kReplies.count(arg) && set(r, kReplies.at(arg)); };
    auto number = [&](int& field) { return n >= 0 && set(field, n); };
    const std::map<std::string, std::function<bool()>> directives = {
        {"numeric", [&] { return set(s.numeric, true); }},
        {"numeric-number", [&] { return !arg.empty() && (s.numericNumbers.push_back(arg), true); }},
        {"direct", [&] { return set(s.direct, true); }},
        {"flood-after-connect", [&] { return set(s.floodAfterConnect, true); }},
        {"no-go-ahead", [&] { return set(s.goAhead, false); }},
        {"drop-carrier-after-logoff", [&] { return set(s.dropCarrierAfterLogoff, true); }},
        {"busy", [&] { return n >= 0 && (s.dials.insert(s.dials.end(), n, DialOutcome::Busy), true); }},
        {"dial", [&] { return outcome(s.dials.emplace_back()); }},
        {"later-dials", [&] { return outcome(s.laterDials); }},
        {"init-reply", [&] { return set(s.initReply, Unescape(rest)); }},
        {"connect-text", [&] { return set(s.connectText, Unescape(rest)); }},
        {"id-text", [&] { return set(s.idText, Unescape(rest)); }},
        {"go-ahead-text", [&] { return set(s.goAheadText, Unescape(rest)); }},
        {"password", [&] { return set(s.password, Unescape(rest)); }},
        {"id-prompt", [&] { return kPrompts.count(arg) && set(s.idPrompt, kPrompts.at(arg)); }},
        {"logon-reply", [&] { return reply(s.logonReplies.emplace_back()); }},
        {"block", [&] { return n > 0 && kReplies.count(arg2) && set(s.blockReplies[n], kReplies.at(arg2)); }},
        {"logoff-reply", [&] { return reply(s.logoffReply); }},
        {"dial-reply-ms", [&] { return number(s.dialReplyMs); }},
        {"go-ahead-delay-ms", [&] { return number(s.goAheadDelayMs); }},
        {"reply-delay-ms", [&] { return number(s.replyDelayMs); }},
        {"numeric-busy-at-ms", [&] { return number(s.numericBusyAtMs); }},
        {"flood-rate", [&] { return number(s.floodBytesPerSecond); }},
        {"disappear-after-block", [&] { return number(s.disappearAfterBlock); }},
        {"disappear-after-dial", [&] { return number(s.disappearAfterDial); }},
    };
    std::string line;
    for (int count = 1; std::getline(in, line); ++count) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string directive;
        if (!(words >> directive)) continue;
        std::getline(words >> std::ws, rest);  // a text argument is the rest of the line
        arg = arg2 = "";
        std::istringstream(rest) >> arg >> arg2;
        n = !arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos ? std::stoi(arg) : -1;
        if (!directives.count(directive) || !directives.at(directive)()) {
            error = "line " + std::to_string(count) + ": cannot use \"" + line + "\"";
            return false;
        }
    }
    return true;
}

// The pseudo-terminal's slave appears at link whole or not at all: tests wait for it.
bool OpenLinkedPty(const std::string& link, int& fd, int& slave)
{
    std::string slavePath, temporary = link + ".new";
    ::unlink(temporary.c_str());
    return OpenPtyPair(fd, slave, slavePath) && ::symlink(slavePath.c_str(), temporary.c_str()) == 0 &&
           ::rename(temporary.c_str(), link.c_str()) == 0;
}

int OpenDevice(const std::string& device)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio {};
    if (fd >= 0 && tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

// Moves what arrives to the central and what is due to the line, sleeping in poll() until
// the central next has something to do; ends at once when the device disappears.
void Serve(CPagingCentral& central, int fd, const std::function<void(const std::string&)>& record)
{
    std::string pending;  // due but not yet taken by the line
    char buffer[4096];
    while (!g_stop) {
        for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
            const std::string_view bytes(buffer, static_cast<std::size_t>(n));
            record("RX " + std::to_string(NowMs()) + " " + Visible(bytes));
            central.Receive(bytes, NowMs());
        }
        if (central.Gone()) return;
        pending += central.TakeDue(NowMs());
        for (ssize_t n; !pending.empty() && (n = ::write(fd, pending.data(), pending.size())) > 0;)
            pending.erase(0, static_cast<std::size_t>(n));
        const auto next = central.NextEventMs();
        const std::uint64_t now = NowMs(), wake = next ? std::max(*next, now) : now + 200;
        pollfd pfd {fd, POLLIN, 0};
        ::poll(&pfd, 1, pending.empty() ? static_cast<int>(std::min<std::uint64_t>(wake - now, 200)) : 10);
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
        std::fprintf(stderr, "usage: pagingcentral-sim (--pty LINK | --device PATH) [--script FILE] [--transcript FILE]\n");
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
    CPagingCentral central(script);
    central.onRecord = record;

    int fd = -1, slave = -1;
    if (!(link.empty() ? (fd = OpenDevice(device)) >= 0 : OpenLinkedPty(link, fd, slave))) {
        std::perror("pagingcentral-sim: the line");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = [](int) { g_stop = 1; };
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    record("READY");
    Serve(central, fd, record);

    if (!link.empty()) ::unlink(link.c_str());
    if (slave >= 0) ::close(slave);
    ::close(fd);
    record("END " + std::to_string(central.Pages().size()) + " pages, " + std::to_string(central.Errors().size()) + " errors");
    if (transcript) std::fclose(transcript);
    return 0;
}
