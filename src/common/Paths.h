#pragma once

#include <string>
#include <string_view>

// Paths as the program's files store them use backslashes, because the files come from
// Windows; on POSIX they are turned into native paths only when a file is opened.
namespace kordan {

// The part after the last backslash or slash; the whole text when there is none.
std::string baseName(std::string_view storedPath);

// A stored path in the form the operating system opens: on POSIX every backslash
// becomes "/"; on Windows the path stays as it is.
std::string nativePath(std::string_view storedPath);

// Joins a directory and a file name with the native separator.
std::string joinPath(std::string_view dir, std::string_view name);

// True when `storedPath` names a file without a directory or drive of its own, so that it
// refers to the program's directory.
bool isRelativePath(std::string_view storedPath);

} // namespace kordan
