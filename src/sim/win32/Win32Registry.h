#pragma once

#include "sim/RegistryBackend.h"

#include <memory>

namespace kordan {

// The current user's registry through RegOpenKeyExA (query access), RegQueryValueExA and
// RegCloseKey, so values the simulator changes are seen at once. Only string values are
// read; a value of another type is missing. The key is opened for each read.
std::unique_ptr<IRegistryBackend> makeWin32Registry();

} // namespace kordan
