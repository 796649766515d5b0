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
    EXPECT_EQ(std::tuple(decodeDigit(0x01), decodeDigit(0x40), decodeDigit(0x80), decodeDigit(0)),
              std::tuple(lit("a"), lit("g"), lit("", true), lit("")));
    EXPECT_EQ((std::string{digitChar(0x00), digitChar(0x40), digitChar(0x49)}), " -?");
}

TEST(Segments, DisplayTextReadsLeftToRight) {
    const Digits speed = SpeedDigits("87"), km = KmDigits(KmText("12,345"));
    // Byte 2 is the rightmost digit.
    const OutputReport r =
        displayReport(SegmentCode(3, false), SegmentCode(2, false), SegmentCode(1, false));
    EXPECT_EQ(std::tuple(displayText(displayReport(speed.right, speed.middle, speed.left)),
                         displayText(displayReport(km.right, km.middle, km.left)), displayText(r)),
              std::tuple(" 87", "12.3", "123"));
    EXPECT_TRUE(isDisplayReport(r) && !isSpeakerReport(r) && isSpeakerReport(speakerReport(true)));
}

} // namespace
} // namespace kordan
