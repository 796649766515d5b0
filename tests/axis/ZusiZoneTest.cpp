#include "axis/ZusiZone.h"

#include <gtest/gtest.h>

#include <climits>

using namespace kordan;

TEST(ZusiZone, NotchesOfAMovement) {
    struct Case {
        int32_t start, ende, step, from, to, notches;
    } cases[] = {
        // Halves round to the even neighbour.
        {0, 255, 10, 0, 25, 1}, // 0.98
        {0, 255, 10, 0, 128, 5},
        {0, 255, 10, 128, 0, -5},
        {0, 255, 10, 25, 128, 4},
        {0, 20, 5, 0, 6, 2},  // 1.5
        {0, 20, 5, 0, 10, 2}, // 2.5
        {0, 20, 5, 0, 2, 0},  // 0.5
        {0, 20, 5, 6, 10, 0},
        // Only the part inside the zone counts, for both signs of the step.
        {100, 200, 4, 50, 150, 2},
        {100, 200, 4, 250, 50, -4},
        {100, 200, 4, 10, 90, 0},
        {100, 200, 4, 210, 255, 0},
        {100, 200, -4, 50, 150, -2},
        {100, 200, -4, 150, 250, -2},
        {100, 200, -4, 250, 50, 4},
        {100, 200, -4, 10, 90, 0},
        // No steps or no width: no notches and no division by zero.
        {0, 255, 0, 0, 255, 0},
        {100, 100, 4, 100, 100, 0},
        {100, 100, 4, 0, 255, 0},
        {100, 100, 4, 100, 0, 0},
        // Hand-edited extremes do not overflow.
        {0, 255, INT_MAX, 0, 255, INT_MAX},
        {0, 255, INT_MIN + 1, 0, 255, INT_MIN + 1},
        {INT_MIN, INT_MAX, 10, INT_MIN, INT_MAX, 10},
        {0, 255, INT_MIN, 0, 255, INT_MIN},
    };
    for (const Case& c : cases) {
        ZusiZone z;
        z.Start = c.start;
        z.Ende = c.ende;
        z.RegelStep = c.step;
        z.RegelFunktion = 1000;
        EXPECT_EQ(z.CalculateRegler(c.from, c.to), c.notches)
            << c.start << "-" << c.ende << "/" << c.step << ": " << c.from << "->" << c.to;
        z.RegelFunktion = 0;
        EXPECT_EQ(z.CalculateRegler(c.from, c.to), 0);
    }
}
