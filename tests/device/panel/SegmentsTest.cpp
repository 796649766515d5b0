#include "device/panel/Segments.h"

#include "app/LedDigits.h"
#include "device/Reports.h"

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

TEST(Segments, DisplayTextReadsLeftToRight) {
    const Digits speed = SpeedDigits("87"), km = KmDigits(KmText("12,345"));
    const OutputReport r = displayReport(speed.right, speed.middle, speed.left); // byte 2 right
    EXPECT_EQ(std::tuple(displayText(r), displayText(displayReport(km.right, km.middle, km.left))),
              std::tuple(" 87", "12.3"));
    EXPECT_TRUE(isDisplayReport(r) && !isSpeakerReport(r) && isSpeakerReport(speakerReport(true)));
}

} // namespace
} // namespace kordan
