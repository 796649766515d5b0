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
    if (kind == "Auf/Ab" && (p.Raste() == 0 || p.Raste() == 1)) {
        // Without notches "up" is held while the lever stays at the bottom; with notches
        // "up" is given on entering the bottom and "down" on leaving it.
        ZusiZone auf = p.Raste() == 0 ? zone("Aufschalten", 0, 40, K::FahrschalterAuf, 1, 0, 0, 0)
                                      : zone("Aufschalten", 0, 40, K::FahrschalterAuf, 0, 0, 0,
                                             K::FahrschalterAb);
        return {auf, zone("Fahren/auf/ab", 100, 200, 0, 0, K::RegelbereichFahrschalter, -1, 0),
                zone("Aus (null)", 250, 255, K::FahrschalterNull, 0, 0, 0, K::FahrschalterAuf)};
    }
    if (kind == "Kombihebel" || kind == "Standard" || kind == "Zugkraft")
        return {zone("Fahrschalter, automatisch erzeugt", 0, 255, 0, 0, K::RegelbereichFahrschalter,
                     -int32_t(p.Fahrstufen()), 0)};
    return {};
}

} // namespace

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

    // A combined lever brakes with the master controller's own notches, downwards.
    const bool kombi = p.Fahrschalter() == "Kombihebel";
    write(kAutoEBremseFile, {zone("E-Bremse automatisch erstellt", 0, 255, 0, 0,
                                  kombi ? K::RegelbereichFahrschalter : K::RegelbereichEHBremse,
                                  kombi ? -int32_t(p.EBremse()) : int32_t(p.EBremse()), 0)});
    write(kAutoAfbFile, {zone("AFB automatisch erstellt", 0, 255, 0, 0, K::RegelbereichAfb,
                              -int32_t(p.AFB()), 0)});
    write(kAutoBremsventilFile,
          {zone("Füllen, automatisch erstellt", 0, 10, K::BremsventilLoesen, 1, 0, 0, 0),
           zone("Bremsen, automatisch erstellt", 40, 255, 0, 0, K::RegelbereichBremse,
                p.FBV() == "D5/D2" ? 7 : 3, 0)});
}

} // namespace kordan
