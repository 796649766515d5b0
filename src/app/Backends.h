#pragma once

#include "app/KordanServices.h"
#include "common/Settings.h"
#include "device/PieHid.h"
#include "send/SimWindow.h"
#include "sim/ProcessStarter.h"
#include "sim/RegistryBackend.h"
#include "sim/SimPaths.h"
#include "sim/zusi3/TcpSocket.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kordan {

class IClock;
class IDialogs;
class IEventPump;
class ZusiKalibrierung;

// What the program talks to: made by the one file of each system (main_posix.cpp or
// main_win32.cpp), or by a replay from its stand-ins.
struct Backends {
    std::unique_ptr<IPieHid> controllers; // real controllers; may be null
    std::unique_ptr<ISimWindow> window;
    std::unique_ptr<IRegistryBackend> registry;
    std::unique_ptr<IProcessStarter> starter;
    std::unique_ptr<IProcessStarter> platformStarter; // what `starter` wraps, if any
    PathMapper mapSimPath;
    std::optional<std::filesystem::path> winePrefix;
    std::string hidapiVersion; // "" without hidapi
    std::unique_ptr<ISettings> settings;
    std::unique_ptr<ITcpSocket> socket; // to the simulator's TCP interface
    std::string programDir;             // default for the program's directory
    // The way to the simulator this run, in one line for the diagnostics, and the lines
    // about it for the command log (the bridge's restarts go there as they happen).
    std::string delivery;
    std::vector<std::string> deliveryNotes;
    std::function<void(const std::string&)> logLine;
    // What the way runs on (the bridge); declared last: ended first, after the keys.
    std::shared_ptr<void> way;

    // The main window's services with these backends wired in; `hid` is whatever combines
    // the controllers, `programDir` the directory of this run.
    KordanServices services(IPieHid& hid, IClock& clock, IEventPump& events, IDialogs& dialogs,
                            std::string programDir, ZusiKalibrierung& calibration) {
        return {hid,        *settings, clock,    events,     dialogs,
                *window,    *registry, *starter, mapSimPath, std::move(programDir),
                calibration};
    }
};

} // namespace kordan
