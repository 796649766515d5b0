#include "axis/ZusiAxis.h"

#include "fakes/FakeDialogs.h"
#include "fakes/RecordingSender.h"

#include <gtest/gtest.h>

#include <climits>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::RecordingSender;
using Calls = std::vector<RecordingSender::Call>;

namespace {

constexpr int F = 16, R = 22, G = 28, H = 29, K = 1000;

// Zone A = 0-99 (Funktion F, Release R), B = 100-199 (G), C = 200-255 (H).
class AxisEngine : public ::testing::Test {
protected:
    AxisEngine() : axis(dialogs, "/prog") {
        axis.setDateiname("Test.axr");
        zone(0, 0, 99, F).Release = R;
        zone(1, 100, 199, G);
        zone(2, 200, 255, H);
        axis.setZoneCount(3);
    }
    ZusiZone& zone(int i, int start, int ende, int funktion) {
        ZusiZone& z = axis.Zone(i);
        z.Start = start;
        z.Ende = ende;
        z.Funktion = funktion;
        return z;
    }
    Calls move(int from, int to, bool pov = false) {
        axis.NewValue(from, to, pov, se);
        return se.take();
    }
    Calls ticks(int n) {
        for (int i = 0; i < n; ++i)
            axis.Timer(se);
        return se.take();
    }
    FakeDialogs dialogs;
    RecordingSender se;
    ZusiAxis axis;
};

} // namespace

TEST_F(AxisEngine, EveryKindOfMovementInZoneOrderFlippedAndHeld) {
    EXPECT_EQ(move(50, 60), Calls{});                          // Innerhalb
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {G, 1}, {G, 2}})); // Austritt A, Eintritt B
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}, {F, 2}}));         // Eintritt A, Austritt B
    EXPECT_EQ(move(50, 230), (Calls{{R, 3}, {G, 1}, {G, 2}, {H, 1}, {H, 2}}));
    EXPECT_EQ(move(230, 50, true), (Calls{{F, 1}, {F, 2}})); // passing over suppressed
    EXPECT_EQ(move(230, 50), (Calls{{F, 1}, {F, 2}, {G, 1}, {G, 2}}));
    EXPECT_EQ(move(99, 100), (Calls{{R, 3}, {G, 1}, {G, 2}})); // bounds count as inside
    EXPECT_EQ(move(100, 99), (Calls{{F, 1}, {F, 2}}));
    axis.setFlip(1);                    // mirrors both values
    EXPECT_EQ(move(205, 195), Calls{}); // 50 -> 60
    EXPECT_EQ(move(205, 105), (Calls{{R, 3}, {G, 1}, {G, 2}}));
    axis.setFlip(2); // only 1 inverts
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {G, 1}, {G, 2}}));
    axis.setFlip(0);
    axis.Zone(0).Hold = 1; // keeps the key down until exit
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}}));
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {F, 2}, {G, 1}, {G, 2}}));
    // Any other non-zero Hold also held the key, so it must also let it up.
    axis.Zone(0).Hold = 2;
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}}));
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {F, 2}, {G, 1}, {G, 2}}));
}

TEST_F(AxisEngine, RepeatWhileRestingAndWithHold) {
    axis.Zone(0).Repeat = 5;
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}, {F, 2}}));
    EXPECT_EQ(ticks(5), Calls{});
    EXPECT_EQ(ticks(1), (Calls{{F, 1}, {F, 2}})); // 6th tick
    EXPECT_EQ(ticks(4), Calls{});
    EXPECT_EQ(ticks(1), (Calls{{F, 1}, {F, 2}})); // then every 5th
    EXPECT_EQ(move(50, 60), Calls{});             // moving inside leaves the countdown
    EXPECT_EQ(ticks(5), (Calls{{F, 1}, {F, 2}}));
    move(50, 150);
    EXPECT_EQ(ticks(20), Calls{});
    axis.Zone(0).Repeat = 2; // with Hold only the Down repeats
    axis.Zone(0).Hold = 1;
    move(150, 50);
    EXPECT_EQ(ticks(5), (Calls{{F, 1}, {F, 1}}));
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {F, 2}, {G, 1}, {G, 2}}));
    // Passing over a repeating zone does not arm its countdown.
    axis.Zone(1).Repeat = 2;
    EXPECT_EQ(move(230, 50), (Calls{{F, 1}, {G, 1}, {G, 2}}));
    EXPECT_EQ(ticks(3), (Calls{{F, 1}}));
}

TEST_F(AxisEngine, RegulatorZonesAndAReversedZoneThatIsOnlyPassedOver) {
    axis.setZoneCount(1);
    ZusiZone& z = zone(0, 0, 255, 0);
    z.Release = 0;
    z.RegelFunktion = K;
    z.RegelStep = 10;
    EXPECT_EQ(move(0, 128), (Calls{{K, 5}}));
    EXPECT_EQ(move(128, 130), (Calls{{K, 0}})); // a count of 0 is the sender's to drop
    zone(0, 100, 200, 0).RegelStep = 4;
    EXPECT_EQ(move(50, 250), (Calls{{K, 4}}));
    EXPECT_EQ(move(250, 150), (Calls{{K, -2}}));
    // A zone with both: key on entry, then its notches.
    z.Funktion = F;
    EXPECT_EQ(move(50, 150), (Calls{{F, 1}, {F, 2}, {K, 2}}));
    axis.setFlip(1);
    EXPECT_EQ(move(105, 155), (Calls{{K, -2}})); // 150 -> 100 after the flip
    axis.setFlip(0);
    z = {"", 150, 100, G, 0, 0, 0, 0, R}; // Ende below Start: only passed over
    EXPECT_EQ(move(160, 90), (Calls{{G, 1}, {G, 2}}));
    EXPECT_EQ(move(100, 150), (Calls{{G, 1}, {G, 2}}));
    EXPECT_EQ(move(120, 130), Calls{});
    EXPECT_EQ(move(10, 90), Calls{});
}

TEST_F(AxisEngine, InactiveAxesSendNothing) {
    axis.setZoneCount(0);
    EXPECT_EQ(move(0, 255), Calls{});
    axis.setZoneCount(3);
    axis.setDateiname("");
    EXPECT_EQ(move(0, 255), Calls{});
    // Nothing repeats on an unassigned axis, nor once its repetitions are stopped.
    axis.setDateiname("Test.axr");
    axis.Zone(0).Repeat = 1;
    move(150, 50);
    axis.setDateiname("");
    EXPECT_EQ(ticks(2), Calls{});
    axis.setDateiname("Test.axr");
    EXPECT_EQ(ticks(2), (Calls{{F, 1}, {F, 2}}));
    axis.stopRepeats();
    EXPECT_EQ(ticks(3), Calls{});
}

TEST_F(AxisEngine, RecordsAreFixedAndCountIsClamped) {
    ZusiZone* first = &axis.Zone(0);
    axis.Neu();
    EXPECT_EQ(axis.ZoneCount(), 0);
    EXPECT_EQ(axis.Dateiname(), "");
    EXPECT_EQ(&axis.Zone(0), first);
    EXPECT_EQ(axis.Zone(0).Funktion, F); // kept, just not in use
    EXPECT_THROW(axis.Zone(32), std::out_of_range);
    EXPECT_THROW(axis.Zone(-1), std::out_of_range);
    axis.setZoneCount(40);
    EXPECT_EQ(axis.ZoneCount(), ZusiAxis::MaxZones);
    axis.setZoneCount(-3);
    EXPECT_EQ(axis.ZoneCount(), 0);
}

TEST(ZusiZone, NotchesOfAMovement) {
    struct Case {
        int32_t start, ende, step, from, to, notches;
    } cases[] = {// Halves round to the even neighbour: 0.98, 1.5, 2.5, 0.5.
                 {0, 255, 10, 0, 25, 1},
                 {0, 255, 10, 0, 128, 5},
                 {0, 255, 10, 128, 0, -5},
                 {0, 255, 10, 25, 128, 4},
                 {0, 20, 5, 0, 6, 2},
                 {0, 20, 5, 0, 10, 2},
                 {0, 20, 5, 0, 2, 0},
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
                 {0, 255, INT_MIN, 0, 255, INT_MIN}};
    for (const Case& c : cases) {
        ZusiZone z{"", c.start, c.ende, 0, 0, 0, 1000, c.step};
        EXPECT_EQ(z.CalculateRegler(c.from, c.to), c.notches)
            << c.start << "-" << c.ende << "/" << c.step << ": " << c.from << "->" << c.to;
        z.RegelFunktion = 0;
        EXPECT_EQ(z.CalculateRegler(c.from, c.to), 0);
    }
}
