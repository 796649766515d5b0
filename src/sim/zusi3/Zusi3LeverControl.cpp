#include "sim/zusi3/Zusi3LeverControl.h"

#include "send/ZusiSendKonstanten.h"

#include <algorithm>
#include <cstdlib>

namespace kordan::zusi3 {

namespace K = ZusiSendKonstanten;

namespace {

// HauptschalterEin/-Aus Down and Up commands.
constexpr uint16_t kHsEinDown = 0x4F, kHsEinUp = 0x50, kHsAusDown = 0x51, kHsAusUp = 0x52;

int32_t sign(int64_t v) {
    return v > 0 ? 1 : v < 0 ? -1 : 0;
}

struct LeverCommand {
    int32_t code;
    LeverRole role;
    bool raises; // heads for the end a fresh lever is assumed to have at its top
};
constexpr LeverCommand kLeverCommands[] = {
    {K::FahrschalterAuf, LeverRole::Power, true},
    {K::FahrschalterAb, LeverRole::Power, false},
    {K::DynBremseAuf, LeverRole::DynamicBrake, true},
    {K::DynBremseAb, LeverRole::DynamicBrake, false},
    {K::AfbAuf, LeverRole::Afb, true},
    {K::AfbAb, LeverRole::Afb, false},
    // Notch 0 of a brake valve and of an independent brake brakes hardest.
    {K::BremsventilBremsen, LeverRole::BrakeValve, false},
    {K::BremsventilLoesen, LeverRole::BrakeValve, true},
    {K::ZusatzbremseBremsen, LeverRole::IndependentBrake, false},
    {K::ZusatzbremseLoesen, LeverRole::IndependentBrake, true},
    // The reverser runs R, 0, M, V.
    {K::FahrtrichtungVor, LeverRole::Reverser, true},
    {K::FahrtrichtungZurueck, LeverRole::Reverser, false},
};

const LeverCommand* leverCommand(int32_t code) {
    for (const LeverCommand& c : kLeverCommands)
        if (c.code == code)
            return &c;
    return nullptr;
}

// The end of `lever` that the functions put at the "raising" end of a command: where
// `raisingFunction` was seen, or opposite where `loweringFunction` was; else the top.
int32_t raisingEnd(const Lever& lever, uint16_t raisingFunction, uint16_t loweringFunction) {
    if (auto n = lever.notchWith(raisingFunction))
        return *n;
    if (auto n = lever.notchWith(loweringFunction))
        return lever.otherEnd(*n);
    return lever.highest;
}

std::string notchText(const Lever& lever) {
    return lever.name + " Stufe " + std::to_string(lever.current);
}

} // namespace

int32_t brakingEnd(const Lever& valve) {
    if (auto n = valve.notchWith(FnHllSchnellbremsung))
        return *n;
    if (auto n = valve.notchWith(FnHllFuellen))
        return valve.otherEnd(*n);
    // The running position sits a notch or two below "Füllen": a valve taken over there
    // stands in the outer quarter next to it.
    if (valve.first * 4 <= valve.highest)
        return valve.highest;
    return 0;
}

std::optional<int32_t> tapBase(const Lever& power) {
    // The notch the lever stands on now tells most recently where the positions lie.
    for (uint16_t f :
         power.seen.count(power.current) ? power.seen.at(power.current) : std::vector<uint16_t>{})
        if (auto offset = tapOffset(f))
            return power.current - *offset;
    std::optional<int32_t> base;
    for (const auto& [notch, functions] : power.seen)
        for (uint16_t f : functions)
            if (auto offset = tapOffset(f))
                base = notch - *offset;
    return base;
}

int32_t neutralNotch(const Lever& power) {
    if (auto base = tapBase(power))
        return std::clamp(*base + 2, 0, power.highest);
    return std::clamp(power.centre, 0, power.highest);
}

std::optional<std::pair<int32_t, int32_t>> tractionNotches(const Lever& power) {
    auto traction = [&](int32_t notch) {
        const auto it = power.seen.find(notch);
        if (it == power.seen.end())
            return true; // not seen: assumed to pull, checked when it is reached
        return std::any_of(it->second.begin(), it->second.end(), isTractionFunction);
    };
    // Above the tap-changer positions (Schnellaus, Ab, Fahrt, Auf) or above the neutral notch.
    const int32_t neutral = neutralNotch(power);
    const auto base = tapBase(power);
    int32_t first = base ? std::max(*base + 4, neutral + 1) : neutral + 1;
    int32_t last = power.highest;
    while (first <= last && !traction(first))
        ++first;
    while (last >= first && !traction(last))
        --last;
    if (first > last)
        return std::nullopt;
    return std::pair(first, last);
}

std::optional<int32_t> powerNotch(const Lever& power, int32_t zoneNotch, int32_t zoneNotches) {
    const auto range = tractionNotches(power);
    if (!range)
        return std::nullopt; // nothing to set: a tap-changer steps, at rest too
    const auto [first, last] = *range;
    if (zoneNotch <= 0)
        return neutralNotch(power);
    if (zoneNotches <= 1 || zoneNotch >= zoneNotches)
        return zoneNotches <= 0 ? std::min(first + zoneNotch - 1, last) : last;
    // Zone notches 1..n spread evenly over the traction notches, rounded to the nearest.
    const int64_t span = last - first;
    return first + int32_t((int64_t(zoneNotch - 1) * span * 2 + (zoneNotches - 1)) /
                           (int64_t(zoneNotches - 1) * 2));
}

LeverControl::LeverControl(LeverModel& model, Send send, BreakerState breaker)
    : m_model(model), m_send(std::move(send)), m_breaker(std::move(breaker)) {}

void LeverControl::note(const std::string& text) {
    if (m_note)
        m_note(text);
}

void LeverControl::resetIfNewTrain() {
    if (m_generation == m_model.generation())
        return;
    m_generation = m_model.generation();
    m_expect.clear();
    m_emergency = {};
    m_breakerRun = {};
}

int32_t LeverControl::endFor(int32_t code, const Lever& lever) const {
    switch (code) {
    case K::BremsventilBremsen:
        return brakingEnd(lever);
    case K::BremsventilLoesen:
        return lever.otherEnd(brakingEnd(lever));
    case K::ZusatzbremseBremsen:
        return lever.otherEnd(raisingEnd(lever, FnZbvLoesen, FnZbvBremsen));
    case K::ZusatzbremseLoesen:
        return raisingEnd(lever, FnZbvLoesen, FnZbvBremsen);
    case K::FahrtrichtungVor:
        return raisingEnd(lever, FnRischaV, FnRischaR);
    case K::FahrtrichtungZurueck:
        return lever.otherEnd(raisingEnd(lever, FnRischaV, FnRischaR));
    case K::DynBremseAuf:
        // Stronger braking lies away from the notch that switches the brake off.
        if (auto off = lever.notchWith(FnDynAuf0))
            return lever.otherEnd(*off);
        return lever.highest;
    case K::DynBremseAb:
        if (auto off = lever.notchWith(FnDynAuf0))
            return *off;
        return 0;
    case K::AfbAuf:
        if (auto zero = lever.notchWith(FnAfb0))
            return lever.otherEnd(*zero);
        return lever.highest;
    case K::AfbAb:
        if (auto zero = lever.notchWith(FnAfb0))
            return *zero;
        return 0;
    case K::FahrschalterAuf:
        return lever.highest;
    default:
        return 0;
    }
}

int32_t LeverControl::planned(const Lever& lever) const {
    const auto it = m_expect.find(lever.role);
    return it != m_expect.end() && !it->second.absolute ? it->second.target : lever.current;
}

void LeverControl::sendStep(LeverRole role, bool auf, bool down, uint16_t kommando) {
    const uint16_t aktion =
        auf ? (down ? AktionAufDown : AktionAufUp) : (down ? AktionAbDown : AktionAbUp);
    m_send(inputMessage({zuordnungOf(role), kommando, aktion, 0}));
}

void LeverControl::sendSteps(const Lever& lever, int32_t towards, int32_t count) {
    const bool auf = sign(towards - lever.current) == lever.aufDelta;
    for (int32_t i = 0; i < count; ++i)
        sendStep(lever.role, auf, true);
    if (count > 0)
        sendStep(lever.role, auf, false);
}

void LeverControl::position(const Lever& lever, int32_t notch, uint32_t nowMs, bool traction,
                            int retries) {
    m_send(inputMessage({zuordnungOf(lever.role), 0, AktionAbsolut, int16_t(notch)}));
    if (notch == lever.current) {
        m_expect.erase(lever.role); // nothing will move, nothing to wait for
        return;
    }
    m_expect[lever.role] = {lever.role,    lever.current, notch,  nowMs,
                            lever.reports, lever.reports, nowMs,  false,
                            true,          traction,      retries};
}

bool LeverControl::input(int32_t code, bool pressed, uint32_t nowMs) {
    resetIfNewTrain();
    if (code == K::Schnellbremsung) {
        if (pressed)
            emergencyBrake(nowMs);
        return true; // its release lets go of nothing: every step was let go at once
    }
    if (code == K::HauptschalterEinAus) {
        mainBreaker(pressed, nowMs);
        return true;
    }
    if (code == K::FahrschalterNull)
        return powerNull(pressed, nowMs);
    const LeverCommand* command = leverCommand(code);
    if (!command)
        return false;
    if (command->role == LeverRole::Power && powerTap(code, pressed, nowMs))
        return true;
    return stepTowards(command->role, code, pressed, nowMs);
}

bool LeverControl::stepTowards(LeverRole role, int32_t code, bool pressed, uint32_t nowMs) {
    if (!pressed) {
        const auto it = m_held.find(code);
        if (it != m_held.end()) {
            m_send(inputMessage({it->second.zuordnung, 0, it->second.aktionUp, 0}));
            m_held.erase(it);
        }
        return true;
    }
    Lever* lever = m_model.find(role);
    bool auf = leverCommand(code)->raises;
    if (lever) {
        const int32_t from = planned(*lever);
        const int32_t dir = sign(endFor(code, *lever) - from);
        if (dir == 0)
            return true; // at its end already: a step would go nowhere or back
        auf = dir == lever->aufDelta;
        auto [it, fresh] = m_expect.try_emplace(role);
        Expectation& e = it->second;
        if (fresh || e.absolute)
            e = {role, lever->current, from, nowMs, lever->reports, lever->reports, nowMs};
        e.target = from + dir;
        e.sentAt = nowMs;
    }
    sendStep(role, auf, true);
    m_held[code] = {zuordnungOf(role), 0, uint16_t(auf ? AktionAufUp : AktionAbUp)};
    return true;
}

// A power controller with tap-changer positions: "auf" and "ab" hold the lever on the Auf
// or Ab position while pressed and bring it back to Fahrt when let go, as its spring would.
bool LeverControl::powerTap(int32_t code, bool pressed, uint32_t nowMs) {
    Lever* lever = m_model.find(LeverRole::Power);
    const auto base = lever ? tapBase(*lever) : std::nullopt;
    if (!base)
        return false;
    auto to = [&](int32_t offset) {
        position(*lever, std::clamp(*base + offset, 0, lever->highest), nowMs);
    };
    const int32_t offset = !pressed ? 2 : code == K::FahrschalterAuf ? 3 : 1;
    // A regulator's steps press again and again: each is one pass through Auf or Ab, so the
    // lever goes back to Fahrt in between.
    if (pressed && m_tapHeld == offset)
        to(2);
    to(offset);
    m_tapHeld = pressed ? offset : 0;
    return true;
}

// "Null" on a tap-changer lever runs the tap changer down through Schnellaus, the lever
// springing back to Fahrt when let go; where there are no such positions it goes by its route.
bool LeverControl::powerNull(bool pressed, uint32_t nowMs) {
    Lever* lever = m_model.find(LeverRole::Power);
    const auto base = lever ? tapBase(*lever) : std::nullopt;
    if (!base)
        return false;
    position(*lever, std::clamp(*base + (pressed ? 0 : 2), 0, lever->highest), nowMs);
    m_tapHeld = 0;
    return true;
}

bool LeverControl::setPower(int32_t zoneNotch, int32_t zoneNotches, uint32_t nowMs) {
    resetIfNewTrain();
    Lever* lever = m_model.find(LeverRole::Power);
    const auto notch = lever ? powerNotch(*lever, zoneNotch, zoneNotches) : std::nullopt;
    if (!notch)
        return false;
    m_powerZoneNotch = zoneNotch;
    m_powerZoneNotches = zoneNotches;
    position(*lever, *notch, nowMs, zoneNotch > 0);
    return true;
}

bool LeverControl::setAfb(int32_t zoneNotch, uint32_t nowMs) {
    resetIfNewTrain();
    Lever* lever = m_model.find(LeverRole::Afb);
    if (!lever || lever->highest <= 0)
        return false;
    position(*lever, std::clamp<int64_t>(int64_t(lever->centre) + zoneNotch, 0, lever->highest),
             nowMs);
    return true;
}

void LeverControl::emergencyBrake(uint32_t nowMs) {
    Lever* valve = m_model.find(LeverRole::BrakeValve);
    m_emergency = {};
    m_emergency.since = nowMs;
    if (!valve) {
        // Nothing reported to confirm by: notch 0, where brake valves have it, positioned and
        // stepped towards (in case the position is taken for another switch), twice as many
        // steps as the longest valve of the published cabs has notches.
        m_send(inputMessage({zuordnungOf(LeverRole::BrakeValve), 0, AktionAbsolut, 0}));
        for (int i = 0; i < 26; ++i)
            sendStep(LeverRole::BrakeValve, false, true);
        sendStep(LeverRole::BrakeValve, false, false);
        m_emergency.state = Emergency::Failed;
        note("Schnellbremsung nicht best\u00e4tigt (F\u00fchrerbremsventil nicht gemeldet)");
        return;
    }
    m_emergency.state = Emergency::Positioning;
    m_emergency.target = brakingEnd(*valve);
    m_emergency.reports = valve->reports;
    m_expect.erase(LeverRole::BrakeValve); // no correction may move it back
    m_send(inputMessage(
        {zuordnungOf(LeverRole::BrakeValve), 0, AktionAbsolut, int16_t(m_emergency.target)}));
}

bool LeverControl::breakerAuf(const Lever* lever, bool on) {
    if (!lever)
        return on; // "ein" is the top of the breaker's lever
    const int32_t einEnd = raisingEnd(*lever, FnHauptschalterEin, FnHauptschalterAus);
    const int32_t end = on ? einEnd : lever->otherEnd(einEnd);
    // A lever resting on that end already still heads for it.
    int32_t dir = sign(end - lever->current);
    if (dir == 0)
        dir = end >= lever->otherEnd(end) ? 1 : -1;
    return dir == lever->aufDelta;
}

void LeverControl::mainBreaker(bool pressed, uint32_t nowMs) {
    Lever* lever = m_model.find(LeverRole::MainBreaker);
    if (!pressed) {
        const auto it = m_held.find(K::HauptschalterEinAus);
        if (it != m_held.end()) {
            m_send(
                inputMessage({it->second.zuordnung, it->second.kommando, it->second.aktionUp, 0}));
            m_held.erase(it);
        }
        m_breakerRun.released = true;
        m_breakerRun.sentAt = nowMs;
        return;
    }
    std::optional<bool> on = m_breaker ? m_breaker() : std::nullopt;
    if (!on && lever) {
        if (lever->has(lever->current, FnHauptschalterEin))
            on = true;
        else if (lever->has(lever->current, FnHauptschalterAus))
            on = false;
    }
    const bool want = !on.value_or(false);
    const bool auf = breakerAuf(lever, want);
    const uint16_t down = want ? kHsEinDown : kHsAusDown;
    const uint16_t up = want ? kHsEinUp : kHsAusUp;
    sendStep(LeverRole::MainBreaker, auf, true, down);
    m_held[K::HauptschalterEinAus] = {zuordnungOf(LeverRole::MainBreaker), up,
                                      uint16_t(auf ? AktionAufUp : AktionAbUp)};
    m_breakerRun = {
        true, want, false, false, nowMs, lever ? lever->current : 0, lever ? lever->reports : 0,
        false};
}

void LeverControl::poll(uint32_t nowMs) {
    resetIfNewTrain();
    std::vector<LeverRole> roles;
    for (const auto& [role, e] : m_expect)
        roles.push_back(role);
    for (LeverRole role : roles) {
        // Taken out while it is looked at: a new position may take its place.
        auto it = m_expect.find(role);
        Expectation e = it->second;
        m_expect.erase(it);
        if (pollExpectation(e, nowMs))
            m_expect.emplace(role, e);
    }
    pollEmergency(nowMs);
    pollBreaker(nowMs);
}

bool LeverControl::pollExpectation(Expectation& e, uint32_t nowMs) {
    Lever* lever = m_model.find(e.role);
    if (!lever)
        return false;
    if (lever->reports != e.lastReports) {
        e.lastReports = lever->reports;
        e.lastReportAt = nowMs;
    }
    const bool reported = lever->reports != e.reports;
    if (reported && nowMs - e.lastReportAt < kSettleMs)
        return true;
    if (reported && e.absolute) {
        // A power position that landed on a tap-changer position: the zone is mapped again
        // with what the report taught, a few times at most.
        const std::vector<uint16_t>& functions = lever->seen[lever->current];
        const bool pulls = !e.traction || lever->current != e.target ||
                           std::any_of(functions.begin(), functions.end(), isTractionFunction);
        if (!pulls && e.retries < 4) {
            note(lever->name + ": Stufe " + std::to_string(lever->current) +
                 " ist keine Fahrstufe");
            const auto notch = powerNotch(*lever, m_powerZoneNotch, m_powerZoneNotches);
            if (notch)
                position(*lever, *notch, nowMs, true, e.retries + 1);
            else
                position(*lever, neutralNotch(*lever), nowMs);
        }
        return false;
    }
    const int32_t moved = lever->current - e.from;
    const int32_t wanted = e.target - e.from;
    if (moved != 0 && wanted != 0 && sign(moved) != sign(wanted) && !e.flipped) {
        lever->aufDelta = -lever->aufDelta;
        note(lever->name + ": Stufen in Gegenrichtung");
        // What went the wrong way is made good, towards where the commands meant it to be.
        const int32_t target = std::clamp(e.target, 0, lever->highest);
        sendSteps(*lever, target, std::abs(target - lever->current));
        e = {e.role, lever->current, target, nowMs, lever->reports, lever->reports, nowMs, true};
        return target != lever->current;
    }
    // No report yet, or reports of something else: the step's own may still come.
    if (!reported || (moved == 0 && wanted != 0))
        return nowMs - e.sentAt < kReportWaitMs || pushedAgainstEnd(*lever, e, nowMs);
    return false;
}

// A step that moved nothing from one end of the lever towards the other went against that
// end: the steps go the other way. A lever that stays put all the same does not move.
bool LeverControl::pushedAgainstEnd(Lever& lever, Expectation& e, uint32_t nowMs) {
    const bool inward = (lever.current == 0 && e.target > 0) ||
                        (lever.current == lever.highest && e.target < lever.highest);
    if (e.flipped || e.absolute || !inward) {
        if (e.flipped && !e.absolute)
            lever.aufDelta = -lever.aufDelta; // no move either way: the guess was no better
        note(lever.name + ": bewegt sich nicht");
        return false;
    }
    lever.aufDelta = -lever.aufDelta;
    note(lever.name + ": Stufen in Gegenrichtung");
    const int32_t target = std::clamp(e.target, 0, lever.highest);
    sendSteps(lever, target, std::abs(target - lever.current));
    e = {e.role, lever.current, target, nowMs, lever.reports, lever.reports, nowMs, true};
    return true;
}

void LeverControl::pollEmergency(uint32_t nowMs) {
    EmergencyRun& run = m_emergency;
    if (run.state != Emergency::Positioning && run.state != Emergency::Stepping)
        return;
    Lever* valve = m_model.find(LeverRole::BrakeValve);
    if (!valve) {
        run.state = Emergency::Failed;
        return;
    }
    if (valve->has(valve->current, FnHllSchnellbremsung)) {
        run.state = Emergency::Confirmed;
        note("Schnellbremsung best\u00e4tigt (" + notchText(*valve) + ")");
        return;
    }
    if (run.state == Emergency::Positioning) {
        if (valve->reports != run.reports && valve->current == run.target && !run.otherEndTried) {
            // Landed where no emergency brake is: it lies at the other end of this lever.
            run.otherEndTried = true;
            run.target = valve->otherEnd(run.target);
            run.reports = valve->reports;
            run.since = nowMs;
            m_send(inputMessage(
                {zuordnungOf(LeverRole::BrakeValve), 0, AktionAbsolut, int16_t(run.target)}));
            return;
        }
        const bool landedWrong = valve->reports != run.reports && valve->current == run.target;
        if (!landedWrong && nowMs - run.since < kReportWaitMs)
            return;
        // No position took: step towards braking, reading every step back.
        run.state = Emergency::Stepping;
        run.stepsLeft = 2 * (valve->highest + 1);
        run.lastStepAt = nowMs - kReportWaitMs;
        run.lastStepReports = valve->reports;
        run.lastStepFrom = valve->current;
        if (valve->current == run.target)
            run.target = valve->otherEnd(run.target);
    }
    // One step at a time: the next once the last one's report is in, or after a wait.
    const bool reported = valve->reports != run.lastStepReports;
    if (!reported && nowMs - run.lastStepAt < kReportWaitMs / 3)
        return;
    const bool wrongWay =
        reported && run.lastStepFrom != valve->current &&
        sign(valve->current - run.lastStepFrom) != sign(run.target - run.lastStepFrom);
    // A step from an end towards the other that moved nothing pushed against that end.
    const bool againstEnd = !reported && run.stepsSent > 0 &&
                            (valve->current == 0 || valve->current == valve->highest) &&
                            valve->current != run.target;
    if (wrongWay || (againstEnd && !run.turnedAtEnd)) {
        run.turnedAtEnd = run.turnedAtEnd || againstEnd;
        valve->aufDelta = -valve->aufDelta;
        note(valve->name + ": Stufen in Gegenrichtung");
    }
    if (valve->current == run.target || run.stepsLeft <= 0) {
        run.state = Emergency::Failed;
        note("Schnellbremsung nicht best\u00e4tigt (" + notchText(*valve) + ")");
        return;
    }
    --run.stepsLeft;
    ++run.stepsSent;
    run.lastStepAt = nowMs;
    run.lastStepReports = valve->reports;
    run.lastStepFrom = valve->current;
    const bool auf = sign(run.target - valve->current) == valve->aufDelta;
    sendStep(LeverRole::BrakeValve, auf, true);
    sendStep(LeverRole::BrakeValve, auf, false);
}

void LeverControl::pollBreaker(uint32_t nowMs) {
    BreakerRun& run = m_breakerRun;
    if (!run.active)
        return;
    const std::optional<bool> on = m_breaker ? m_breaker() : std::nullopt;
    if (on == run.want) {
        run.active = false;
        return;
    }
    Lever* lever = m_model.find(LeverRole::MainBreaker);
    if (lever && lever->reports != run.reports && lever->current != run.from && !run.wrongWay) {
        // The first move tells the direction: towards the other end is the wrong way.
        const int32_t einEnd = raisingEnd(*lever, FnHauptschalterEin, FnHauptschalterAus);
        const int32_t end = run.want ? einEnd : lever->otherEnd(einEnd);
        run.reports = lever->reports;
        if (sign(lever->current - run.from) != sign(end - run.from)) {
            run.wrongWay = true;
            lever->aufDelta = -lever->aufDelta;
            note(lever->name + ": Stufen in Gegenrichtung");
        }
    }
    if (!run.released || nowMs - run.sentAt < kReportWaitMs)
        return;
    if (!on) {
        run.active = false; // no state reported: nothing to judge by
        return;
    }
    if (run.retried) {
        note(std::string(lever ? lever->name : roleName(LeverRole::MainBreaker)) +
             ": Zustand nicht erreicht");
        run.active = false;
        return;
    }
    // Switched nothing: once more, the other way round unless a move already told the way.
    if (lever && !run.wrongWay) {
        lever->aufDelta = -lever->aufDelta;
        note(lever->name + ": Stufen in Gegenrichtung");
    }
    const bool auf = breakerAuf(lever, run.want);
    sendStep(LeverRole::MainBreaker, auf, true, run.want ? kHsEinDown : kHsAusDown);
    sendStep(LeverRole::MainBreaker, auf, false, run.want ? kHsEinUp : kHsAusUp);
    run.retried = true;
    run.sentAt = nowMs;
}

} // namespace kordan::zusi3
