#pragma once
// The program's command line. Options are found as substrings anywhere in one line:
// -K, -P and -p in the line as typed, the others in an upper-cased copy (so they are
// case-insensitive), with the values of -F, -S and -W taken from the line as typed at
// the same place, since Linux paths are case-sensitive.

#include <string>
#include <vector>

namespace corvane {

struct CommandLineOptions {
    std::string title = "Corvane";            // -K"name"
    std::vector<std::string> pageCommands;    // -P"command" and -p"command"
    std::string commandFile;                  // -Ffile: minimise and read page commands
    bool hasCommandFile = false;
    bool quiet = false;                       // -Q
    bool monitorAtStart = false;              // -M
    bool markMailRead = false;                // -R
    int commandScanSeconds = 5;               // -I, 1..3599
    std::string commandFileSpec;              // -Spath
    std::string dataDir;                      // -Wpath, used unchanged; empty: the current directory
    bool hasDataDir = false;
    bool noSplash = false;                    // -T
};

// One line from argv, so that `-P "John/Call me"` (the shell split it) and
// `'-P"John/Call me"'` both read as -P"John/Call me"; "-I 30" and "-W /data/" join too.
std::string CommandLineFromArgs(int argc, const char* const* argv);

// True for an option written apart from its value ("-P", "-K", "-F", "-I", "-S", "-W"):
// the next argument is then that value, whatever it holds.
bool TakesNextArgument(const std::string& arg);

CommandLineOptions ParseCommandLine(const std::string& line);

// The pieces of a -F file: at most 999 characters each, ending after a line break (a
// longer line gives several pieces); the line break is removed from the command.
std::vector<std::string> ReadCommandFilePieces(const std::string& path, bool& opened);

}  // namespace corvane
