#pragma once

#include "sim/RegistryBackend.h"

#include <filesystem>
#include <memory>

namespace kordan {

// The current user's registry of a Wine prefix, read from its "user.reg". Only string
// values are read; values of other types are missing. The file is read again whenever
// its modification time or size changes. Wine writes it back only every few seconds, so
// values the simulator changes while it runs arrive here with that delay. A missing or
// malformed file behaves as an empty registry.
std::unique_ptr<IRegistryBackend> makeWineRegistry(std::filesystem::path userRegFile);

// The same for $WINEPREFIX/user.reg, or ~/.wine/user.reg without WINEPREFIX.
std::unique_ptr<IRegistryBackend> makeWineRegistry();

} // namespace kordan
