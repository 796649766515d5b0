#include "app/LedDigits.h"

#include <gtest/gtest.h>

using namespace kordan;

namespace {
constexpr uint8_t D[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
constexpr uint8_t P = 0x80;
} // namespace

TEST(LedDigits, SegmentCodes) {
    for (int d = 0; d <= 9; ++d)
        EXPECT_EQ(SegmentCode(d, false), D[d]);
    EXPECT_EQ(SegmentCode(10, false), 0);
    EXPECT_EQ(SegmentCode(-1, true), 0x80);
    EXPECT_EQ(SegmentCode(5, true), 0x6D | 0x80);
}

TEST(LedDigits, SpeedWithoutLeadingZeros) {
    EXPECT_EQ(SpeedDigits("7"), (Digits{D[7], 0, 0}));
    EXPECT_EQ(SpeedDigits("80"), (Digits{D[0], D[8], 0}));
    EXPECT_EQ(SpeedDigits("123"), (Digits{D[3], D[2], D[1]}));
    EXPECT_EQ(SpeedDigits("1234"), (Digits{D[4], D[3], D[2]}));
    EXPECT_EQ(SpeedDigits(""), (Digits{D[0], 0, 0}));
    // Beyond 16 bits and negative: no failure, a sensible display.
    EXPECT_EQ(SpeedDigits("40321"), (Digits{D[1], D[2], D[3]}));
    EXPECT_EQ(SpeedDigits("-12"), (Digits{D[2], D[1], 0}));
    EXPECT_EQ(SpeedDigits("1e300"), SpeedDigits("1e300")); // no overflow
}

TEST(LedDigits, KilometresInTenths) {
    auto km = [](const std::string& t) {
        std::string s = KmText(t);
        if (!s.empty() && s[0] == '-')
            s.erase(0, 1);
        return KmDigits(s);
    };
    EXPECT_EQ(km("12.345"), (Digits{D[3], D[2] | P, D[1]}));
    EXPECT_EQ(km("12,345"), (Digits{D[3], D[2] | P, D[1]}));
    EXPECT_EQ(km("-3,5"), (Digits{D[5], D[3] | P, 0}));
    EXPECT_EQ(km("0"), (Digits{D[0], D[0] | P, 0}));
    EXPECT_EQ(km(""), (Digits{D[0], D[0] | P, 0}));
    EXPECT_EQ(km("0.5"), (Digits{D[5], D[0] | P, 0}));
    EXPECT_EQ(km("123.4"), (Digits{D[4], D[3] | P, D[2]}));
    EXPECT_EQ(km("100"), (Digits{D[0], D[0] | P, D[0]})) << "1000 tenths stay and show 00.0";
    EXPECT_EQ(km("5000.1"), (Digits{D[1], D[0] | P, 0})) << "beyond 16 bits: 0.1 within the 100 km";
}

TEST(LedDigits, KmTextAndSpeedText) {
    EXPECT_EQ(KmText("12,345"), "12.3");
    EXPECT_EQ(KmText("12,"), "12.");
    EXPECT_EQ(KmText("12.345"), "12.345");
    EXPECT_EQ(SpeedText("87.9"), "87");
    EXPECT_EQ(SpeedText(""), "0");
    EXPECT_EQ(SpeedText("-4.5"), "-4");
}
