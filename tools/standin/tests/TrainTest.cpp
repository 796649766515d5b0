#include "Train.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

const DemoLoco& loco(const char* name) {
    const DemoLoco* l = findDemoLoco(name);
    EXPECT_NE(l, nullptr) << name;
    return l ? *l : demoLocos().front();
}

void tap(Train& t, Action a, int times = 1) {
    for (int i = 0; i < times; ++i) {
        t.keyDown(a);
        t.keyUp(a);
    }
}

TEST(Train, ControlsStayWithinTheirRange) {
    EXPECT_TRUE(findDemoLoco("BR 101") == findDemoLoco("br 101") && !findDemoLoco("V 300"));
    Train t(loco("BR 101"));
    std::vector<int> notches;
    for (auto [action, times] : {std::pair{Action::FahrschalterAb, 3},
                                 {Action::FahrschalterAuf, 25},
                                 {Action::FahrschalterNull, 1}})
        tap(t, action, times), notches.push_back(t.notch());
    EXPECT_EQ(notches, (std::vector<int>{0, 20, 0}));
    // Ten brake presses are an emergency application; releasing returns to service range.
    tap(t, Action::BremsventilBremsen, 3);
    EXPECT_FALSE(t.emergency());
    tap(t, Action::BremsventilBremsen, 7);
    EXPECT_TRUE(t.emergency());
    tap(t, Action::BremsventilLoesen);
    EXPECT_EQ(std::tuple(t.brake(), t.emergency()), std::tuple(2, false));
    // The combined lever brakes below zero.
    Train k(loco("BR 218"));
    tap(k, Action::FahrschalterAb, 10);
    EXPECT_EQ(std::tuple(k.notch(), k.dynBrake()), std::tuple(-6, 6));
    tap(k, Action::DynBremseNull);
    EXPECT_EQ(k.notch(), 0);
}

TEST(Train, HeldKeysRepeatAfterADelayAndTheHornSoundsWhileHeld) {
    Train t(loco("E 10"));
    t.keyDown(Action::FahrschalterAuf);
    EXPECT_EQ(t.notch(), 1);
    t.advance(0.4);
    EXPECT_EQ(t.notch(), 1);
    t.advance(0.6); // 1.0 s held: repeats at 0.5, 0.75 and 1.0
    t.keyUp(Action::FahrschalterAuf);
    t.advance(1.0);
    EXPECT_EQ(t.notch(), 4);
    t.keyDown(Action::Pfeife);
    const bool held = t.horn();
    t.keyUp(Action::Pfeife);
    EXPECT_TRUE(held && !t.horn());
}

TEST(Train, PowerAcceleratesAndBrakesStop) {
    Train t(loco("BR 101"));
    const double km0 = t.km();
    tap(t, Action::FahrschalterAuf, 20);
    for (int i = 0; i < 600; ++i)
        t.advance(0.1);
    EXPECT_TRUE(t.speedKmh() > 60.0 && t.speedKmh() < 220.5) << t.speedKmh();
    EXPECT_GT(t.km(), km0 + 0.3);
    tap(t, Action::FahrschalterNull);
    tap(t, Action::BremsventilBremsen, 10);
    for (int i = 0; i < 1200 && t.speedKmh() > 0; ++i)
        t.advance(0.1);
    EXPECT_EQ(t.speedKmh(), 0.0);
    // Reversing only at a stand.
    Train r(loco("E 10"));
    const double r0 = r.km();
    tap(r, Action::RichtungZurueck);
    tap(r, Action::FahrschalterAuf, 28);
    r.advance(5);
    EXPECT_LT(r.km(), r0);
    tap(r, Action::RichtungVor);
    EXPECT_EQ(r.direction(), -1);
    // Another loco keeps the position and starts from rest.
    const double km = t.km();
    t.setLoco(loco("BR 218"));
    EXPECT_EQ(std::tuple(t.notch() + t.speedKmh(), t.km()), std::tuple(0.0, km));
    // The speed control holds its target: 4 of 23 steps of 220 km/h.
    Train afb(loco("BR 101"));
    tap(afb, Action::AfbAuf, 4);
    EXPECT_NEAR(afb.afbTargetKmh(), 220.0 * 4 / 23, 1e-9);
    for (int i = 0; i < 3000; ++i)
        afb.advance(0.1);
    EXPECT_NEAR(afb.speedKmh(), afb.afbTargetKmh(), 5.0);
}

} // namespace
} // namespace standin
