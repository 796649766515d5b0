#include "Train.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

// The demo's locomotives by name; a missing one fails the test.
const DemoLoco& loco(const char* name) {
    return findDemoLoco(name) ? *findDemoLoco(name) : (ADD_FAILURE() << name, demoLocos()[0]);
}

void tap(Train& t, Action a, int times = 1) {
    for (int i = 0; i < times; ++i)
        t.keyDown(a), t.keyUp(a);
}

TEST(Train, ControlsStayWithinTheirRangeAndHeldKeysRepeat) {
    EXPECT_EQ(findDemoLoco("BR 101"), findDemoLoco("br 101"));
    EXPECT_FALSE(findDemoLoco("V 300"));
    Train t(loco("BR 101"));
    std::vector<int> notches;
    for (auto [action, times] : {std::pair{Action::FahrschalterAb, 3},
                                 {Action::FahrschalterAuf, 25},
                                 {Action::FahrschalterNull, 1}})
        tap(t, action, times), notches.push_back(t.notch());
    EXPECT_EQ(notches, (std::vector<int>{0, 20, 0}));
    // Ten presses reach the emergency brake, three (the service range) do not; release.
    tap(t, Action::BremsventilBremsen, 3);
    EXPECT_FALSE(t.emergency());
    tap(t, Action::BremsventilBremsen, 7);
    EXPECT_TRUE(t.emergency());
    tap(t, Action::BremsventilLoesen);
    EXPECT_EQ(t.brake(), 2);
    EXPECT_FALSE(t.emergency());
    // The combined lever brakes below zero.
    Train k(loco("BR 218"));
    tap(k, Action::FahrschalterAb, 10);
    EXPECT_EQ(std::tuple(k.notch(), k.dynBrake()), std::tuple(-6, 6));
    tap(k, Action::DynBremseNull);
    EXPECT_EQ(k.notch(), 0);
    // Held keys repeat after a delay; the horn sounds while held.
    Train e(loco("E 10"));
    e.keyDown(Action::FahrschalterAuf);
    e.advance(0.4);
    EXPECT_EQ(e.notch(), 1);
    e.advance(0.6); // 1.0 s held: repeats at 0.5, 0.75 and 1.0
    e.keyUp(Action::FahrschalterAuf);
    e.advance(1.0);
    e.keyDown(Action::Pfeife);
    EXPECT_TRUE(e.horn());
    e.keyUp(Action::Pfeife);
    EXPECT_EQ(e.notch(), 4);
    EXPECT_FALSE(e.horn());
}

TEST(Train, PowerAcceleratesAndBrakesStop) {
    Train t(loco("BR 101"));
    const double km0 = t.km();
    tap(t, Action::FahrschalterAuf, 20);
    for (int i = 0; i < 600; ++i)
        t.advance(0.1);
    EXPECT_GT(t.speedKmh(), 60.0);
    EXPECT_LT(t.speedKmh(), 220.5);
    EXPECT_GT(t.km(), km0 + 0.3);
    tap(t, Action::FahrschalterNull), tap(t, Action::BremsventilBremsen, 10);
    for (int i = 0; i < 1200 && t.speedKmh() > 0; ++i)
        t.advance(0.1);
    EXPECT_EQ(t.speedKmh(), 0.0);
    Train r(loco("E 10")); // reversing only at a stand
    const double r0 = r.km();
    tap(r, Action::RichtungZurueck), tap(r, Action::FahrschalterAuf, 28);
    r.advance(5);
    tap(r, Action::RichtungVor);
    EXPECT_LT(r.km(), r0);
    EXPECT_EQ(r.direction(), -1);
    Train afb(loco("BR 101")); // the speed control holds 4 of 23 steps of 220 km/h
    tap(afb, Action::AfbAuf, 4);
    for (int i = 0; i < 3000; ++i)
        afb.advance(0.1);
    EXPECT_NEAR(afb.speedKmh(), 220.0 * 4 / 23, 5.0);
}

} // namespace
} // namespace standin
