#pragma once

#include <string>

namespace kordan {

class ZusiLokParser;
struct LokReport;

// The axis files generated for every new locomotive, in the program's directory.
inline constexpr const char* kAutoFahrschalterFile = "automatisch_FS.axr";
inline constexpr const char* kAutoEBremseFile = "automatisch_EB.axr";
inline constexpr const char* kAutoAfbFile = "automatisch_AFB.axr";
inline constexpr const char* kAutoBremsventilFile = "automatisch_FBV.axr";

// Writes the four axis files for the locomotive `parser` has just read (its `Parse`
// returned true): master controller, electric or hydrodynamic brake, automatic speed
// control and driver's brake valve. A master-controller kind without a known zone layout
// goes into the parser's `report` and leaves the earlier master-controller file as it was;
// so do the files that cannot be written (the earlier file of that name then stays).
void generateAutomaticAxes(const ZusiLokParser& parser, const std::string& programDir,
                           LokReport& report);

} // namespace kordan
