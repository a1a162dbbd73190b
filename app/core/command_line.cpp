#include "app/core/command_line.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "common/decimal.h"

namespace corvane {
namespace {

bool IsQuotedOption(const std::string& arg)
{
    return arg.size() >= 2 && arg[0] == '-' && (arg[1] == 'K' || arg[1] == 'k' || arg[1] == 'P' || arg[1] == 'p');
}

bool IsPathOption(const std::string& arg)
{
    if (arg.size() != 2 || arg[0] != '-') return false;
    char c = static_cast<char>(std::toupper(static_cast<unsigned char>(arg[1])));
    return c == 'F' || c == 'S' || c == 'W' || c == 'I';
}

// The value of -K or -P: from three characters after the option; up to and including
// the first of two adjacent quotes if the rest has them, else up to the first quote.
std::string QuotedValue(const std::string& line, std::size_t option)
{
    std::size_t start = option + 3;
    if (start > line.size()) return "";
    std::string rest = line.substr(start);
    std::size_t twin = rest.find("\"\"");
    if (twin != std::string::npos) return rest.substr(0, twin + 1);
    return rest.substr(0, rest.find('"'));
}

// A path value: after the two option characters up to the first blank, as typed.
std::string PathValue(const std::string& line, std::size_t option)
{
    std::size_t start = option + 2;
    std::size_t end = line.find(' ', start);
    return line.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

bool TakesNextArgument(const std::string& arg)
{
    return (IsQuotedOption(arg) && arg.size() == 2) || IsPathOption(arg);
}

std::string CommandLineFromArgs(int argc, const char* const* argv)
{
    std::vector<std::string> parts;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (IsQuotedOption(arg) && arg.size() == 2 && i + 1 < argc) {
            parts.push_back(arg + "\"" + argv[++i] + "\"");
        } else if (IsQuotedOption(arg) && arg.size() > 2 && arg[2] != '"') {
            parts.push_back(arg.substr(0, 2) + "\"" + arg.substr(2) + "\"");
        } else if (IsPathOption(arg) && i + 1 < argc) {
            parts.push_back(arg + argv[++i]);
        } else {
            parts.push_back(arg);
        }
    }
    std::string line;
    for (const std::string& part : parts) line += (line.empty() ? "" : " ") + part;
    return line;
}

CommandLineOptions ParseCommandLine(const std::string& line)
{
    CommandLineOptions options;
    std::string upper = line;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });

    std::size_t at = line.find("-K");
    if (at == std::string::npos) at = line.find("-k");
    if (at != std::string::npos) options.title = QuotedValue(line, at);
    for (const char* option : {"-P", "-p"})
        if ((at = line.find(option)) != std::string::npos) options.pageCommands.push_back(QuotedValue(line, at));

    if ((at = upper.find("-F")) != std::string::npos) {
        options.hasCommandFile = true;
        options.commandFile = PathValue(line, at);
    }
    options.quiet = upper.find("-Q") != std::string::npos;
    options.monitorAtStart = upper.find("-M") != std::string::npos;
    options.markMailRead = upper.find("-R") != std::string::npos;
    if ((at = upper.find("-I")) != std::string::npos)
        options.commandScanSeconds = static_cast<int>(std::clamp<long>(ToLong(upper.substr(at + 2)), 1, 3599));
    if ((at = upper.find("-S")) != std::string::npos) options.commandFileSpec = PathValue(line, at);
    if ((at = upper.find("-W")) != std::string::npos) {
        options.hasDataDir = true;
        options.dataDir = PathValue(line, at);
    }
    options.noSplash = upper.find("-T") != std::string::npos;
    return options;
}

std::vector<std::string> ReadCommandFilePieces(const std::string& path, bool& opened)
{
    std::vector<std::string> pieces;
    std::FILE* file = std::fopen(path.c_str(), "r");
    opened = file != nullptr;
    if (!file) return pieces;
    char buffer[1000];
    while (std::fgets(buffer, sizeof buffer, file)) {
        std::string piece = buffer;
        while (!piece.empty() && (piece.back() == '\n' || piece.back() == '\r')) piece.pop_back();
        pieces.push_back(piece);
    }
    std::fclose(file);
    return pieces;
}

}  // namespace corvane
