#pragma once

#include "sim/SimPaths.h"
#include "sim/zusi3/Zusi3Connection.h"

#include <optional>
#include <string>
#include <vector>

namespace kordan {

class IClock;
class IDialogs;
class IEventPump;
class IPieHid;
class IProcessStarter;
class IRegistryBackend;
class ISettings;
class ISimWindow;
class ITcpSocket;
class ZusiKalibrierung;

// The platform services the main window works with; all outlive it.
struct KordanServices {
    IPieHid& hid;
    ISettings& settings;
    IClock& clock;
    IEventPump& events;
    IDialogs& dialogs;
    ISimWindow& simWindow;           // the window system, where the simulator's window is found
    IRegistryBackend& registry;      // the per-user registry the simulator keeps its values in
    IProcessStarter& processStarter; // starts the simulator's vehicle editor
    // Turns the simulator's Windows paths into openable ones (identity on Windows, the Wine
    // prefix on Linux); a mapper that gives "" for everything keeps the watcher idle.
    PathMapper mapSimPath;
    // The program's directory: start-up makes it current, relative names refer to it.
    std::string programDir;
    // The levers' calibration, loaded and saved by whoever made it.
    ZusiKalibrierung& calibration;
};

// The simulator's TCP interface, offered for this run.
struct Zusi3Offer {
    ITcpSocket& socket;
    // The command line's server for this run; without one the settings choose.
    std::optional<Zusi3Endpoint> forced;
    std::string clientVersion; // told to the simulator
};

// What this run starts with; nothing of it is stored.
struct StartOptions {
    // Loaded at start whatever the load mode; a relative name that does not exist in the
    // directory the program was started from is looked for in the program's directory.
    std::string profile;
    std::optional<bool> activeMode; // the start mode instead of the stored one
    std::optional<Zusi3Offer> zusi3;
    // Where the example profiles that come with the program are ("" for none); a first
    // start in an empty program directory offers to copy them.
    std::string examplesDir;
    // The command log's lines on the way keys take (the bridge, or X11 and why).
    std::vector<std::string> keyWayNotes;
};

} // namespace kordan
