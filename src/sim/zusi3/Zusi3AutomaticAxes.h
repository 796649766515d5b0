#pragma once

#include "axis/ZusiZone.h"
#include "sim/zusi3/Zusi3Levers.h"

#include <string>
#include <vector>

// The automatic configuration's four axis files from the levers the simulator reports over
// its TCP interface, in the layout the Zusi 2 locomotive files give them.
namespace kordan::zusi3 {

struct AutomaticAxis {
    const char* file = nullptr;  // one of the four automatic axis files
    std::vector<ZusiZone> zones; // none: the earlier file stays
    std::string why;             // with no zones: why, for the command log
};

// One entry per file, in the order power controller, electric brake, AFB, brake valve:
// - power controller with traction notches: one regulator zone over them; with tap-changer
//   positions only: the "Auf/Ab" layout (up held at the bottom, null at the top);
// - dynamic brake and AFB: a regulator zone over their notches;
// - brake valve: release held at the bottom, then the steps from the running position to
//   the strongest regulated braking.
// A lever not reported, or one without a notch to step to, gets no zones.
std::vector<AutomaticAxis> automaticAxes(const LeverModel& levers);

// Writes the files automaticAxes() gives zones for into `dir`; one command-log line per
// file written, kept or failed.
std::vector<std::string> writeAutomaticAxes(const LeverModel& levers, const std::string& dir);

} // namespace kordan::zusi3
