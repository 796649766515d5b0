#pragma once

#include "Train.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The combined levers of a cab as the simulator has them over its TCP interface: numbered
// notches, each with its function ("Kombischalterfunktion"), a centre notch, Auf/Ab steps
// and absolute positions. Stands in for what real vehicles do, so that a client that must
// learn each lever's numbering and step direction can be tried against several kinds.
namespace standin {

enum class CabKind {
    Br101, // power lever with Schnellaus/Ab/Fahrt/Auf and traction-demand notches
    Br103, // follow-up control: the notch is the wanted tap step
    Tap,   // tap-changer lever: Schnellaus/abschalten/konstant/aufschalten
};

struct CabOptions {
    CabKind kind = CabKind::Br101;
    bool reverseSteps = false;      // Auf steps to the next lower notch, on every lever
    bool reverseBrakeValve = false; // brake valve numbered from Füllstellung to Schnellbremsung
    bool absoluteFbvBug = false;    // an absolute brake-valve position does not move it
};

struct Lever {
    std::string name;
    uint16_t zuordnung = 0;          // its Tastaturzuordnung
    std::vector<uint16_t> functions; // the function of each notch
    int centre = 0;
    int start = 0; // notch on a new train
    int notch = 0;
    int highest() const { return int(functions.size()) - 1; }
    uint16_t function() const { return functions[size_t(notch)]; }
};

// Something the simulator reports or the stand-in logs, in the order it happened.
struct CabEvent {
    enum Kind { Moved, Breaker, Traction, Angleicher };
    Kind kind = Moved;
    size_t lever = 0; // Moved: the lever's index
    int value = 0;    // Moved: its new notch; Breaker: 1 on, 0 off; Traction: the level
    bool operator==(const CabEvent&) const = default;
};

class Cab {
public:
    // Indices into levers(); the first five in the order of the end line.
    enum : size_t {
        Fahrschalter,
        Fuehrerbremsventil,
        Zusatzbremsventil,
        Richtungsschalter,
        Hauptschalter,
        Afb // only with speed control
    };
    // `afbSteps` > 0 adds the speed-control lever with that many notches above 0.
    Cab(const CabOptions& options, int afbSteps);

    // A new train: every lever to its start notch, the breaker on, no traction.
    void reset();

    // One "Tastatureingabe" (Zuordnung, Kommando, Aktion, Schalterposition). False when
    // the Zuordnung is none of the levers'.
    bool input(uint16_t zuordnung, uint16_t kommando, uint16_t aktion, int32_t position);
    // Lets `seconds` pass: the aufschalten/abschalten positions step the traction level.
    void advance(double seconds);

    const std::vector<Lever>& levers() const { return m_levers; }
    CabKind kind() const { return m_options.kind; }
    bool breaker() const { return m_breaker; }
    // 101: the demand (1..8) on a demand notch, else the level 0..8; 103: the notch;
    // tap-changer: the step 0..20.
    int traction() const;
    CabControls controls() const;
    // "final Fahrschalter=N ... breaker=ein traction=N".
    std::string finalLine() const;
    // What happened since the last call; taken out.
    std::vector<CabEvent> takeEvents();

    static constexpr double kTapInterval = 0.5;

private:
    void set(size_t lever, int notch);
    void step(size_t lever, int up);
    void enterPowerNotch(int from);
    bool tapping(int& delta) const;
    void setLevel(int level);
    int maxTraction() const;

    CabOptions m_options;
    std::vector<Lever> m_levers;
    bool m_breaker = true;
    int m_level = 0; // the tap step, or the 101's level outside the demand notches
    double m_tapTime = 0;
    double m_brake = 0; // held through Abschluss
    std::vector<CabEvent> m_events;
};

} // namespace standin
