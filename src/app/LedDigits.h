#pragma once

#include "device/PieHid.h"

#include <cstdint>
#include <string>

// What the controller's three-digit display shows for a speed or a kilometre position.
namespace kordan {

struct Digits {
    uint8_t right = 0, middle = 0, left = 0;
    bool operator==(const Digits&) const = default;
};

// The segment byte of decimal digit d (0-9); any other value is dark. `point` lights the
// decimal point.
uint8_t SegmentCode(int64_t d, bool point);

// Whole numbers without leading zeros; the last three digits of larger ones. Negative
// speeds (reversing) show their amount.
Digits SpeedDigits(const std::string& s);

// Tenths of a kilometre with the point behind the middle digit, within the current 100 km.
Digits KmDigits(const std::string& s);

// The simulator may write the position with a decimal comma: "12,345" becomes "12.3".
std::string KmText(const std::string& t);

// The whole-number part of a registry text's number, as decimal text ("87.9" -> "87").
std::string SpeedText(const std::string& registryValue);

} // namespace kordan
