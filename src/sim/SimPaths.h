#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace kordan {

// Turns a Windows path of the simulator's installation (its directory from the registry
// plus "\temp\aktuellerzug.txt" or the path of a locomotive file) into the path this
// program opens. An empty result names no file.
using PathMapper = std::function<std::string(const std::string& windowsPath)>;

// For the program running on Windows itself: the path as it is.
PathMapper identityPathMapper();

// For the simulator running under Wine: the path below the Wine prefix's drives, with each
// component matched ignoring case as Windows does (the simulator names its files in
// whatever case it likes). Paths Wine maps nowhere (relative or network paths) give "".
PathMapper winePathMapper(std::filesystem::path prefix);

} // namespace kordan
