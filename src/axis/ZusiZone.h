#pragma once

#include <cstdint>
#include <string>

namespace kordan {

// One stretch of a lever's 0-255 range and the commands that belong to it. A plain record:
// the axis owns 32 of them for its whole life, and loads overwrite their fields.
struct ZusiZone {
    std::string Bezeichnung;
    int32_t Start = 0; // inclusive
    int32_t Ende = 0;  // inclusive; meant to be above Start
    int32_t Funktion = 0;
    int32_t Hold = 0;
    int32_t Repeat = 0; // ticks of 100 ms; 0 = no repetition
    int32_t RegelFunktion = 0;
    int32_t RegelStep = 0; // notches over the zone; negative counts from Ende downwards
    int32_t Release = 0;
    int32_t Timer = 0; // run-time countdown, never stored
    // Run time, never stored: the zone's held key went down on entry and is still down. A
    // lever found resting in the zone (a file loaded under it, keys let go meanwhile) did
    // not enter it, so leaving it sends no key-up for a key that never went down.
    bool Held = false;

    // The signed number of notches that a movement from oldVal to newVal is worth in this
    // zone; 0 when the zone is no regulator zone or has no width (Ende = Start).
    int32_t CalculateRegler(int32_t oldVal, int32_t newVal) const;
    // The notch of the regulator scale the lever stands at with value v: 0 at the zone's
    // start of counting, |RegelStep| at its end.
    int32_t RegelPosition(int32_t v) const;

private:
    int64_t notchPosition(int32_t v) const;
};

} // namespace kordan
