#pragma once

#include "device/PieHid.h"

#include <array>
#include <cstdint>

// The controller's report layouts as pure functions over bytes.
namespace kordan {

inline constexpr int kLevers = 7;
inline constexpr int kButtons = 44;

// Raw byte of lever 1..7.
inline uint8_t leverRaw(const InputReport& r, int lever) {
    return r[lever];
}

// Button 1..44: bit (k-1) mod 8 of byte 8 + (k-1) div 8. Bits 4-7 of byte 13 are not
// buttons and are never looked at.
inline bool buttonPressed(const InputReport& r, int button) {
    int k = button - 1;
    return (r[8 + k / 8] >> (k % 8)) & 1;
}

// Every button's state, index button - 1.
inline std::array<bool, kButtons> pressedButtons(const InputReport& r) {
    std::array<bool, kButtons> pressed{};
    for (int k = 1; k <= kButtons; ++k)
        pressed[k - 1] = buttonPressed(r, k);
    return pressed;
}

inline OutputReport displayReport(uint8_t right, uint8_t middle, uint8_t left) {
    return {0, 134, right, middle, left, 0, 0, 0};
}

inline OutputReport speakerReport(bool on) {
    return {0, 133, 0, 0, 0, 0, 0, uint8_t(on ? 1 : 0)};
}

} // namespace kordan
