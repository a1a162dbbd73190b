#include "app/core/program_info.h"

#include <cstdio>

#include "app/core/command_line.h"

namespace corvane {

InfoRequest FindInfoRequest(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") return InfoRequest::Help;
        if (arg == "--version") return InfoRequest::Version;
        if (TakesNextArgument(arg)) ++i;
    }
    return InfoRequest::None;
}

const char* CorvaneVersion()
{
    return CORVANE_VERSION;
}

std::string ProgramUsage(const std::string& program, bool withWindows)
{
    std::string text = "usage: " + program + " [options]\n";
    text += withWindows ? "Corvane, a desktop paging terminal: pages by modem (TAP or dialled digits) and over SNPP.\n"
                        : "Corvane without windows: the command server, command files, scheduled pages,\n"
                          "monitoring and the logs; message boxes go to standard error.\n";
    text += "\n"
            "Options are found anywhere on the command line; all but -K and -P may be\n"
            "written in either case. A value may follow its option directly or as the next\n"
            "argument (-P\"John/Call me\" or -P \"John/Call me\").\n"
            "  -K\"title\"    the instance's title (default \"Corvane\"): its own settings and\n"
            "               its own command socket; a second start of a title hands its -P\n"
            "               commands to the running instance and ends\n"
            "  -P\"command\"  a page command to send: \"pager/message\", \"pager/phone/ID/message\",\n"
            "               or a group name instead of the pager (-p gives a second one)\n";
    text += withWindows ? "  -Ffile       send the page commands of file, one a line, and minimise the window\n"
                        : "  -Ffile       send the page commands of file, one a line\n";
    text += "  -Q           quiet: no boxes for page-modem errors or for pages sent by command\n"
            "  -M           start monitoring at once, without the screen saver\n"
            "  -R           the e-mail monitor marks the mail it has processed as read\n"
            "  -Sspec       scan for command files that match spec (wildcards allowed)\n"
            "  -Iseconds    seconds between two scans for command files, 1..3599 (default 5)\n"
            "  -Wdir/       the data directory, with its trailing slash (default: the current folder)\n";
    if (withWindows) text += "  -T           no splash window\n";
    text += "  --help       this text\n"
            "  --version    the version\n"
            "\n"
            "The page log (log.txt) is written in the folder the program was started in, the\n"
            "error log (errorlog.txt) in the data directory. corvane-ctl sends commands to a\n"
            "running instance.\n";
    return text;
}

bool AnswerInfoRequest(int argc, const char* const* argv, const std::string& program, bool withWindows)
{
    switch (FindInfoRequest(argc, argv)) {
    case InfoRequest::None:
        return false;
    case InfoRequest::Help:
        std::fputs(ProgramUsage(program, withWindows).c_str(), stdout);
        break;
    case InfoRequest::Version:
        std::printf("%s %s\n", program.c_str(), CorvaneVersion());
        break;
    }
    std::fflush(stdout);
    return true;
}

}  // namespace corvane
