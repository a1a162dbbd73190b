#pragma once
// What the programs answer to --help and --version. Both are answered before anything
// else starts: no settings are read or written, no log file is created, no command
// socket is opened and no running instance is asked.

#include <string>

namespace corvane {

enum class InfoRequest { None, Help, Version };

// "--help" or "--version" as an argument of its own (the first one found wins). An
// argument that is the value of an option written apart ("-P --help") is that value.
InfoRequest FindInfoRequest(int argc, const char* const* argv);

// The project's version, as the build names it.
const char* CorvaneVersion();

// The usage of the desktop program (withWindows) or of corvaned: the command-line options.
std::string ProgramUsage(const std::string& program, bool withWindows);

// Prints the usage or the version of program on standard output; false when the command
// line asks for neither, and the program then starts as usual.
bool AnswerInfoRequest(int argc, const char* const* argv, const std::string& program, bool withWindows);

}  // namespace corvane
