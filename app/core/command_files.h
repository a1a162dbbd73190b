#pragma once
// Command files: other programs drop files of page commands where the -S
// specification points; the tick scans for them every few seconds.
//
// A file is read line by line (a line ends at LF, a CR right before it is removed,
// or at the end of the file). A line that starts with two backslashes names another
// command file, processed at once; a line holding "/" is a page command; other lines
// are ignored. A file that gave page commands is deleted once they are all in the
// spool, so each command is sent once; when the spool cannot keep one, the file stays
// whole for a later scan. A file that its writer still holds with an exclusive flock()
// is left alone until a later scan.
//
// Lines are meant to hold at most 1000 characters. A longer line is never cut into
// pieces (the pieces would page the wrong pager or a truncated message): it is taken
// whole up to kMaxCommandLineBytes, and a line longer than that is skipped whole.

#include <cstddef>
#include <string>

#include "app/core/command_socket.h"
#include "app/core/command_topics.h"
#include "engine/page_request.h"

namespace corvane {

inline constexpr std::size_t kCommandFileLineChars = 1000;
inline constexpr std::size_t kMaxCommandLineBytes = kMaxDataBytes;
// Files naming files naming files: deeper names are ignored rather than exhausting
// the stack. A file is never processed inside itself (a cycle ends there).
inline constexpr int kMaxCommandFileDepth = 32;

struct CommandFileScan {
    int pageCommands = 0;   // requests queued
    int filesDeleted = 0;
    int filesLocked = 0;    // left for a later scan
    int linesSkipped = 0;   // longer than kMaxCommandLineBytes
    int namesIgnored = 0;   // a file named while it was being processed, or too deep
    bool refused = false;   // the spool could not keep a command: the files not read whole stay
};

// The -S pattern may hold wildcards (glob(3)); when nothing matches it is taken as
// a file name. Every match that is a regular file is processed.
CommandFileScan ScanCommandFiles(const std::string& specification, CPageQueue& queue, ICommandShell& shell);

}  // namespace corvane
