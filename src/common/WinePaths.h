#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Where the files of a program running under Wine are on the Linux side. Windows paths
// as the simulator stores them ("C:\Programme\Zusi") name a drive that Wine keeps as a
// link below its prefix; Windows compares names case-insensitively, while the files on
// disk may be spelt in another case than the path that names them.
namespace kordan {

// The Wine prefix: `wineprefix` when set and not empty, else `home`/.wine; nullopt when
// neither is known.
std::optional<std::filesystem::path> winePrefix(const char* wineprefix, const char* home);
// The same from the environment variables WINEPREFIX and HOME.
std::optional<std::filesystem::path> winePrefixFromEnvironment();

// A Windows path with a drive ("C:\Programme\Zusi") or rooted without one ("\programme\zusi",
// taken to be on drive C:) as a path below `prefix`/dosdevices ("…/dosdevices/c:/Programme/
// Zusi"). Relative, UNC and device paths give nullopt: they name nothing Wine maps there.
std::optional<std::filesystem::path> wineDosPath(std::string_view windowsPath,
                                                 const std::filesystem::path& prefix);

// The path with each existing component replaced by the entry on disk that equals it
// ignoring case (an exact match wins; among several others the first in name order).
// From the first component that cannot be found on, the rest is kept as given, so the
// result can also name a file that is yet to be written.
std::filesystem::path resolveCaseInsensitive(const std::filesystem::path& path);

// The text with ASCII letters and the Latin-1 letters À-Þ (not ×) in lower case, for
// comparing names as Windows does (UTF-8 in and out, same length).
std::string foldCase(std::string_view utf8);

// True when the two names are equal ignoring case (ASCII and the Latin-1 letters, as in
// "Führerstand"/"FÜHRERSTAND"; UTF-8).
bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace kordan
