#pragma once

#include "common/Dialogs.h"
#include "common/Paths.h"

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

// The message of a file dialog that failed for another reason than a cancel.
inline std::string runtimeErrorMessage(const FileChoice& choice) {
    return "Laufzeitfehler: " + std::to_string(choice.errorNumber) + " " + choice.errorText;
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
