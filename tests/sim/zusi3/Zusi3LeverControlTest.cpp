#include "sim/zusi3/Zusi3LeverControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

namespace kordan::zusi3 {
namespace {

// A cab as the published facts describe real ones: notch functions per lever, "Auf" one
// notch up (or down, for a simulator that counts the other way), an absolute position
// set at once (or ignored, as the reported brake-valve fault does), the main breaker a
// lever that springs back. Each change is reported on the next delivery, as over the wire.
struct CabLever {
    std::string name;
    uint16_t zuordnung;
    std::vector<std::vector<uint16_t>> notches;
    int32_t centre;
    int32_t current;
};

struct CabOptions {
    bool reverseSteps = false;
    bool reverseValve = false;
    bool absoluteValveIgnored = false;
    int power = 101; // 101, 103, or 0 for a tap-changer lever
};

class FakeCab {
public:
    explicit FakeCab(CabOptions o) : m_o(o) {
        std::vector<std::vector<uint16_t>> valve{{0x19}, {0x16}, {0x16}, {0x16}, {0x16},
                                                 {0x16}, {0x16}, {0x17}, {0x18}, {0x15}};
        if (o.reverseValve)
            std::reverse(valve.begin(), valve.end());
        levers.push_back({"F\u00fchrerbremsventil", 0x04, valve, o.reverseValve ? 1 : 8,
                          o.reverseValve ? 1 : 8});
        levers.push_back({"Zusatzbremsventil", 0x05, {{0x1D}, {0x1C}, {0x1B}}, 1, 2});
        levers.push_back({"Richtungsschalter", 0x07, {{0x26}, {0x25}, {0x24}, {0x23}}, 1, 1});
        levers.push_back({"Hauptschalter", 0x11, {{0x31}, {0x32}, {0x33}}, 1, 1});
        std::vector<std::vector<uint16_t>> power;
        if (o.power == 103)
            power.assign(41, {0x01});
        else
            power = {{0x02}, {0x05}, {0x04}, {0x03}};
        if (o.power == 101) {
            power = {{0x11}, {0x14}, {0x13}, {0x12}};
            power.resize(12, {0x10});
        }
        levers.push_back(
            {"Fahrschalter", 0x01, power, o.power == 103 ? 0 : 2, o.power == 103 ? 0 : 2});
        for (size_t i = 0; i < levers.size(); ++i)
            m_pending.push_back(i);
    }

    CabLever& lever(const std::string& name) {
        return *std::find_if(levers.begin(), levers.end(),
                             [&](const CabLever& l) { return l.name == name; });
    }
    std::vector<uint16_t> functions(const std::string& name) {
        CabLever& l = lever(name);
        return l.notches[size_t(l.current)];
    }

    bool take(const Node& message) {
        const Node& in = message.child(kInput)->children.at(0);
        const auto zuordnung = *asWord(*in.attribute(1));
        const auto kommando = *asWord(*in.attribute(2));
        const auto aktion = *asWord(*in.attribute(3));
        const int32_t position = *asInteger(*in.attribute(4), false);
        inputs.push_back(aktion);
        for (size_t i = 0; i < levers.size(); ++i) {
            CabLever& l = levers[i];
            if (l.zuordnung != zuordnung)
                continue;
            const int32_t top = int32_t(l.notches.size()) - 1;
            const int32_t step = m_o.reverseSteps ? -1 : 1;
            int32_t to = l.current;
            if (aktion == AktionAufDown)
                to += step;
            else if (aktion == AktionAbDown)
                to -= step;
            else if (aktion == AktionAbsolut && !(zuordnung == 0x04 && m_o.absoluteValveIgnored))
                to = position;
            else if (zuordnung == 0x11 && (aktion == AktionAufUp || aktion == AktionAbUp))
                to = 1; // the breaker's lever springs back
            (void)kommando;
            to = std::clamp(to, 0, top);
            if (to == l.current)
                continue;
            l.current = to;
            m_pending.push_back(i);
            if (zuordnung == 0x11 && to != 1)
                breakerOn = to == 2;
            if (zuordnung == 0x04 && l.notches[size_t(to)] == std::vector<uint16_t>{0x15})
                filled = true;
        }
        return true;
    }

    // Reports what changed since the last delivery.
    void deliver(LeverModel& model) {
        for (size_t i : m_pending) {
            const CabLever& l = levers[i];
            model.report({l.name, l.notches[size_t(l.current)], l.current, l.centre,
                          int32_t(l.notches.size()) - 1});
        }
        m_pending.clear();
    }

    std::vector<CabLever> levers;
    std::vector<uint16_t> inputs;
    bool breakerOn = true;
    bool filled = false; // the valve stood on "Füllen" at some time

private:
    CabOptions m_o;
    std::deque<size_t> m_pending;
};

struct Rig {
    explicit Rig(CabOptions o)
        : cab(o), control(
                      model, [this](const Node& m) { return cab.take(m); },
                      [this] { return std::optional<bool>(cab.breakerOn); }) {
        control.setNote([this](const std::string& line) { notes.push_back(line); });
        run(10);
    }
    // Lets `ms` pass in passes of 10 ms, as the loop does.
    void run(uint32_t ms) {
        for (uint32_t passed = 0; passed < ms; passed += 10, now += 10) {
            cab.deliver(model);
            control.poll(now);
        }
    }
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
    FakeCab cab;
    LeverControl control;
    std::vector<std::string> notes;
    uint32_t now = 0xFFFFFF00u; // wraps on the way
};

struct CabCase {
    const char* name;
    CabOptions options;
};
const CabCase kCabs[] = {
    {"as published", {}},
    {"steps reversed", {true, false, false}},
    {"valve numbered from Fuellen", {false, true, false}},
    {"both reversed", {true, true, false}},
    {"absolute valve ignored", {false, false, true}},
    {"absolute ignored, steps reversed", {true, false, true}},
    {"absolute ignored, valve reversed", {false, true, true}},
};

TEST(Zusi3LeverControl, EmergencyBrakeEndsOnSchnellbremsungAndSaysSo) {
    for (const CabCase& c : kCabs) {
        Rig rig(c.options);
        rig.press(37);
        rig.run(2000);
        EXPECT_EQ(rig.cab.functions("F\u00fchrerbremsventil"), std::vector<uint16_t>{0x19})
            << c.name;
        EXPECT_EQ(rig.control.emergency(), LeverControl::Emergency::Confirmed) << c.name;
        EXPECT_TRUE(rig.noted("Schnellbremsung best\u00e4tigt")) << c.name;
        // Only a fault that turns absolute positions into nothing, together with steps that
        // go the other way, lets it pass over "Füllen" on the way.
        if (!c.options.absoluteValveIgnored || !c.options.reverseSteps) {
            EXPECT_FALSE(rig.cab.filled) << c.name;
        }
    }
}

TEST(Zusi3LeverControl, BrakeStepsBrakeAndReleaseWhicheverWayTheLeverCounts) {
    for (const CabCase& c : kCabs) {
        Rig rig(c.options);
        const int32_t start = rig.cab.lever("F\u00fchrerbremsventil").current;
        const int32_t towardsBraking = c.options.reverseValve ? 1 : -1;
        for (int i = 0; i < 3; ++i)
            rig.press(24);
        EXPECT_EQ(rig.cab.lever("F\u00fchrerbremsventil").current, start + 3 * towardsBraking)
            << c.name;
        EXPECT_EQ(rig.noted("F\u00fchrerbremsventil: Stufen in Gegenrichtung"),
                  c.options.reverseSteps)
            << c.name;
        for (int i = 0; i < 3; ++i)
            rig.press(25);
        EXPECT_EQ(rig.cab.lever("F\u00fchrerbremsventil").current, start) << c.name;
    }
}

TEST(Zusi3LeverControl, ReverserAndIndependentBrakeHeadForTheirEnds) {
    for (bool reverse : {false, true}) {
        Rig rig({reverse});
        for (int i = 0; i < 4; ++i)
            rig.press(41);
        EXPECT_EQ(rig.cab.functions("Richtungsschalter"), std::vector<uint16_t>{0x23}) << reverse;
        rig.press(42);
        EXPECT_EQ(rig.cab.functions("Richtungsschalter"), std::vector<uint16_t>{0x24}) << reverse;
        for (int i = 0; i < 3; ++i)
            rig.press(26);
        EXPECT_EQ(rig.cab.functions("Zusatzbremsventil"), std::vector<uint16_t>{0x1D}) << reverse;
    }
}

TEST(Zusi3LeverControl, MainBreakerSwitchesByTheReportedState) {
    for (bool reverse : {false, true}) {
        Rig rig({reverse});
        rig.press(33);
        EXPECT_FALSE(rig.cab.breakerOn) << reverse;
        rig.press(33);
        EXPECT_TRUE(rig.cab.breakerOn) << reverse;
        EXPECT_EQ(rig.noted("Hauptschalter: Stufen in Gegenrichtung"), reverse) << reverse;
        EXPECT_EQ(rig.cab.lever("Hauptschalter").current, 1) << reverse; // back at null
    }
}

TEST(Zusi3LeverControl, PowerZoneSetsTractionNotchesOnly) {
    const struct {
        const char* name;
        int power;
        int32_t full, rest;
    } cases[] = {{"traction-demand lever", 101, 11, 2}, {"follow-up control", 103, 40, 0}};
    for (const auto& c : cases) {
        Rig rig({false, false, false, c.power});
        for (int32_t zone = 1; zone <= 8; ++zone) {
            ASSERT_TRUE(rig.control.setPower(zone, 8, rig.now)) << c.name;
            rig.run(100);
            const auto f = rig.cab.functions("Fahrschalter");
            EXPECT_TRUE(std::any_of(f.begin(), f.end(), isTractionFunction)) << c.name << zone;
        }
        EXPECT_EQ(rig.cab.lever("Fahrschalter").current, c.full) << c.name;
        rig.control.setPower(0, 8, rig.now);
        rig.run(100);
        EXPECT_EQ(rig.cab.lever("Fahrschalter").current, c.rest) << c.name;
    }
}

TEST(Zusi3LeverControl, TapChangerIsPulsedThroughAufAndBackToFahrt) {
    Rig rig({false, false, false, 0});
    EXPECT_FALSE(rig.control.setPower(3, 8, rig.now)); // no traction notch: the zone steps
    EXPECT_FALSE(rig.control.setPower(0, 8, rig.now)); // at rest too
    rig.cab.inputs.clear();
    for (int i = 0; i < 2; ++i)
        rig.control.input(14, true, rig.now); // a regulator's two steps
    rig.control.input(14, false, rig.now);
    rig.run(100);
    // Fahrt is notch 2, Auf notch 3: Auf, Fahrt, Auf, Fahrt - two passes, the lever at rest.
    EXPECT_EQ(rig.cab.inputs, (std::vector<uint16_t>(4, AktionAbsolut)));
    EXPECT_EQ(rig.cab.lever("Fahrschalter").current, 2);
}

TEST(Zusi3LeverControl, LeverThatDoesNotMoveIsNamed) {
    Rig rig({});
    rig.cab.lever("Richtungsschalter").zuordnung = 0x99; // takes no input
    rig.press(41);
    EXPECT_TRUE(rig.noted("Richtungsschalter: bewegt sich nicht"));
}

TEST(Zusi3LeverModel, RolesByFunctionAndAnUnnamedLeverByItsRole) {
    const struct {
        uint16_t function;
        LeverRole role;
    } roles[] = {{0x01, LeverRole::Power},        {0x14, LeverRole::Power},
                 {0x06, LeverRole::DynamicBrake}, {0x0F, LeverRole::Afb},
                 {0x19, LeverRole::BrakeValve},   {0x1B, LeverRole::IndependentBrake},
                 {0x26, LeverRole::Reverser},     {0x33, LeverRole::MainBreaker},
                 {0x1A, LeverRole::Unknown},      {0x34, LeverRole::Unknown}};
    for (const auto& r : roles)
        EXPECT_EQ(roleOfFunction(r.function), r.role) << r.function;
    LeverModel model;
    const Lever* unnamed = model.report({"", {0x15}, 9, 8, 9});
    ASSERT_TRUE(unnamed);
    EXPECT_EQ(unnamed->name, "F\u00fchrerbremsventil");
    EXPECT_FALSE(model.report({"", {0x00}, 1, 0, 2})); // nothing to name it by
    model.clear();
    EXPECT_FALSE(model.find(LeverRole::BrakeValve));
}

TEST(Zusi3LeverModel, BrakingEndFromWhatWasSeen) {
    const struct {
        const char* name;
        std::vector<std::pair<int32_t, uint16_t>> reports; // first report first
        int32_t end;
    } cases[] = {
        {"Schnellbremsung seen", {{8, 0x18}, {3, 0x19}}, 3},
        {"Fuellen seen at the top", {{9, 0x15}}, 0},
        {"Fuellen seen at the bottom", {{0, 0x15}}, 9},
        {"taken over near the top", {{8, 0x18}}, 0},
        {"taken over near the bottom", {{1, 0x18}}, 9},
        {"taken over in the middle", {{5, 0x16}}, 0},
    };
    for (const auto& c : cases) {
        LeverModel model;
        for (const auto& [notch, function] : c.reports)
            model.report({"Fbv", {function}, notch, 8, 9});
        EXPECT_EQ(brakingEnd(*model.find(LeverRole::BrakeValve)), c.end) << c.name;
    }
}

} // namespace
} // namespace kordan::zusi3
