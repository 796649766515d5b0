#pragma once

#include "sim/SimPaths.h"
#include "sim/zusi3/Zusi3Connection.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace kordan {

class IPieHid;
class IRegistryBackend;

// What the system-information text is made of. The versions and the operating system are
// handed in by whoever can know them (the Qt side, the controller backend); the rest is
// asked here.
struct DiagnosticsSources {
    std::string program, qt, hidapi; // versions; "" = not built in
    std::string system;              // the operating system as the platform names it
    IPieHid* controllers = nullptr;  // null when the program has no controller library
    IRegistryBackend* registry = nullptr;
    PathMapper mapSimPath; // the simulator's Windows paths to openable ones
    // The simulator's Wine prefix; none on Windows, where its registry is the system's.
    std::optional<std::filesystem::path> winePrefix;
    std::string delivery;        // how keys and registry values reach the simulator
    bool simWindowFound = false; // the delivery has the simulator's window
    // The TCP interface when chosen: its server and state ("127.0.0.1:1436, verbunden").
    std::string zusi3;
};

// The German text of "System-Info...", and of `kordan --diagnose`. Controllers that are not
// open are opened for a moment to see whether that works. `now` dates user.reg's age.
std::string diagnosticsText(const DiagnosticsSources& sources, std::filesystem::file_time_type now);

// The way commands take with the simulator's TCP interface: "Eingaben über TCP an HOST:PORT",
// as the status bar, the command log and the system information name it.
std::string tcpWayText(const Zusi3Endpoint& server);

// "gerade eben", "vor 5 s", "vor 3 min", "vor 2 h", "vor 4 Tagen".
std::string ageText(std::chrono::seconds age);

} // namespace kordan
