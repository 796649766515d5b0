#include "sim/AutomaticAxes.h"

#include "axis/ZusiAxis.h"
#include "axis/ZusiZone.h"
#include "common/AtomicFile.h"
#include "common/LoadResult.h"
#include "common/Paths.h"
#include "send/ZusiSendKonstanten.h"
#include "sim/ZusiLokParser.h"

#include <vector>

namespace kordan {

namespace K = ZusiSendKonstanten;

namespace {

ZusiZone zone(std::string bezeichnung, int32_t start, int32_t ende, int32_t funktion, int32_t hold,
              int32_t regelFunktion, int32_t regelStep, int32_t release) {
    ZusiZone z;
    z.Bezeichnung = std::move(bezeichnung);
    z.Start = start;
    z.Ende = ende;
    z.Funktion = funktion;
    z.Hold = hold;
    z.Repeat = 0;
    z.RegelFunktion = regelFunktion;
    z.RegelStep = regelStep;
    z.Release = release;
    return z;
}

// The master controller's zones; empty when the kind has no known layout.
std::vector<ZusiZone> fahrschalterZones(const ZusiLokParser& p) {
    const std::string& kind = p.Fahrschalter();
    if (kind == "Auf/Ab" && (p.Raste() == 0 || p.Raste() == 1))
        return autoFahrschalterAufAb(p.Raste() == 1);
    if (kind == "Kombihebel" || kind == "Standard" || kind == "Zugkraft")
        return autoFahrschalterSteps(int32_t(p.Fahrstufen()));
    return {};
}

} // namespace

std::vector<ZusiZone> autoFahrschalterSteps(int32_t notches) {
    return {zone("Fahrschalter, automatisch erzeugt", 0, 255, 0, 0, K::RegelbereichFahrschalter,
                 -notches, 0)};
}

std::vector<ZusiZone> autoFahrschalterAufAb(bool raste) {
    // Without notches "up" is held while the lever stays at the bottom; with notches "up" is
    // given on entering the bottom and "down" on leaving it.
    ZusiZone auf = raste
                       ? zone("Aufschalten", 0, 40, K::FahrschalterAuf, 0, 0, 0, K::FahrschalterAb)
                       : zone("Aufschalten", 0, 40, K::FahrschalterAuf, 1, 0, 0, 0);
    return {auf, zone("Fahren/auf/ab", 100, 200, 0, 0, K::RegelbereichFahrschalter, -1, 0),
            zone("Aus (null)", 250, 255, K::FahrschalterNull, 0, 0, 0, K::FahrschalterAuf)};
}

std::vector<ZusiZone> autoEBremse(int32_t steps, bool kombihebel) {
    return {zone("E-Bremse automatisch erstellt", 0, 255, 0, 0,
                 kombihebel ? K::RegelbereichFahrschalter : K::RegelbereichEHBremse,
                 kombihebel ? -steps : steps, 0)};
}

std::vector<ZusiZone> autoAfb(int32_t steps) {
    return {zone("AFB automatisch erstellt", 0, 255, 0, 0, K::RegelbereichAfb, -steps, 0)};
}

std::vector<ZusiZone> autoBremsventil(int32_t brakeSteps) {
    return {
        zone("Füllen, automatisch erstellt", 0, 10, K::BremsventilLoesen, 1, 0, 0, 0),
        zone("Bremsen, automatisch erstellt", 40, 255, 0, 0, K::RegelbereichBremse, brakeSteps, 0)};
}

void generateAutomaticAxes(const ZusiLokParser& p, const std::string& programDir,
                           LokReport& report) {
    auto write = [&](const char* name, const std::vector<ZusiZone>& zones) {
        SaveReport saved = saveFile(joinPath(programDir, name), axisFileBytes(zones), false);
        if (saved.result != SaveResult::Saved)
            report.unwritten.push_back(std::move(saved));
    };

    const std::vector<ZusiZone> fs = fahrschalterZones(p);
    if (fs.empty())
        report.unknownFahrschalter = p.Fahrschalter();
    else
        write(kAutoFahrschalterFile, fs);

    write(kAutoEBremseFile, autoEBremse(int32_t(p.EBremse()), p.Fahrschalter() == "Kombihebel"));
    write(kAutoAfbFile, autoAfb(int32_t(p.AFB())));
    write(kAutoBremsventilFile, autoBremsventil(p.FBV() == "D5/D2" ? 7 : 3));
}

} // namespace kordan
