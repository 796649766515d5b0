#include "sim/zusi3/Zusi3AutomaticAxes.h"

#include "axis/ZusiAxis.h"
#include "common/AtomicFile.h"
#include "common/Paths.h"
#include "sim/AutomaticAxes.h"
#include "sim/zusi3/Zusi3LeverControl.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace kordan::zusi3 {

namespace {

constexpr uint16_t kFnHllMittel = 0x18; // the brake valve's running position

AutomaticAxis kept(const char* file, const Lever* lever, LeverRole role) {
    if (!lever)
        return {file, {}, std::string(roleName(role)) + " nicht gemeldet"};
    return {file, {}, lever->name + " ohne Stufen"};
}

AutomaticAxis power(const Lever* lever) {
    if (lever) {
        if (const auto range = tractionNotches(*lever))
            return {
                kAutoFahrschalterFile, autoFahrschalterSteps(range->second - range->first + 1), {}};
        if (tapBase(*lever))
            return {kAutoFahrschalterFile, autoFahrschalterAufAb(false), {}};
    }
    return kept(kAutoFahrschalterFile, lever, LeverRole::Power);
}

AutomaticAxis brakeValve(const Lever* valve) {
    if (valve) {
        const int32_t running = valve->notchWith(kFnHllMittel).value_or(valve->first);
        const int32_t emergency = brakingEnd(*valve);
        // The strongest regulated braking lies next to the emergency brake.
        const int32_t strongest = emergency + (running > emergency ? 1 : -1);
        const int32_t steps = std::abs(running - strongest);
        if (running != emergency && steps > 0)
            return {kAutoBremsventilFile, autoBremsventil(steps), {}};
    }
    return kept(kAutoBremsventilFile, valve, LeverRole::BrakeValve);
}

} // namespace

std::vector<AutomaticAxis> automaticAxes(const LeverModel& levers) {
    const Lever* dyn = levers.find(LeverRole::DynamicBrake);
    const Lever* afb = levers.find(LeverRole::Afb);
    const int32_t afbSteps = afb ? afb->highest - std::clamp(afb->centre, 0, afb->highest) : 0;
    return {
        power(levers.find(LeverRole::Power)),
        dyn && dyn->highest > 0
            ? AutomaticAxis{kAutoEBremseFile, autoEBremse(dyn->highest, false), {}}
            : kept(kAutoEBremseFile, dyn, LeverRole::DynamicBrake),
        afbSteps > 0 ? AutomaticAxis{kAutoAfbFile, autoAfb(afbSteps), {}}
                     : kept(kAutoAfbFile, afb, LeverRole::Afb),
        brakeValve(levers.find(LeverRole::BrakeValve)),
    };
}

std::vector<std::string> writeAutomaticAxes(const LeverModel& levers, const std::string& dir) {
    std::vector<std::string> notes;
    for (const AutomaticAxis& axis : automaticAxes(levers)) {
        const std::string name = axis.file;
        const std::string path = joinPath(dir, name);
        std::error_code ec;
        // Without an earlier file the profile that names it would report it missing at every
        // change of train: a file without zones stands in, and the lever does nothing.
        const bool stays = axis.zones.empty() && std::filesystem::exists(path, ec);
        const std::string prefix =
            "Automatische Konfiguration: " + axis.why + (axis.why.empty() ? "" : ", ") + name;
        std::string reason;
        if (stays)
            notes.push_back(prefix + " bleibt unver\u00e4ndert");
        else if (!writeFileAtomically(path, axisFileBytes(axis.zones), &reason))
            notes.push_back(prefix + " nicht geschrieben" + (reason.empty() ? "" : ": " + reason));
        else
            notes.push_back(prefix +
                            (axis.zones.empty() ? " ohne Zonen angelegt" : " geschrieben"));
    }
    return notes;
}

} // namespace kordan::zusi3
