#include "device/Reports.h"

#include <gtest/gtest.h>

using namespace kordan;

TEST(Reports, ButtonBitsFollowTheLayout) {
    InputReport r{};
    r[8] = 0x01;  // button 1
    r[9] = 0x80;  // button 16
    r[13] = 0xFF; // buttons 41-44, the upper nibble is no button
    EXPECT_TRUE(buttonPressed(r, 1));
    EXPECT_FALSE(buttonPressed(r, 2));
    EXPECT_TRUE(buttonPressed(r, 16));
    EXPECT_FALSE(buttonPressed(r, 40));
    for (int k = 41; k <= 44; ++k)
        EXPECT_TRUE(buttonPressed(r, k));
}

TEST(Reports, OutputReportBytes) {
    EXPECT_EQ(displayReport(0x06, 0x5B, 0x4F), (OutputReport{0, 134, 0x06, 0x5B, 0x4F, 0, 0, 0}));
    EXPECT_EQ(speakerReport(true), (OutputReport{0, 133, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(speakerReport(false), (OutputReport{0, 133, 0, 0, 0, 0, 0, 0}));
}
