#pragma once
// Whole-file reads and writes for the data files, with the sharing rules between
// copies of the program: a reader denies writers while it reads, a writer excludes
// everyone, and a file is replaced whole (temporary file, then rename), so a crash or
// a full disk in the middle never leaves a half-written file behind.

#include <string>

namespace corvane {

enum class FileError {
    None,
    NotFound,  // the file does not exist (its directory does)
    BadPath,   // the directory part does not exist or is not a directory
    Sharing,   // another process is writing (or reading, for a writer), or access is denied
    Other,
};

// Reads the whole file under a shared advisory lock that other copies of the program
// respect. Never blocks: a file locked by a writer gives Sharing.
FileError ReadLockedFile(const std::string& path, std::string& bytes);

// Replaces the file whole under an exclusive advisory lock; Sharing while another copy
// reads or writes it. The old contents stay in place when anything fails.
FileError WriteFileAtomically(const std::string& path, const std::string& bytes);

// Plain whole-file read without locking; false when the file cannot be opened.
bool ReadWholeFile(const std::string& path, std::string& bytes);

bool FileExists(const std::string& path);

}  // namespace corvane
