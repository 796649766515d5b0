#include "device/panel/Segments.h"

#include "app/LedDigits.h"

#include <gtest/gtest.h>

namespace kordan {
namespace {

LedSegments lit(std::string_view segments, bool point = false) {
    LedSegments s{{}, point};
    for (char c : segments)
        s.segment[size_t(c - 'a')] = true;
    return s;
}

TEST(Segments, DigitsOfTheProgramLightTheirShapes) {
    // The shapes a reader expects on a seven-segment display.
    const char* shapes[10] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                              "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    for (int d = 0; d < 10; ++d) {
        EXPECT_EQ(decodeDigit(SegmentCode(d, false)), lit(shapes[d])) << d;
        EXPECT_EQ(digitChar(SegmentCode(d, true)), char('0' + d));
    }
    // Bits 0-6 are segments a to g, bit 7 the point.
    EXPECT_EQ(std::tuple(decodeDigit(0x01), decodeDigit(0x40), decodeDigit(0x80), decodeDigit(0)),
              std::tuple(lit("a"), lit("g"), lit("", true), lit("")));
    EXPECT_EQ((std::string{digitChar(0x00), digitChar(0x40), digitChar(0x49)}), " -?");
}

} // namespace
} // namespace kordan
