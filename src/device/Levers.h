#pragma once

#include "device/Reports.h"

#include <array>
#include <cstdint>

namespace kordan {

// The seven raw lever bytes of one report; index lever - 1.
using LeverBytes = std::array<uint8_t, kLevers>;

inline LeverBytes rawLevers(const InputReport& r) {
    LeverBytes raw{};
    for (int i = 1; i <= kLevers; ++i)
        raw[i - 1] = leverRaw(r, i);
    return raw;
}

// Names of lever 1..7, index lever - 1: the long ones of the calibration wizard and the axis
// editor, the short ones under the fields of the main window and the controller panel.
inline constexpr std::array<const char*, kLevers> kLeverCaptions = {
    "Hebel 1 (Reverser)",   "Hebel 2 (Throttle)",        "Hebel 3 (Auto Brake)",
    "Hebel 4 (Ind Brake)",  "Hebel 4 rechts (Bail off)", "3 Pos Schalter oben",
    "3 Pos Schalter unten",
};
inline constexpr std::array<const char*, kLevers> kLeverShortCaptions = {
    "Reverser", "Throttle",        "Auto Brake",      "Ind. Brake",
    "Bail Off", "3 Pos. Switch 1", "3 Pos. Switch 2",
};

} // namespace kordan
