#pragma once

#include "common/Dialogs.h"

#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace kordan {

// What became of loading one of the program's files, so a caller can tell a cancelled
// choice from a file that failed without watching the dialogs.
enum class LoadResult {
    Loaded,    // read and taken over
    Cancelled, // no file was chosen; nothing changed
    NotFound,  // the file could not be opened
    Rejected,  // the file was read, but its contents were refused
};

// Why the bytes of a file were refused.
enum class FileError {
    WrongVersion, // the first line is not the version the program writes
    BadFormat,    // a section header or a count is wrong
    TooShort,     // the file ends inside a record
};

// A load's result with what the user is to be told of it.
struct LoadReport {
    enum class File { Profile, Axis, Calibration } file = File::Profile;
    LoadResult result = LoadResult::Loaded;
    std::string path;               // the file opened, or the one that could not be
    std::optional<FileError> error; // why a Rejected file was refused; nullopt: too large
    FileChoice dialog;              // the file dialog's answer, when one was asked
};

// What became of saving one of the program's files.
enum class SaveResult {
    Saved,     // written, and now the object's file
    Cancelled, // no file was chosen; nothing written
    Failed,    // a file was chosen but could not be written
};

// A save's result with what the user is to be told of it.
struct SaveReport {
    SaveResult result = SaveResult::Cancelled;
    std::string path;     // the file written, or the one that could not be written
    std::string reason;   // why it could not be written; may be empty
    std::string keptCopy; // a refused file was copied here before being written over
    FileChoice dialog;    // the file dialog's answer, when one was asked (Failed: its error)
};

// The outcome of reading a file's bytes: its version line (kept even for a refused file)
// and either its contents or why they were refused, never both.
template <class Contents> class Parsed {
public:
    Parsed(std::string version, Contents contents)
        : m_version(std::move(version)), m_result(std::move(contents)) {}
    Parsed(std::string version, FileError error) : m_version(std::move(version)), m_result(error) {}

    const std::string& version() const { return m_version; }
    bool ok() const { return std::holds_alternative<Contents>(m_result); }
    // nullopt for a file that was taken.
    std::optional<FileError> error() const {
        if (const auto* e = std::get_if<FileError>(&m_result))
            return *e;
        return std::nullopt;
    }
    // Only for a file that was taken (ok()); otherwise std::bad_variant_access.
    const Contents& contents() const { return std::get<Contents>(m_result); }
    Contents& contents() { return std::get<Contents>(m_result); }

private:
    std::string m_version;
    std::variant<Contents, FileError> m_result;
};

// What became of reading a locomotive file for the automatic axes.
struct LokReport {
    enum class Result {
        Read,        // the values were read
        NotOpened,   // no such file, or not a regular one
        TooLarge,    // larger than any locomotive file
        WrongFormat, // not of the format "2.3"
        EndsEarly,   // ends before a value is reached
    } result = Result::Read;
    std::string path; // as the simulator names it; for TooLarge the file opened
    // A drive system without a known brake line: the values count, the brake stays 0.
    std::optional<std::string> unknownDrive;
    // Of the axis files generated from a file read: a master-controller kind without a
    // known zone layout (its file is not written), and the files that could not be written.
    std::optional<std::string> unknownFahrschalter;
    std::vector<SaveReport> unwritten;
    bool read() const { return result == Result::Read; }
};

} // namespace kordan
