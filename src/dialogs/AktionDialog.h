#pragma once

#include <cstdint>
#include <string>

namespace kordan {

// The choices of the lever action dialog, as the main window's `Aktion` stores them.
namespace Aktion {
inline constexpr int32_t Keine = 0;      // "Abbrechen" or closed by the frame
inline constexpr int32_t Zuordnen = 1;   // pick an axis file for the lever
inline constexpr int32_t Entfernen = 2;  // the lever has no axis file any more
inline constexpr int32_t Bearbeiten = 3; // open the lever's file in the axis editor
inline constexpr int32_t Umdrehen = 4;   // toggle the lever's direction
} // namespace Aktion

// "Hebel 3 konfigurieren".
inline std::string aktionTitle(int16_t element) {
    return "Hebel " + std::to_string(element) + " konfigurieren";
}

} // namespace kordan
