#include "app/LedDigits.h"

#include "device/panel/Segments.h"

#include <gtest/gtest.h>

using namespace kordan;

namespace {
constexpr uint8_t D[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr uint8_t P = 0x80;
} // namespace

TEST(LedDigits, DigitsLightTheShapesAReaderExpects) {
    const char* shapes[10] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                              "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
    for (int d = 0; d < 10; ++d) {
        LedSegments lit{};
        for (const char* c = shapes[d]; *c; ++c)
            lit.segment[size_t(*c - 'a')] = true;
        EXPECT_EQ(decodeDigit(SegmentCode(d, false)), lit) << d;
    }
}

// Around the digits' shapes: the point, and which digits a value lights.
TEST(LedDigits, SpeedWithoutLeadingZerosAndKilometresInTenths) {
    EXPECT_EQ(SegmentCode(5, true), D[5] | P) << "the point";
    EXPECT_EQ(SegmentCode(-1, true), P) << "the point alone";
    for (auto [in, out] : {std::pair{"12,345", "12.3"}, {"12,", "12."}, {"12.345", "12.345"}})
        EXPECT_EQ(KmText(in), out) << in;
    for (auto [in, out] : {std::pair{"87.9", "87"}, {"", "0"}, {"-4.5", "-4"}})
        EXPECT_EQ(SpeedText(in), out) << in;
    // Beyond three digits and negative: no failure, a sensible display.
    for (auto [in, out] : {std::pair{"7", Digits{D[7], 0, 0}},
                           {"80", {D[0], D[8], 0}},
                           {"1234", {D[4], D[3], D[2]}},
                           {"-12", {D[2], D[1], 0}}})
        EXPECT_EQ(SpeedDigits(in), out) << in;
    // 1000 tenths stay and show 00.0; beyond, the tenths within the 100 km.
    for (auto [in, out] : {std::pair{"12.345", Digits{D[3], D[2] | P, D[1]}},
                           {"0", {D[0], D[0] | P, 0}},
                           {"100", {D[0], D[0] | P, D[0]}},
                           {"100.1", {D[1], D[0] | P, 0}}})
        EXPECT_EQ(KmDigits(in), out) << in;
}
