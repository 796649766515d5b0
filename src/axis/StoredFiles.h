#pragma once

#include "common/Dialogs.h"
#include "common/LoadResult.h"
#include "common/Paths.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

// Small rules shared by the axis and profile files.
namespace kordan {

// The path to open for a file name as the program stores it: names without a directory of
// their own belong to the program's directory; backslashes of Windows-made files are
// turned into native separators only here, so the stored text round-trips unchanged.
inline std::string openablePath(const std::string& programDir, std::string_view stored) {
    std::string native = nativePath(stored);
    if (isRelativePath(stored) && !programDir.empty())
        return joinPath(programDir, native);
    return native;
}

// Asks for a file with the open dialog, or with the save dialog offering `offered` when
// `offered` is set, starting in the program's directory.
inline FileChoice askForFile(IDialogs& dialogs, const char* filter, const std::string& programDir,
                             const std::optional<std::string>& offered = {}) {
    return offered ? dialogs.saveFile(filter, programDir, nativePath(*offered))
                   : dialogs.openFile(filter, programDir);
}

// A chosen path as it is stored: files in and below the program's directory relative to
// it, so a profile keeps working when the program's directory moves. Both are compared in
// the platform's own separator (the directory may come with "/", the dialog answers with
// "\\" on Windows), and on Windows without regard to case, as its file names are.
inline std::string storedPath(const std::string& programDir, std::string path) {
    std::string prefix = programDir;
#ifdef _WIN32
    constexpr char kSeparator = '\\';
    std::replace(prefix.begin(), prefix.end(), '/', kSeparator);
    std::replace(path.begin(), path.end(), '/', kSeparator);
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
#else
    constexpr char kSeparator = '/';
    auto same = [](char a, char b) { return a == b; };
#endif
    if (!prefix.empty() && prefix.back() != kSeparator)
        prefix += kSeparator;
    if (!programDir.empty() && path.size() > prefix.size() &&
        std::equal(prefix.begin(), prefix.end(), path.begin(), same))
        path.erase(0, prefix.size());
    return path;
}

// A file too large to be one of the program's is refused like one in a broken format (its
// report says it was too large instead).
template <class Contents> Parsed<Contents> refusedFile() {
    return Parsed<Contents>({}, FileError::BadFormat);
}

// A text line must not break the line structure of the file: a line break inside a label
// would shift every following line, so it is written as a blank.
inline std::string singleLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return out;
}

} // namespace kordan
