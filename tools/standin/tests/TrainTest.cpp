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
    EXPECT_EQ(findDemoLoco("BR 101"), findDemoLoco("br 101"));
    EXPECT_EQ(findDemoLoco("V 300"), nullptr);
    Train t(loco("BR 101"));
    tap(t, Action::FahrschalterAb, 3);
    EXPECT_EQ(t.notch(), 0);
    tap(t, Action::FahrschalterAuf, 25);
    EXPECT_EQ(t.notch(), 20);
    tap(t, Action::FahrschalterNull);
    EXPECT_EQ(t.notch(), 0);
    // Ten brake presses are an emergency application; releasing returns to service range.
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
    EXPECT_EQ(k.notch(), -6);
    EXPECT_EQ(k.dynBrake(), 6);
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
    EXPECT_EQ(t.notch(), 4);
    t.keyUp(Action::FahrschalterAuf);
    t.advance(1.0);
    EXPECT_EQ(t.notch(), 4);
    t.keyDown(Action::Pfeife);
    EXPECT_TRUE(t.horn());
    t.keyUp(Action::Pfeife);
    EXPECT_FALSE(t.horn());
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
    tap(t, Action::FahrschalterNull);
    tap(t, Action::BremsventilBremsen, 10);
    for (int i = 0; i < 1200 && t.speedKmh() > 0; ++i)
        t.advance(0.1);
    EXPECT_EQ(t.speedKmh(), 0.0);
}

TEST(Train, ReversesOnlyAtAStandAndNeedsTheMainSwitch) {
    Train off(loco("E 10"));
    tap(off, Action::Hauptschalter);
    tap(off, Action::FahrschalterAuf, 10);
    off.advance(5);
    EXPECT_EQ(off.speedKmh(), 0.0);
    Train t(loco("E 10"));
    tap(t, Action::RichtungZurueck);
    EXPECT_EQ(t.direction(), -1);
    const double km0 = t.km();
    tap(t, Action::FahrschalterAuf, 28);
    t.advance(5);
    EXPECT_LT(t.km(), km0);
    tap(t, Action::RichtungVor);
    EXPECT_EQ(t.direction(), -1);
}

TEST(Train, SpeedControlHoldsItsTarget) {
    Train t(loco("BR 101"));
    tap(t, Action::AfbAuf, 4); // 4 of 23 steps of 220 km/h
    const double target = t.afbTargetKmh();
    EXPECT_NEAR(target, 220.0 * 4 / 23, 1e-9);
    for (int i = 0; i < 3000; ++i)
        t.advance(0.1);
    EXPECT_NEAR(t.speedKmh(), target, 5.0);
    tap(t, Action::AfbEinAus);
    EXPECT_FALSE(t.afbOn());
}

TEST(Train, ChangingTheLocoKeepsThePositionAndResetsControls) {
    Train t(loco("BR 101"));
    tap(t, Action::FahrschalterAuf, 5);
    t.advance(10);
    const double km = t.km();
    t.setLoco(loco("BR 218"));
    EXPECT_EQ(t.loco().name, "BR 218");
    EXPECT_EQ(t.notch() + t.speedKmh(), 0.0);
    EXPECT_EQ(t.km(), km);
}

} // namespace
} // namespace standin
