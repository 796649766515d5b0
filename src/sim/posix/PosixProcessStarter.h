#pragma once

#include "sim/ProcessStarter.h"

#include <memory>

namespace kordan {

// Starts programs with posix_spawnp: the program is looked up in PATH, the arguments are
// handed over as they are, no shell is involved. The child runs in a session of its own
// with standard input from /dev/null; it is reaped when it ends, so none is left behind as
// a zombie. There are no windows to minimise here.
std::unique_ptr<IProcessStarter> makePosixProcessStarter();

} // namespace kordan
