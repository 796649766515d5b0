#pragma once

#include "common/LoadResult.h"
#include "sim/RegistryBackend.h"
#include "sim/SimPaths.h"

#include <cstdint>
#include <string>

namespace kordan {

// The title of every message about the automatic configuration from a locomotive file.
inline constexpr const char* kAutoConfigTitle = "Automatische Konfiguration nicht möglich";

// Reads the few values of a locomotive file (format "2.3") that the automatic axis
// generation needs. The values are found by counting lines from marker lines ("#", "#IF"),
// and the drive system decides where the brake value lies. The values are meaningful only
// after `Parse` read the file.
class ZusiLokParser {
public:
    // Takes the simulator's directory from the registry ("software\zusi", "ZusiDir"); the
    // mapper turns its Windows paths into openable ones.
    ZusiLokParser(IRegistryBackend& registry, PathMapper mapPath);

    // Reads the locomotive file `ZusiDir`\`lokPfad`. Refused when the file cannot be
    // opened, is too large, is not of format "2.3" or ends before a value is reached; the
    // values of an earlier `Parse` then stay. A drive system the parser does not know is
    // named in the report and leaves `EBremse` at 0, but the other values count: read.
    LokReport Parse(const std::string& lokPfad);

    const std::string& ZusiDir() const { return m_zusiDir; }
    const std::string& FBV() const { return m_fbv; }
    const std::string& Fahrschalter() const { return m_fahrschalter; }
    const std::string& Antriebssystem() const { return m_antriebssystem; }
    // Numbers out of the type's range are clamped to it.
    int16_t Raste() const;
    int16_t Fahrstufen() const { return m_fahrstufen; }
    int32_t Leistung() const { return m_leistung; }
    int16_t EBremse() const;
    int16_t AFB() const;

private:
    PathMapper m_mapPath;
    std::string m_zusiDir;
    std::string m_fbv;
    std::string m_fahrschalter;
    std::string m_antriebssystem;
    double m_raste = 0;
    int16_t m_fahrstufen = 0;
    int32_t m_leistung = 0;
    double m_eBremse = 0;
    double m_afb = 0;
};

} // namespace kordan
