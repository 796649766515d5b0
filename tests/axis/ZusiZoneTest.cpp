#include "axis/ZusiZone.h"

#include <gtest/gtest.h>

#include <climits>

using namespace kordan;

namespace {

ZusiZone regler(int32_t start, int32_t ende, int32_t step) {
    ZusiZone z;
    z.Start = start;
    z.Ende = ende;
    z.RegelStep = step;
    z.RegelFunktion = 1000;
    return z;
}

} // namespace

TEST(ZusiZone, RoundsNotchPositionsHalvesToEven) {
    ZusiZone full = regler(0, 255, 10);
    EXPECT_EQ(full.CalculateRegler(0, 25), 1);  // 0.98
    EXPECT_EQ(full.CalculateRegler(0, 128), 5); // 5.02
    EXPECT_EQ(full.CalculateRegler(128, 0), -5);
    EXPECT_EQ(full.CalculateRegler(0, 255), 10);
    EXPECT_EQ(full.CalculateRegler(25, 128), 4);

    ZusiZone small = regler(0, 20, 5);
    EXPECT_EQ(small.CalculateRegler(0, 6), 2);  // 1.5
    EXPECT_EQ(small.CalculateRegler(0, 10), 2); // 2.5
    EXPECT_EQ(small.CalculateRegler(0, 2), 0);  // 0.5
    EXPECT_EQ(small.CalculateRegler(6, 10), 0);
}

TEST(ZusiZone, CountsOnlyThePartInsideTheZoneForBothSigns) {
    ZusiZone up = regler(100, 200, 4);
    EXPECT_EQ(up.CalculateRegler(50, 150), 2);
    EXPECT_EQ(up.CalculateRegler(250, 50), -4);
    EXPECT_EQ(up.CalculateRegler(10, 90), 0);
    EXPECT_EQ(up.CalculateRegler(210, 255), 0);

    ZusiZone down = regler(100, 200, -4);
    EXPECT_EQ(down.CalculateRegler(50, 150), -2);
    EXPECT_EQ(down.CalculateRegler(150, 250), -2);
    EXPECT_EQ(down.CalculateRegler(250, 50), 4);
    EXPECT_EQ(down.CalculateRegler(10, 90), 0);
}

TEST(ZusiZone, GivesNoNotchesWithoutRegulatorStepsOrWidth) {
    ZusiZone z = regler(0, 255, 10);
    z.RegelFunktion = 0;
    EXPECT_EQ(z.CalculateRegler(0, 255), 0);
    EXPECT_EQ(regler(0, 255, 0).CalculateRegler(0, 255), 0);
    // Zero width: no division by zero, on the bound or across it.
    ZusiZone flat = regler(100, 100, 4);
    EXPECT_EQ(flat.CalculateRegler(100, 100), 0);
    EXPECT_EQ(flat.CalculateRegler(0, 255), 0);
    EXPECT_EQ(flat.CalculateRegler(100, 0), 0);
}

TEST(ZusiZone, HandEditedExtremesDoNotOverflow) {
    EXPECT_EQ(regler(0, 255, INT_MAX).CalculateRegler(0, 255), INT_MAX);
    EXPECT_EQ(regler(0, 255, INT_MIN + 1).CalculateRegler(0, 255), INT_MIN + 1);
    EXPECT_EQ(regler(INT_MIN, INT_MAX, 10).CalculateRegler(INT_MIN, INT_MAX), 10);
    EXPECT_EQ(regler(0, 255, INT_MIN).CalculateRegler(0, 255), INT_MIN);
}
