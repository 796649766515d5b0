#pragma once

#include "common/Settings.h"
#include "device/PieHid.h"
#include "send/SimWindow.h"
#include "sim/ProcessStarter.h"
#include "sim/RegistryBackend.h"
#include "sim/SimPaths.h"
#include "sim/zusi3/TcpSocket.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace kordan {

// What the program talks to on this system; made by the one file of this system
// (main_posix.cpp or main_win32.cpp).
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
    QString programDir;                 // default for the program's directory
    // The way to the simulator this run, in one line for the diagnostics, and the lines
    // about it for the command log (the bridge's restarts go there as they happen).
    std::string delivery;
    std::vector<std::string> deliveryNotes;
    std::function<void(const std::string&)> logLine;
    // What the way runs on (the bridge); declared last: ended first, after the keys.
    std::shared_ptr<void> way;
};

// The program's directory unless --dir names one.
QString defaultProgramDir();
// The backends with the way to the simulator's window, registry and editor that `delivery`
// (--delivery) asks for; null when the one insisted on cannot be had.
std::unique_ptr<Backends> makeBackends(const std::optional<std::string>& delivery);

// From here on a termination signal asks for the normal shutdown; one that came before the
// loop runs is acted on as soon as it does.
void catchTerminationSignals();
bool terminationRequested();
// Where the system can, a signal wakes the event loop and calls `onSignal` at once (also
// inside a modal dialog's loop); the object returned keeps that up. Null where it cannot.
std::unique_ptr<QObject> wakeOnTermination(std::function<void()> onSignal);

} // namespace kordan
