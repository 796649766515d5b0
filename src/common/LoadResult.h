#pragma once

#include <optional>
#include <string>

namespace kordan {

// What became of loading one of the program's files, so a caller can tell a cancelled
// choice from a file that failed without watching the dialogs.
enum class LoadResult {
    Loaded,    // read and taken over
    Cancelled, // no file was chosen; nothing changed
    NotFound,  // the file could not be opened
    Rejected,  // the file was read, but its contents were refused
};

// What became of saving one of the program's files.
enum class SaveResult {
    Saved,     // written, and now the object's file
    Cancelled, // no file was chosen; nothing written
    Failed,    // a file was chosen but could not be written
};

// Why the bytes of a file were refused.
enum class FileError {
    WrongVersion, // the first line is not the version the program writes
    BadFormat,    // a section header or a count is wrong
    TooShort,     // the file ends inside a record
};

// The outcome of reading a file's bytes: its version line (kept even for a refused file)
// and either its contents or why they were refused.
template <class Contents> struct Parsed {
    std::string version;
    std::optional<FileError> error;
    Contents contents{};
};

} // namespace kordan
