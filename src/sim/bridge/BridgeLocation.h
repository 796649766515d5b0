#pragma once

#include <string>
#include <vector>

namespace kordan {

// Where kordan-bridge.exe is looked for, in this order: beside the program, in the build
// tree the program was built in (`builtAt`, "" for none) and where the package installs it
// (lib/kordan beside the program's bin/). The first that exists, or "".
std::string findBridgeProgram(const std::string& programDir, const std::string& builtAt);

// True when `name` is an executable file in one of the directories of `searchPath`
// (separated by ":", as PATH).
bool inSearchPath(const std::string& name, const std::string& searchPath);

} // namespace kordan
