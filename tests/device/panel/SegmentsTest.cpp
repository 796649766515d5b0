#include "device/panel/Segments.h"

#include "app/LedDigits.h"
#include "device/Reports.h"

#include <gtest/gtest.h>

namespace kordan {
namespace {

LedSegments lit(std::string_view segments, bool point = false) {
    LedSegments s;
    for (char c : segments)
        s.segment[size_t(c - 'a')] = true;
    s.point = point;
    return s;
}

TEST(Segments, DigitsOfTheProgramLightTheirShapes) {
    // The shapes a reader expects on a seven-segment display.
    const char* shapes[10] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                              "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    for (int d = 0; d < 10; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(decodeDigit(SegmentCode(d, false)), lit(shapes[d]));
        EXPECT_EQ(decodeDigit(SegmentCode(d, true)), lit(shapes[d], true));
        EXPECT_EQ(digitChar(SegmentCode(d, true)), char('0' + d));
    }
    // Bits 0-6 are segments a to g, bit 7 the point.
    EXPECT_EQ(decodeDigit(0x01), lit("a"));
    EXPECT_EQ(decodeDigit(0x40), lit("g"));
    EXPECT_EQ(decodeDigit(0x80), lit("", true));
    EXPECT_EQ(decodeDigit(0x00), lit(""));
    EXPECT_EQ(digitChar(0x00), ' ');
    EXPECT_EQ(digitChar(0x40), '-');
    EXPECT_EQ(digitChar(0x49), '?');
}

TEST(Segments, DisplayTextReadsLeftToRight) {
    const Digits speed = SpeedDigits("87");
    EXPECT_EQ(displayText(displayReport(speed.right, speed.middle, speed.left)), " 87");
    const Digits km = KmDigits(KmText("12,345"));
    EXPECT_EQ(displayText(displayReport(km.right, km.middle, km.left)), "12.3");
    // Byte 2 is the rightmost digit.
    const OutputReport r =
        displayReport(SegmentCode(3, false), SegmentCode(2, false), SegmentCode(1, false));
    EXPECT_EQ(displayText(r), "123");
    EXPECT_TRUE(isDisplayReport(r));
    EXPECT_FALSE(isSpeakerReport(r));
    EXPECT_TRUE(isSpeakerReport(speakerReport(true)));
}

} // namespace
} // namespace kordan
