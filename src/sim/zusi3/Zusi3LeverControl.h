#pragma once

#include "sim/zusi3/Zusi3Levers.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

// The lever commands of the catalogue carried out over the simulator's TCP interface with
// its reports in the loop: which way a step goes is decided by where the lever is and which
// end does what, and every step or position is checked against the next report. A step that
// went the other way turns that lever's direction round for the rest of the train; a lever
// that does not move, and the emergency brake's outcome, are told to the command log.
namespace kordan::zusi3 {

class LeverControl {
public:
    using Send = std::function<bool(const Node&)>;
    using Note = std::function<void(const std::string&)>;
    using BreakerState = std::function<std::optional<bool>()>;

    // A report is awaited this long after a step or position before the lever counts as
    // not moving; the emergency brake then steps instead of positioning.
    static constexpr uint32_t kReportWaitMs = 300;
    // Reports of one burst of steps arrive one by one; a correction waits until they stop.
    static constexpr uint32_t kSettleMs = 50;

    LeverControl(LeverModel& model, Send send, BreakerState breaker);
    void setNote(Note note) { m_note = std::move(note); }

    // One edge of a catalogue command (the lever commands 14, 15, 17, 18, 20, 21, 24-27,
    // 33, 37, 41, 42, and 16 on a tap-changer lever); false for every other code, which goes by its
    // route instead.
    bool input(int32_t code, bool pressed, uint32_t nowMs);
    // A power controller's regulator zone at notch `zoneNotch` of `zoneNotches`: set on the
    // notch of the traction range that corresponds. False where no traction notch is known
    // (a tap-changer lever, or none reported): the zone then steps.
    bool setPower(int32_t zoneNotch, int32_t zoneNotches, uint32_t nowMs);
    // The AFB's regulator zone: its notch counted from the lever's centre.
    bool setAfb(int32_t zoneNotch, uint32_t nowMs);
    // Once per loop pass, after the reports that arrived were taken.
    void poll(uint32_t nowMs);

    // Where the last emergency brake stands, for tests.
    enum class Emergency { Idle, Positioning, Stepping, Confirmed, Failed };
    Emergency emergency() const { return m_emergency.state; }

private:
    struct Held {
        uint16_t zuordnung = 0;
        uint16_t kommando = 0; // of the Up edge (main breaker)
        uint16_t aktionUp = 0;
    };
    // A step or position that awaits the lever's report.
    struct Expectation {
        LeverRole role = LeverRole::Unknown;
        int32_t from = 0;
        int32_t target = 0;
        uint32_t sentAt = 0;
        uint32_t reports = 0;     // the lever's report count when it was sent
        uint32_t lastReports = 0; // and when a report was last seen
        uint32_t lastReportAt = 0;
        bool flipped = false;  // its direction was turned round once already
        bool absolute = false; // a position, not steps
        bool traction = false; // a power zone's position: it must land on a traction notch
        int retries = 0;       // positions sent again after landing on the wrong notch
    };
    struct EmergencyRun {
        Emergency state = Emergency::Idle;
        int32_t target = 0;
        uint32_t since = 0;
        uint32_t reports = 0;
        bool otherEndTried = false;
        int32_t stepsLeft = 0;
        uint32_t lastStepAt = 0;
        uint32_t lastStepReports = 0;
        int32_t lastStepFrom = 0;
        int32_t stepsSent = 0;
        bool turnedAtEnd = false;
    };
    struct BreakerRun {
        bool active = false;
        bool want = false;
        bool released = false;
        bool retried = false;
        uint32_t sentAt = 0;
        int32_t from = 0;
        uint32_t reports = 0;
        bool wrongWay = false;
    };

    void resetIfNewTrain();
    bool stepTowards(LeverRole role, int32_t code, bool pressed, uint32_t nowMs);
    bool powerTap(int32_t code, bool pressed, uint32_t nowMs);
    bool powerNull(bool pressed, uint32_t nowMs);
    void emergencyBrake(uint32_t nowMs);
    void mainBreaker(bool pressed, uint32_t nowMs);
    void position(const Lever& lever, int32_t notch, uint32_t nowMs, bool traction = false,
                  int retries = 0);
    void sendStep(LeverRole role, bool auf, bool down, uint16_t kommando = 0);
    void sendSteps(const Lever& lever, int32_t towards, int32_t count);
    // False once `e` is done (or replaced by a new position).
    bool pollExpectation(Expectation& e, uint32_t nowMs);
    bool pushedAgainstEnd(Lever& lever, Expectation& e, uint32_t nowMs);
    void pollEmergency(uint32_t nowMs);
    void pollBreaker(uint32_t nowMs);
    void note(const std::string& text);
    // Where a step of `code` goes on `lever`: the end of the lever it heads for.
    int32_t endFor(int32_t code, const Lever& lever) const;
    // The notch the lever will stand on once what was sent has arrived.
    int32_t planned(const Lever& lever) const;
    // Whether switching the breaker `on` (or off) steps "Auf" on `lever`.
    static bool breakerAuf(const Lever* lever, bool on);

    LeverModel& m_model;
    Send m_send;
    BreakerState m_breaker;
    Note m_note;
    uint32_t m_generation = 0;
    std::map<int32_t, Held> m_held; // by command code
    std::map<LeverRole, Expectation> m_expect;
    EmergencyRun m_emergency;
    BreakerRun m_breakerRun;
    // The power zone's notch and notch count last set, to map again with what a report taught.
    int32_t m_powerZoneNotch = 0;
    int32_t m_powerZoneNotches = 0;
    // The tap-changer position "auf" or "ab" hold the power controller on (3, 1), 0 = none.
    int32_t m_tapHeld = 0;
};

// Where the emergency brake is: the brake valve's notch with "Schnellbremsung" once seen;
// else the end opposite a seen "Füllen"; else the end farther from where the valve stood
// when the train was taken over (the running position lies next to "Füllen"); else 0.
int32_t brakingEnd(const Lever& valve);
// The tap-changer positions of a power controller, from the functions seen: the notch of
// "Schnellaus" (the others follow in the order Ab, Fahrt, Auf). nullopt when none was seen.
std::optional<int32_t> tapBase(const Lever& power);
// The power controller's notch at rest: its "konstant" position where it has tap-changer
// positions, else its centre.
int32_t neutralNotch(const Lever& power);
// The power controller's traction notches, lowest and highest: above its tap-changer
// positions or its neutral notch, a notch not seen yet assumed to pull; nullopt when none
// (a tap-changer lever, or a lever with one notch).
std::optional<std::pair<int32_t, int32_t>> tractionNotches(const Lever& power);
// The notch of the power controller for a regulator zone's notch (0: at rest, the neutral
// notch); nullopt when the lever has no traction notch known or inferred.
std::optional<int32_t> powerNotch(const Lever& power, int32_t zoneNotch, int32_t zoneNotches);

} // namespace kordan::zusi3
