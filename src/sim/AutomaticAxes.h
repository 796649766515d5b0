#pragma once

#include "axis/ZusiZone.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kordan {

class ZusiLokParser;
struct LokReport;

// The axis files generated for every new locomotive, in the program's directory.
inline constexpr const char* kAutoFahrschalterFile = "automatisch_FS.axr";
inline constexpr const char* kAutoEBremseFile = "automatisch_EB.axr";
inline constexpr const char* kAutoAfbFile = "automatisch_AFB.axr";
inline constexpr const char* kAutoBremsventilFile = "automatisch_FBV.axr";

// The zones of the four files, whatever the locomotive's data comes from.
// A regulator zone over the whole lever stepping the master controller over `notches`.
std::vector<ZusiZone> autoFahrschalterSteps(int32_t notches);
// The "Auf/Ab" master controller: up at the bottom of the lever (held with `raste` false,
// given on entering and taken back on leaving with `raste` true), one notch through the
// middle, null at the top.
std::vector<ZusiZone> autoFahrschalterAufAb(bool raste);
// The electric or hydrodynamic brake over `steps`; a combined lever brakes with the master
// controller's notches, downwards.
std::vector<ZusiZone> autoEBremse(int32_t steps, bool kombihebel);
std::vector<ZusiZone> autoAfb(int32_t steps);
// Release held at the bottom, `brakeSteps` of braking over the rest.
std::vector<ZusiZone> autoBremsventil(int32_t brakeSteps);

// Writes the four axis files for the locomotive `parser` has just read (its `Parse`
// returned true): master controller, electric or hydrodynamic brake, automatic speed
// control and driver's brake valve. A master-controller kind without a known zone layout
// goes into the parser's `report` and leaves the earlier master-controller file as it was;
// so do the files that cannot be written (the earlier file of that name then stays).
void generateAutomaticAxes(const ZusiLokParser& parser, const std::string& programDir,
                           LokReport& report);

} // namespace kordan
