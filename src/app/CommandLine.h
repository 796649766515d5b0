#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kordan {

// What `kordan` was asked to do on its command line. Read before any window exists, so
// that --help, --version, --sheet and --diagnose work without a display.
struct CommandLine {
    bool help = false;
    bool version = false;
    bool diagnose = false; // print the diagnostics text and end
    bool virtualController = false;
    std::string dir;      // the program's directory; "" = the default
    std::string scenario; // played on the virtual controller
    bool quitAfterScenario = false;
    std::string profile;            // loaded at start
    std::optional<bool> activeMode; // overrides the stored start mode for this run
    std::string sheetProfile;       // --sheet PROFILE OUT: writes the assignment sheet and ends
    std::string sheetOut;
    std::optional<std::string> zusi3;    // HOST[:PORT]: Zusi 3 over TCP for this run
    std::optional<std::string> delivery; // "bridge" or "x11" for this run
};

// The parsed command line, or the German message for the first argument that does not fit.
struct CommandLineResult {
    CommandLine line;
    std::string error; // "" when the command line is good
};

// `args` without the program's name.
CommandLineResult parseCommandLine(const std::vector<std::string>& args);

// Where a profile named on the command line is: as given when that file exists (a relative
// name from the directory the program was started in), else in the program's directory;
// otherwise the name as given, for the message that it is not there.
std::string profileArgumentPath(const std::string& name, const std::string& programDir);

// The German text --help prints.
const char* commandLineHelp();

} // namespace kordan
