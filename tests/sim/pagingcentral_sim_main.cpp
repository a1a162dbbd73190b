// pagingcentral-sim: a paging central (Hayes modem and TAP terminal, or a numeric paging
// line) on a serial line of its own, for tests and benchmarks that run against it in real time.
//
//   pagingcentral-sim (--pty LINK | --device PATH) [--script FILE] [--transcript FILE]
//
// --pty creates a pseudo-terminal and makes LINK a symbolic link to its slave, the device
// the program opens; --device takes one end of an existing pair (socat). The transcript
// records every command, logon, block, accepted page, numeric page, protocol error and
// received chunk, one a line. It runs until SIGTERM or until the device disappears.
//
// The script holds one directive a line ('#' starts a comment):
//   numeric | direct | flood-after-connect | no-go-ahead | drop-carrier-after-logoff
//   busy N (the first N dials are BUSY) | dial OUTCOME (the next dial) | later-dials OUTCOME
//     OUTCOME: connect busy no-dialtone no-dial-tone no-answer flood
//   init-reply | connect-text | id-text | go-ahead-text | password TEXT  (\r \n \e \\ \xHH)
//   id-prompt unprompted|after-cr|never
//   logon-reply REPLY (the next logon) | block N REPLY (1-based, retries counted) | logoff-reply REPLY
//     REPLY: ack nak rs esc-eot none
//   dial-reply-ms | go-ahead-delay-ms | reply-delay-ms | numeric-busy-at-ms | flood-rate |
//   disappear-after-block N

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

#include "tests/sim/pty_central.h"

using namespace corvane::sim;

namespace {

volatile std::sig_atomic_t g_stop = 0;

std::string Unescape(const std::string& text)
{
    static const std::map<char, char> kEscapes = {{'r', '\r'}, {'n', '\n'}, {'e', '\x1b'}};
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 >= text.size()) {
            bytes += text[i];
        } else if (text[++i] == 'x' && i + 2 < text.size()) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            bytes += kEscapes.count(text[i]) ? kEscapes.at(text[i]) : text[i];
        }
    }
    return bytes;
}

template <typename T>
bool Lookup(const std::map<std::string, T>& names, const std::string& word, T& value)
{
    auto it = names.find(word);
    if (it != names.end()) value = it->second;
    return it != names.end();
}

bool ParseScript(std::istream& in, SimScript& s, std::string& error)
{
    static const std::map<std::string, DialOutcome> kOutcomes = {
        {"connect", DialOutcome::Connect},        {"busy", DialOutcome::Busy},
        {"no-dialtone", DialOutcome::NoDialtone}, {"no-dial-tone", DialOutcome::NoDialTone},
        {"no-answer", DialOutcome::NoAnswer},     {"flood", DialOutcome::Flood}};
    static const std::map<std::string, TapReply> kReplies = {
        {"ack", TapReply::Ack}, {"nak", TapReply::Nak}, {"rs", TapReply::Rs}, {"esc-eot", TapReply::EscEot},
        {"none", TapReply::None}};
    static const std::map<std::string, IdPrompt> kPrompts = {
        {"unprompted", IdPrompt::Unprompted}, {"after-cr", IdPrompt::AfterCr}, {"never", IdPrompt::Never}};
    const std::map<std::string, bool*> flags = {
        {"numeric", &s.numeric}, {"direct", &s.direct}, {"flood-after-connect", &s.floodAfterConnect},
        {"drop-carrier-after-logoff", &s.dropCarrierAfterLogoff}};
    const std::map<std::string, std::string*> texts = {
        {"init-reply", &s.initReply}, {"connect-text", &s.connectText}, {"id-text", &s.idText},
        {"go-ahead-text", &s.goAheadText}, {"password", &s.password}};
    const std::map<std::string, int*> numbers = {
        {"dial-reply-ms", &s.dialReplyMs},         {"go-ahead-delay-ms", &s.goAheadDelayMs},
        {"reply-delay-ms", &s.replyDelayMs},       {"numeric-busy-at-ms", &s.numericBusyAtMs},
        {"flood-rate", &s.floodBytesPerSecond},    {"disappear-after-block", &s.disappearAfterBlock}};

    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string directive, arg, arg2, rest;
        if (!(words >> directive)) continue;
        std::getline(words >> std::ws, rest);  // a text argument is the rest of the line
        std::istringstream(rest) >> arg >> arg2;
        const bool isNumber = !arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos;
        const int n = isNumber ? std::stoi(arg) : 0;
        bool* flag = nullptr;
        std::string* text = nullptr;
        int* value = nullptr;
        DialOutcome outcome;
        TapReply reply;
        bool ok = true;
        if (Lookup(flags, directive, flag)) *flag = true;
        else if (directive == "no-go-ahead") s.goAhead = false;
        else if (Lookup(texts, directive, text)) *text = Unescape(rest);
        else if (Lookup(numbers, directive, value) && (ok = isNumber)) *value = n;
        else if (directive == "busy" && (ok = isNumber)) s.dials.insert(s.dials.end(), n, DialOutcome::Busy);
        else if (directive == "dial" && (ok = Lookup(kOutcomes, arg, outcome))) s.dials.push_back(outcome);
        else if (directive == "later-dials" && (ok = Lookup(kOutcomes, arg, outcome))) s.laterDials = outcome;
        else if (directive == "id-prompt") ok = Lookup(kPrompts, arg, s.idPrompt);
        else if (directive == "logon-reply" && (ok = Lookup(kReplies, arg, reply))) s.logonReplies.push_back(reply);
        else if (directive == "block" && (ok = isNumber && Lookup(kReplies, arg2, reply))) s.blockReplies[n] = reply;
        else if (directive == "logoff-reply") ok = Lookup(kReplies, arg, s.logoffReply);
        else if (ok) ok = false;
        if (!ok) {
            error = "line " + std::to_string(number) + ": cannot use \"" + line + "\"";
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

}  // namespace

int main(int argc, char** argv)
{
    std::map<std::string, std::string> options = {{"--pty", ""}, {"--device", ""}, {"--script", ""}, {"--transcript", ""}};
    bool known = argc % 2 == 1;
    for (int i = 1; known && i + 1 < argc; i += 2) known = options.count(argv[i]) && !(options[argv[i]] = argv[i + 1]).empty();
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

    const std::string& transcriptFile = options["--transcript"];
    FILE* transcript = transcriptFile.empty() ? nullptr : std::fopen(transcriptFile.c_str(), "w");
    auto write = [transcript](const std::string& line) {
        if (!transcript) return;
        std::fprintf(transcript, "%s\n", line.c_str());
        std::fflush(transcript);
    };
    CPagingCentral central(script);
    central.onRecord = write;

    int fd = -1, slave = -1;
    const bool open = link.empty() ? (fd = OpenDevice(device)) >= 0 : OpenLinkedPty(link, fd, slave);
    if (!open) {
        std::perror("pagingcentral-sim: the line");
        return 1;
    }
    struct sigaction action {};
    action.sa_handler = [](int) { g_stop = 1; };
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    write("READY");
    CPtyCentral line(central, fd);
    line.logReceived = true;
    // Ends at once when the device disappears: everything is closed as if unplugged.
    for (pollfd pfd {fd, POLLIN, 0}; !g_stop && line.Service();) ::poll(&pfd, 1, line.IdleMs(200));

    if (!link.empty()) ::unlink(link.c_str());
    if (slave >= 0) ::close(slave);
    ::close(fd);
    write("END " + std::to_string(central.Pages().size()) + " pages, " + std::to_string(central.Errors().size()) +
          " errors");
    if (transcript) std::fclose(transcript);
    return 0;
}
