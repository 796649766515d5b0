#pragma once

#include "send/SimWindow.h"
#include "sim/ProcessStarter.h"
#include "sim/RegistryBackend.h"

#include <memory>

namespace kordan {

class BridgeClient;

// The simulator's window, registry and process start inside Wine, through kordan-bridge.exe:
// the same Windows calls the program makes on Windows, so keys reach the kept window
// whether or not it is in front, and registry values are live. Each backend keeps a
// reference to `client`, which must outlive it.

// Key messages and typed keys are sent without waiting. A title request given up while the
// bridge runs gives the title last seen for that window, so that a slow answer does not
// count as a closed simulator; with the bridge down every window is gone.
std::unique_ptr<ISimWindow> makeBridgeSimWindow(BridgeClient& client);
std::unique_ptr<IRegistryBackend> makeBridgeRegistry(BridgeClient& client);
// Programs are Windows programs, started by the bridge with CreateProcess; an end within
// ten seconds of the start is reported. It takes over the client's exit handler.
std::unique_ptr<IProcessStarter> makeBridgeProcessStarter(BridgeClient& client);

} // namespace kordan
