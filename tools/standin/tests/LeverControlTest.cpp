#include "Cab.h"

#include "sim/zusi3/Zusi3LeverControl.h"

#include <gtest/gtest.h>

#include <algorithm>

// The program's lever control against the stand-in's cab: the levers of real vehicles as
// the published facts have them, counting either way. Each change is reported on the next
// pass, as over the wire.
namespace kordan::zusi3 {
namespace {

using standin::Cab;
using standin::CabKind;
using standin::CabOptions;

struct Rig {
    explicit Rig(CabOptions o)
        : cab(o, 0), control(
                         model, [this](const Node& m) { return take(m); },
                         [this] { return std::optional<bool>(cab.breaker()); }) {
        control.setNote([this](const std::string& line) { notes.push_back(line); });
        for (size_t i = 0; i < cab.levers().size(); ++i)
            report(i);
        run(10);
    }
    bool take(const Node& message) {
        const Node& in = message.child(kInput)->children.at(0);
        const uint16_t zuordnung = *asWord(*in.attribute(1));
        inputs.push_back(*asWord(*in.attribute(3)));
        if (zuordnung != deaf)
            cab.input(zuordnung, *asWord(*in.attribute(2)), inputs.back(),
                      *asInteger(*in.attribute(4), false));
        return true;
    }
    void report(size_t i) {
        const standin::Lever& l = cab.levers()[i];
        model.report({l.name, {l.function()}, l.notch, l.centre, l.highest()});
    }
    // Lets `ms` pass in passes of 10 ms, as the loop does.
    void run(uint32_t ms) {
        for (uint32_t passed = 0; passed < ms; passed += 10, now += 10) {
            cab.advance(0.01);
            for (const standin::CabEvent& e : cab.takeEvents()) {
                if (e.kind == standin::CabEvent::Moved)
                    report(e.lever);
                filled = filled || (e.kind == standin::CabEvent::Moved &&
                                    e.lever == Cab::Fuehrerbremsventil &&
                                    function(Cab::Fuehrerbremsventil) == 0x15);
            }
            control.poll(now);
        }
    }
    uint16_t function(size_t lever) const { return cab.levers()[lever].function(); }
    int notch(size_t lever) const { return cab.levers()[lever].notch; }
    void press(int32_t code, uint32_t holdMs = 100) {
        control.input(code, true, now);
        run(holdMs);
        control.input(code, false, now);
        run(500);
    }
    bool noted(const std::string& text) const {
        return std::any_of(notes.begin(), notes.end(),
                           [&](const std::string& n) { return n.find(text) != n.npos; });
    }

    LeverModel model;
    Cab cab;
    LeverControl control;
    std::vector<std::string> notes;
    std::vector<uint16_t> inputs;
    uint16_t deaf = 0;          // a Zuordnung whose inputs come to nothing
    bool filled = false;        // the brake valve stood on "Füllen" at some time
    uint32_t now = 0xFFFFFF00u; // wraps on the way
};

struct CabCase {
    const char* name;
    CabOptions options;
};
const CabCase kCabs[] = {
    {"as published", {}},
    {"steps reversed", {CabKind::Br101, true, false, false}},
    {"valve numbered from Fuellen", {CabKind::Br101, false, true, false}},
    {"both reversed", {CabKind::Br101, true, true, false}},
    {"absolute valve ignored", {CabKind::Br101, false, false, true}},
    {"absolute ignored, steps reversed", {CabKind::Br101, true, false, true}},
    {"absolute ignored, valve reversed", {CabKind::Br101, false, true, true}},
};

// Each step follows the last one's report at once, so the brake stands on Schnellbremsung
// by the time the button has been let go for half a second (of the cab's clock).
TEST(Zusi3LeverControl, EmergencyBrakeEndsOnSchnellbremsungAndSaysSo) {
    for (const CabCase& c : kCabs) {
        Rig rig(c.options);
        rig.press(37);
        EXPECT_EQ(rig.function(Cab::Fuehrerbremsventil), 0x19) << c.name;
        EXPECT_TRUE(rig.noted("Schnellbremsung best\u00e4tigt")) << c.name;
        // Each step that went out was let go again.
        const auto sent = [&](uint16_t aktion) {
            return std::count(rig.inputs.begin(), rig.inputs.end(), aktion);
        };
        EXPECT_EQ(sent(AktionAufDown), sent(AktionAufUp)) << c.name;
        EXPECT_EQ(sent(AktionAbDown), sent(AktionAbUp)) << c.name;
        // A step that went the wrong way is turned at once, not run into the lever's end.
        EXPECT_LE(std::min(sent(AktionAufDown), sent(AktionAbDown)), 1) << c.name;
        // Only a fault that turns absolute positions into nothing, together with steps that
        // go the other way, lets it pass over "Füllen" on the way.
        if (!c.options.absoluteFbvBug || !c.options.reverseSteps) {
            EXPECT_FALSE(rig.filled) << c.name;
        }
    }
}

TEST(Zusi3LeverControl, BrakeStepsBrakeAndReleaseWhicheverWayTheLeverCounts) {
    for (const CabCase& c : kCabs) {
        Rig rig(c.options);
        const int32_t start = rig.notch(Cab::Fuehrerbremsventil);
        const int32_t towardsBraking = c.options.reverseBrakeValve ? 1 : -1;
        for (int i = 0; i < 3; ++i)
            rig.press(24);
        EXPECT_EQ(rig.notch(Cab::Fuehrerbremsventil), start + 3 * towardsBraking) << c.name;
        // The first step tells the way, and no step that moved is named as not moving.
        const std::vector<std::string> turned{"F\u00fchrerbremsventil: Stufen in Gegenrichtung"};
        EXPECT_EQ(rig.notes, c.options.reverseSteps ? turned : std::vector<std::string>{})
            << c.name;
        for (int i = 0; i < 3; ++i)
            rig.press(25);
        EXPECT_EQ(rig.notch(Cab::Fuehrerbremsventil), start) << c.name;
    }
}

TEST(Zusi3LeverControl, ReverserAndIndependentBrakeHeadForTheirEnds) {
    for (bool reverse : {false, true}) {
        Rig rig({CabKind::Br101, reverse});
        for (int i = 0; i < 4; ++i)
            rig.press(41);
        EXPECT_EQ(rig.function(Cab::Richtungsschalter), 0x23) << reverse;
        rig.inputs.clear(); // at its end already: taken, and nothing sent
        EXPECT_TRUE(rig.control.input(41, true, rig.now)) << reverse;
        EXPECT_EQ(rig.inputs, std::vector<uint16_t>{}) << reverse;
        rig.press(42);
        EXPECT_EQ(rig.function(Cab::Richtungsschalter), 0x24) << reverse;
        for (int i = 0; i < 3; ++i)
            rig.press(26);
        EXPECT_EQ(rig.function(Cab::Zusatzbremsventil), 0x1D) << reverse;
        for (int i = 0; i < 3; ++i)
            rig.press(27);
        EXPECT_EQ(rig.function(Cab::Zusatzbremsventil), 0x1B) << reverse;
        // Commands that head the right way from the start have nothing to learn.
        EXPECT_EQ(rig.noted("Richtungsschalter: Stufen in Gegenrichtung"), reverse) << reverse;
    }
}

// A report of the lever still unmoved comes before its step's own: the step is waited for
// all the same, and its wrong way made good.
TEST(Zusi3LeverControl, AStepsOwnReportAfterAnotherStillTeachesTheWay) {
    Rig rig({CabKind::Br101, true});
    rig.control.input(26, true, rig.now);
    rig.report(Cab::Zusatzbremsventil);
    for (int i = 0; i < 2; ++i)
        rig.control.poll(rig.now += 60);
    rig.control.input(26, false, rig.now);
    rig.run(500);
    EXPECT_TRUE(rig.noted("Zusatzbremsventil: Stufen in Gegenrichtung"));
    EXPECT_EQ(rig.function(Cab::Zusatzbremsventil), 0x1C); // one notch towards braking
}

TEST(Zusi3LeverControl, MainBreakerSwitchesByTheReportedState) {
    for (bool reverse : {false, true}) {
        Rig rig({CabKind::Br101, reverse});
        rig.control.input(33, true, rig.now);
        rig.run(100); // the first move tells the way at once
        EXPECT_EQ(rig.noted("Hauptschalter: Stufen in Gegenrichtung"), reverse) << reverse;
        rig.control.input(33, false, rig.now);
        rig.run(500);
        EXPECT_FALSE(rig.cab.breaker()) << reverse;
        rig.press(33);
        EXPECT_TRUE(rig.cab.breaker()) << reverse;
        EXPECT_EQ(rig.noted("Hauptschalter: Stufen in Gegenrichtung"), reverse) << reverse;
        EXPECT_EQ(rig.notch(Cab::Hauptschalter), 1) << reverse; // back at null
    }
}

TEST(Zusi3LeverControl, PowerZoneSetsTractionNotchesOnly) {
    const struct {
        const char* name;
        CabKind power;
        int32_t full, rest, held;
        bool tapPositions;
    } cases[] = {{"traction-demand lever", CabKind::Br101, 11, 2, 3, true},
                 {"follow-up control", CabKind::Br103, 40, 0, 1, false}};
    for (const auto& c : cases) {
        Rig rig({c.power});
        for (int32_t zone = 1; zone <= 8; ++zone) {
            ASSERT_TRUE(rig.control.setPower(zone, 8, rig.now)) << c.name;
            rig.run(100);
            EXPECT_TRUE(isTractionFunction(rig.function(Cab::Fahrschalter))) << c.name << zone;
        }
        EXPECT_EQ(rig.notch(Cab::Fahrschalter), c.full) << c.name;
        rig.control.setPower(0, 8, rig.now);
        rig.run(100);
        EXPECT_EQ(rig.notch(Cab::Fahrschalter), c.rest) << c.name;
        EXPECT_FALSE(rig.noted("keine Fahrstufe")) << c.name; // each landed where it pulls
        rig.control.input(14, true, rig.now); // held on Auf where there is one, else a notch up
        rig.run(100);
        EXPECT_EQ(rig.notch(Cab::Fahrschalter), c.held) << c.name;
        // "null" runs a tap changer down; without one it goes by its route.
        EXPECT_EQ(rig.control.input(16, true, rig.now), c.tapPositions) << c.name;
    }
}

TEST(Zusi3LeverControl, TapChangerIsPulsedThroughAufAndBackToFahrtAndNullRunsItDown) {
    Rig rig({CabKind::Tap});
    EXPECT_FALSE(rig.control.setPower(3, 8, rig.now)); // no traction notch: the zone steps
    EXPECT_FALSE(rig.control.setPower(0, 8, rig.now)); // at rest too
    rig.inputs.clear();
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(rig.control.input(14, true, rig.now)) << i; // a regulator's two steps
    rig.control.input(14, false, rig.now);
    rig.run(100);
    // Fahrt is notch 2, Auf notch 3: Auf, Fahrt, Auf, Fahrt - two passes, the lever at rest.
    EXPECT_EQ(rig.inputs, (std::vector<uint16_t>(4, AktionAbsolut)));
    EXPECT_EQ(rig.notch(Cab::Fahrschalter), 2);
    EXPECT_EQ(rig.cab.traction(), 2);
    // "Fahrschalter null": through Schnellaus, back to Fahrt; nothing left for its route.
    EXPECT_TRUE(rig.control.input(16, true, rig.now));
    rig.run(100);
    rig.control.input(16, false, rig.now);
    rig.run(500);
    EXPECT_EQ(rig.cab.traction(), 0);
    EXPECT_EQ(rig.notch(Cab::Fahrschalter), 2);
}

TEST(Zusi3LeverControl, LeverThatDoesNotMoveIsNamed) {
    Rig rig({});
    rig.press(41); // the reverser moves once, then takes no input
    rig.deaf = 0x07;
    rig.press(41);
    EXPECT_TRUE(rig.noted("Richtungsschalter: bewegt sich nicht"));
    rig.deaf = 0x05; // nor the independent brake, asked away from its end
    rig.press(26);
    rig.run(500); // the steps the other way, in vain too
    EXPECT_TRUE(rig.noted("Zusatzbremsventil: bewegt sich nicht"));
    rig.deaf = 0x11; // nor the main breaker: tried once more, the other way round, in vain
    rig.press(33);
    rig.run(300);
    EXPECT_TRUE(rig.noted("Hauptschalter: Zustand nicht erreicht"));
    rig.deaf = 0x04; // nor the brake valve: stepped as often as twice its ten notches, no more
    rig.inputs.clear();
    rig.press(37);
    rig.run(2000);
    EXPECT_EQ(std::count(rig.inputs.begin(), rig.inputs.end(), AktionAbDown), 20);
}

} // namespace
} // namespace kordan::zusi3
