#pragma once

#include "sim/zusi3/Zusi3Codec.h"

#include <cstdint>
#include <vector>

// How each command code of the catalogue reaches the simulator over TCP: as an input of a
// control group, as a program control, still as a key to its window, or not at all.
namespace kordan::zusi3 {

enum class RouteKind {
    Input,       // an INPUT message, see InputStyle
    Control,     // a program control (pause, time jump, fast-forward)
    Key,         // no input for it: sent as a key to the simulator's window as before
    Composite,   // the emergency brake: the brake valve positioned and confirmed
    NotAvailable // nothing in the simulator does it
};

enum class InputStyle {
    Switch,   // a switch of its own: action Down/Up
    Group,    // one of several switches of a group (PZB): its own Down/Up command
    Lever,    // a step of a combined lever: action Auf_/Ab_ Down/Up
    Function, // a special function of a lever (back to zero): its command, once
};

struct Route {
    RouteKind kind = RouteKind::NotAvailable;
    InputStyle style = InputStyle::Switch;
    uint16_t zuordnung = 0;
    uint16_t kommandoDown = 0; // the command (Function) or the Down command of the pair
    uint16_t kommandoUp = 0;
    bool ab = false;      // Lever: steps down instead of up
    uint16_t control = 0; // Control: the node below CONTROL it toggles
};

// The route of a command code; regulator codes 1000-1003 give the route of their up step.
// Codes outside the catalogue are NotAvailable.
Route routeOf(int32_t code);

// The messages that carry out ZusiSend(code, befehl): Befehl 1 Down, 2 Up, 3 DownUp for
// single commands; a signed notch count for 1000-1003, which becomes that many presses of
// the step and one release, as on the key path. These are the plain routes: the lever
// commands that read the simulator's reports (see Zusi3LeverControl.h) go their own way,
// and the emergency brake gives nothing here.
std::vector<Node> messagesFor(int32_t code, int32_t befehl);

} // namespace kordan::zusi3
