#pragma once

#include "sim/bridge/ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace kordan {

// Starts `program` (looked up in PATH) with `args`, its standard input and output on
// non-blocking pipes to this process and its standard error on /dev/null. It runs in a
// process group of its own, so a Ctrl+C meant for the program does not end it before the
// program has let go of its keys through it. Null when it cannot be started.
std::unique_ptr<IChildProcess> startPosixChild(const std::string& program,
                                               const std::vector<std::string>& args);

} // namespace kordan
