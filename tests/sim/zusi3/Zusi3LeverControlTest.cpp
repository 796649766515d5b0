#include "sim/zusi3/Zusi3LeverControl.h"

#include "sim/zusi3/Zusi3Messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

namespace kordan::zusi3 {
namespace {

TEST(Zusi3LeverModel, RolesByFunction) {
    // Both ends of each role's range of functions, and the functions next to them.
    const struct {
        uint16_t first, last;
        LeverRole role;
    } roles[] = {{0x01, 0x05, LeverRole::Power},        {0x10, 0x14, LeverRole::Power},
                 {0x06, 0x0A, LeverRole::DynamicBrake}, {0x0B, 0x0F, LeverRole::Afb},
                 {0x15, 0x19, LeverRole::BrakeValve},   {0x1B, 0x1D, LeverRole::IndependentBrake},
                 {0x23, 0x26, LeverRole::Reverser},     {0x31, 0x33, LeverRole::MainBreaker},
                 {0x1A, 0x1A, LeverRole::Unknown},      {0x34, 0x34, LeverRole::Unknown}};
    for (const auto& r : roles) {
        EXPECT_EQ(roleOfFunction(r.first), r.role) << r.first;
        EXPECT_EQ(roleOfFunction(r.last), r.role) << r.last;
    }
}

TEST(Zusi3LeverModel, ACombinedLeverSeenBrakingFirstIsThePowerController) {
    LeverModel model;
    model.report({"Fahrschalter", {0x06}, 1, 5, 10});
    model.report({"Fahrschalter", {0x01}, 8, 5, 10});
    EXPECT_TRUE(model.find(LeverRole::Power));
    EXPECT_FALSE(model.find(LeverRole::DynamicBrake));
}

// A valve taken over in its running position, nothing seen yet that tells its ends: the
// braking end lies away from the outer quarter it stands in.
TEST(Zusi3LeverModel, BrakingEndOfAValveTakenOverInItsOuterQuarter) {
    LeverModel quarter; // taken over on notch 2 of 0-8: the outer quarter still
    quarter.report({"Fbv", {0x18}, 2, 4, 8});
    EXPECT_EQ(brakingEnd(*quarter.find(LeverRole::BrakeValve)), 8);
}

// One lever that takes absolute positions and steps as asked, its functions given per notch;
// each move is reported on the next pass, as over the wire.
struct OneLever {
    OneLever(std::string name, std::function<uint16_t(int32_t)> function, int32_t notch,
             int32_t highest)
        : name(std::move(name)), function(std::move(function)), notch(notch), highest(highest) {
        control.setNote([this](const std::string& line) { notes.push_back(line); });
        report();
    }
    void report() { model.report({name, {function(notch)}, notch, highest / 2, highest}); }
    bool take(const Node& message) {
        const Node& in = message.child(kInput)->children.at(0);
        const uint16_t aktion = *asWord(*in.attribute(3));
        const int32_t was = notch;
        if (aktion == AktionAbsolut)
            notch = std::clamp<int32_t>(*asInteger(*in.attribute(4), false), 0, highest);
        if (aktion == AktionAufDown || aktion == AktionAbDown)
            notch = std::clamp(notch + (aktion == AktionAufDown ? 1 : -1), 0, highest);
        moved = moved || notch != was;
        return true;
    }
    // Passes of 10 ms until `done` or a minute.
    void runUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 6000 && !done(); ++i, now += 10) {
            if (std::exchange(moved, false))
                report();
            control.poll(now);
        }
    }
    std::string name;
    std::function<uint16_t(int32_t)> function;
    int32_t notch, highest;
    bool moved = false;
    uint32_t now = 0;
    LeverModel model;
    std::optional<bool> breaker; // the main breaker's reported state
    LeverControl control{model, [this](const Node& m) { return take(m); },
                         [this] { return breaker; }};
    std::vector<std::string> notes;
};

// A valve taken over in its middle whose notches all just brake: both ends are tried by
// position, then the steps go to the braking end, and the brake is reported unconfirmed.
TEST(Zusi3LeverControl, EmergencyBrakeNoNotchConfirmsEndsAtTheBrakingEnd) {
    OneLever valve(
        "Fbv", [](int32_t) { return uint16_t(0x16); }, 4, 8);
    EXPECT_TRUE(valve.control.input(37, true, 0));
    EXPECT_TRUE(valve.control.input(37, false, 0)); // nothing left for its route to send
    valve.runUntil([&] { return valve.control.emergency() == LeverControl::Emergency::Failed; });
    // Each move followed the last report at once: over before one wait for a missing report.
    EXPECT_LT(valve.now, LeverControl::kReportWaitMs);
    EXPECT_EQ(valve.notes,
              (std::vector<std::string>{"Schnellbremsung nicht best\u00e4tigt (Fbv Stufe 0)"}));
}

// The waits end on the dot: a step left unanswered is given up one report wait after it
// went out, a step that went the wrong way is made good once its report has settled.
TEST(Zusi3LeverControl, WaitsForReportsEndOnTheirMoment) {
    const struct {
        const char* name;
        bool answered;
        uint32_t moment;
        const char* note;
    } rows[] = {
        {"unanswered", false, LeverControl::kReportWaitMs, "Zbv: bewegt sich nicht"},
        {"the wrong way", true, 10 + LeverControl::kSettleMs, "Zbv: Stufen in Gegenrichtung"}};
    for (const auto& row : rows) {
        OneLever zbv(
            "Zbv", [](int32_t) { return uint16_t(0x1C); }, 4, 8);
        zbv.model.find(LeverRole::IndependentBrake)->aufDelta = -1; // a guess that is wrong
        zbv.control.input(27, true, 0);
        zbv.control.input(27, false, 0);
        if (row.answered)
            zbv.report(); // taken on the first pass, at 10 ms
        for (uint32_t t = 10; t < row.moment; t += 10)
            zbv.control.poll(t);
        EXPECT_EQ(zbv.notes, std::vector<std::string>{}) << row.name;
        zbv.control.poll(row.moment);
        EXPECT_EQ(zbv.notes, std::vector<std::string>{row.note}) << row.name;
        for (uint32_t t = row.moment + 10; t <= 1000; t += 10) // a correction unanswered too
            zbv.control.poll(t);
        EXPECT_EQ(zbv.notes.back(), "Zbv: bewegt sich nicht") << row.name;
    }
}

// A power lever whose notches turn out not to pull is set again with what each report
// taught, four times at most.
TEST(Zusi3LeverControl, PowerThatNeverPullsIsRetriedFourTimes) {
    OneLever power(
        "Fs", [](int32_t n) { return uint16_t(n == 0 ? 0x01 : 0x00); }, 0, 20);
    ASSERT_TRUE(power.control.setPower(8, 8, 0));
    power.runUntil([] { return false; });
    EXPECT_EQ(
        std::count_if(power.notes.begin(), power.notes.end(),
                      [](const std::string& n) { return n.ends_with("ist keine Fahrstufe"); }),
        4);
}

// A power position the driver overrode in the simulator is over: taking its notch by hand
// later, one that does not pull, is his to do.
TEST(Zusi3LeverControl, APowerPositionTheDriverOverrodeIsOver) {
    OneLever power(
        "Fs", [](int32_t n) { return uint16_t(n == 20 ? 0x00 : 0x01); }, 0, 20);
    ASSERT_TRUE(power.control.setPower(8, 8, 0));
    const int32_t target = power.notch;
    power.notch = 5; // moved by hand before it was reported
    power.runUntil([] { return false; });
    power.notch = target;
    power.moved = true;
    power.runUntil([] { return false; });
    EXPECT_EQ(power.notch, target);
    EXPECT_EQ(power.notes, std::vector<std::string>{});
}

// A main breaker lever of three notches, "ein" at the top.
uint16_t breakerNotch(int32_t n) {
    return uint16_t(n == 2 ? FnHauptschalterEin : FnHauptschalterAus);
}

// A breaker that fell out under a lever left on "ein": the reported state decides, so the
// lever is asked up to "ein" again, not down to "aus".
TEST(Zusi3LeverControl, MainBreakerGoesByTheReportedStateBeforeTheLeversNotch) {
    const auto function = breakerNotch;
    OneLever hs("Hs", function, 2, 2);
    hs.breaker = false;
    EXPECT_TRUE(hs.control.input(33, true, 0)); // nothing left for its route to send
    EXPECT_EQ(hs.notch, 2);
    // Let go, the reported state is awaited one report wait, then tried the other way round.
    hs.control.input(33, false, 0);
    for (uint32_t t = 10; t < LeverControl::kReportWaitMs; t += 10)
        hs.control.poll(t);
    EXPECT_EQ(hs.notes, std::vector<std::string>{});
    hs.control.poll(LeverControl::kReportWaitMs);
    EXPECT_EQ(hs.notes, std::vector<std::string>{"Hs: Stufen in Gegenrichtung"});
    // With no state reported the notch tells it: off on "aus", so up towards "ein".
    OneLever aus("Hs", function, 0, 2);
    aus.control.input(33, true, 0);
    EXPECT_EQ(aus.notch, 1);
    // On "ein" it heads down towards "aus".
    OneLever ein("Hs", function, 2, 2);
    ein.control.input(33, true, 0);
    EXPECT_EQ(ein.notch, 1);
}

// A lever not reported yet: each command steps the way the cabs count (power and brakes
// release upwards, notch 0 of a brake valve brakes hardest, the reverser runs R, 0, M, V).
TEST(Zusi3LeverControl, CommandsForALeverNotReportedStepTheCabsWay) {
    const struct {
        const char* name;
        int32_t code;
        uint16_t aktion;
    } rows[] = {{"Fahrschalter auf", 14, AktionAufDown},
                {"Fahrschalter ab", 15, AktionAbDown},
                {"Dynamische Bremse auf", 17, AktionAufDown},
                {"Dynamische Bremse ab", 18, AktionAbDown},
                {"AFB auf", 20, AktionAufDown},
                {"AFB ab", 21, AktionAbDown},
                {"Bremsventil bremsen", 24, AktionAbDown},
                {"Bremsventil l\u00f6sen", 25, AktionAufDown},
                {"Zusatzbremse bremsen", 26, AktionAbDown},
                {"Zusatzbremse l\u00f6sen", 27, AktionAufDown},
                {"vorw\u00e4rts", 41, AktionAufDown},
                {"r\u00fcckw\u00e4rts", 42, AktionAbDown}};
    for (const auto& row : rows) {
        LeverModel none;
        std::vector<uint16_t> sent;
        LeverControl control(
            none,
            [&](const Node& m) {
                return sent.push_back(*asWord(*m.child(kInput)->children.at(0).attribute(3))), true;
            },
            [] { return std::optional<bool>(); });
        EXPECT_TRUE(control.input(row.code, true, 0)) << row.name;
        EXPECT_EQ(sent, std::vector<uint16_t>{row.aktion}) << row.name;
    }
}

// Once the breaker is on as asked, the press is done with: when it falls out later, the
// lever is not moved to switch it on again behind the driver's back.
TEST(Zusi3LeverControl, ABreakerThatFallsOutLaterIsLeftOff) {
    OneLever hs("Hs", breakerNotch, 0, 2);
    hs.breaker = false;
    hs.control.input(33, true, 0);
    hs.breaker = true;
    hs.control.input(33, false, 0);
    hs.control.poll(0);
    hs.breaker = false;
    const int32_t notch = hs.notch;
    hs.runUntil([] { return false; });
    EXPECT_EQ(hs.notch, notch);
}

} // namespace
} // namespace kordan::zusi3
