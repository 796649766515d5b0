#pragma once

#include "app/Backends.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QObject;

namespace kordan {

// The program's directory unless --dir names one.
QString defaultProgramDir();
// This system's backends (made by main_posix.cpp or main_win32.cpp), with the way to the
// simulator's window, registry and editor that `delivery` (--delivery) asks for; null when
// the one insisted on cannot be had.
std::unique_ptr<Backends> makeBackends(const std::optional<std::string>& delivery);

// A raised priority for the program's threads where the user may have one: on a machine
// the simulator keeps busy, keys then leave when the report comes. Before any thread starts.
void raiseProgramPriority();
// From here on a termination signal asks for the normal shutdown; one that came before the
// loop runs is acted on as soon as it does.
void catchTerminationSignals();
bool terminationRequested();
// Where the system can, a signal wakes the event loop and calls `onSignal` at once (also
// inside a modal dialog's loop); the object returned keeps that up. Null where it cannot.
std::unique_ptr<QObject> wakeOnTermination(std::function<void()> onSignal);

} // namespace kordan
