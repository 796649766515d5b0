#pragma once

#include "device/PieHid.h"

#include <array>
#include <cstdint>
#include <string>

// Reading the controller's display back out of its output reports, for the panel that
// draws it and for tests and demos that print it. Qt-free.
namespace kordan {

// Which segments a digit byte lights: bit 0 = a (top), 1 = b (upper right), 2 = c (lower
// right), 3 = d (bottom), 4 = e (lower left), 5 = f (upper left), 6 = g (middle), bit 7 the
// decimal point.
struct LedSegments {
    std::array<bool, 7> segment{}; // a..g
    bool point = false;
    bool operator==(const LedSegments&) const = default;
};

inline LedSegments decodeDigit(uint8_t byte) {
    LedSegments s;
    for (int i = 0; i < 7; ++i)
        s.segment[size_t(i)] = (byte >> i) & 1;
    s.point = (byte >> 7) & 1;
    return s;
}

inline bool isDisplayReport(const OutputReport& r) {
    return r[1] == 134;
}
inline bool isSpeakerReport(const OutputReport& r) {
    return r[1] == 133;
}

// The three digit bytes of a display report from left to right.
inline std::array<uint8_t, 3> displayDigits(const OutputReport& r) {
    return {r[4], r[3], r[2]};
}

// The character a digit byte shows: '0'-'9' for the decimal patterns, ' ' for a dark
// digit, '-' for the middle bar alone, '?' for any other pattern. The point is ignored.
inline char digitChar(uint8_t byte) {
    // a b c d e f g per digit 0-9, in the usual seven-segment shapes.
    constexpr std::array<uint8_t, 10> kPatterns{0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const uint8_t s = byte & 0x7F;
    if (s == 0)
        return ' ';
    if (s == 0x40)
        return '-';
    for (size_t d = 0; d < kPatterns.size(); ++d)
        if (kPatterns[d] == s)
            return char('0' + d);
    return '?';
}

// The display as text, left to right, a "." behind each digit whose point is lit:
// "123", " 87", "12.3".
inline std::string displayText(const OutputReport& r) {
    std::string text;
    for (uint8_t b : displayDigits(r)) {
        text += digitChar(b);
        if (b & 0x80)
            text += '.';
    }
    return text;
}

} // namespace kordan
