#include "app/LedDigits.h"

#include "common/NumberText.h"

#include <algorithm>
#include <cmath>

namespace kordan {

namespace {

// Values far beyond anything a display shows are cut before converting, so no conversion
// can overflow.
int64_t wholeAmount(double v) {
    if (std::isnan(v))
        return 0;
    v = std::fabs(v);
    if (v > 1e15)
        v = 1e15;
    return static_cast<int64_t>(v);
}

} // namespace

uint8_t SegmentCode(int64_t d, bool point) {
    static const uint8_t codes[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    uint8_t c = (d >= 0 && d <= 9) ? codes[d] : 0;
    return point ? uint8_t(c | 0x80) : c;
}

Digits SpeedDigits(const std::string& s) {
    Digits d;
    int64_t n = roundHalfEven(std::fabs(readNumber(s)));
    d.right = SegmentCode(n % 10, false);
    n /= 10;
    if (n < 1)
        return d;
    d.middle = SegmentCode(n % 10, false);
    n /= 10;
    if (n < 1)
        return d;
    d.left = SegmentCode(n % 10, false);
    return d;
}

Digits KmDigits(const std::string& s) {
    Digits d;
    double tenths = std::fabs(readNumber(s) * 10);
    int64_t n = roundHalfEven(std::min(tenths, 1e15));
    if (n > 1000)
        n = (n - 1) % 1000 + 1; // 1000 itself stays and shows as 00.0
    d.right = SegmentCode(n % 10, false);
    n /= 10;
    d.middle = SegmentCode(n % 10, true);
    n /= 10;
    if (n < 1)
        return d;
    d.left = SegmentCode(n % 10, false);
    return d;
}

std::string KmText(const std::string& t) {
    auto comma = t.find(',');
    if (comma == std::string::npos)
        return t;
    return t.substr(0, comma) + "." + t.substr(comma + 1, 1);
}

std::string SpeedText(const std::string& registryValue) {
    double v = readNumber(registryValue);
    std::string s = std::to_string(wholeAmount(v));
    return v <= -1 ? "-" + s : s;
}

} // namespace kordan
