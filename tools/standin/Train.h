#pragma once

#include "StandinKeys.h"

#include <optional>
#include <string>
#include <vector>

// The stand-in's train: a handful of controls set by received keys and a speed and
// position integrated from them. Plausible, not faithful.
namespace standin {

// A demo locomotive; `path` is its file relative to the simulator's directory and must
// match the file shipped in demo/zusi.
struct DemoLoco {
    std::string name;         // shown in the combo box and accepted by --loco
    std::string path;         // e.g. "Loks\\Elektrisch\\BR 101.lok"
    std::string fahrschalter; // "Auf/Ab", "Standard" or "Kombihebel"
    int notches = 0;          // master-controller notches
    int dynSteps = 0;         // steps of the electric or hydrodynamic brake
    int afbSteps = 0;         // speed-control steps; 0 = no speed control
    int brakeSteps = 0;       // service positions of the brake valve
    double powerKw = 0;
    double massT = 0;
    double vmaxKmh = 0;
};

// The levers of the TCP interface's cab, which take the place of the stepping keys for
// traction, the air brakes, the main breaker, the direction and the speed control.
struct CabControls {
    double traction = 0;    // share of full power, 0..1
    double brake = 0;       // automatic brake, share of full service braking, 0..1
    bool emergency = false; // Schnellbremsung
    double extraBrake = 0;  // independent brake, 0..1
    bool breaker = true;
    int direction = 0; // 1 forward, -1 backward, 0 neutral (no traction)
    int afbLevel = 0;
};

const std::vector<DemoLoco>& demoLocos();
// The demo locomotive called `name` (its name or its file name without extension, case
// ignored); nullptr when there is none.
const DemoLoco* findDemoLoco(const std::string& name);

class Train {
public:
    explicit Train(const DemoLoco& loco);

    // Changes the locomotive; the train stops where it is and every control goes back to
    // its rest position.
    void setLoco(const DemoLoco& loco);
    const DemoLoco& loco() const { return m_loco; }

    // A key of `action` went down or up. Stepping controls step once per down; a key
    // held longer than kRepeatDelay steps on every kRepeatInterval (see advance).
    void keyDown(Action action);
    void keyUp(Action action);

    // From now on these levers drive the train instead of the keys of the same controls.
    // The direction changes only at a stand, as with the keys.
    void setCab(const CabControls& controls);

    // Lets `seconds` pass: held keys repeat, speed and position follow the controls.
    void advance(double seconds);

    int notch() const { return m_notch; } // negative: dynamic brake of a combined lever
    int dynBrake() const { return m_notch < 0 ? -m_notch : m_dyn; }
    int brake() const { return m_brake; } // 0 = released .. brakeSteps; above = emergency
    bool emergency() const { return m_brake > m_loco.brakeSteps; }
    int extraBrake() const { return m_extra; }
    bool afbOn() const { return m_afbOn; }
    int afbLevel() const { return m_afbLevel; }
    double afbTargetKmh() const;
    bool mainSwitch() const { return m_cab ? m_cab->breaker : m_mainSwitch; }
    bool engine() const { return m_engine; }
    bool magnet() const { return m_magnet; }
    int direction() const { return m_direction; }
    bool horn() const { return m_horn; }
    // The Sifa or PZB key held down now; None when none is.
    Action safetyKey() const { return m_safetyKey; }
    double speedKmh() const { return m_speed * 3.6; }
    double km() const { return m_km; }
    // One line on the controls, for the window.
    std::string status() const;

    static constexpr double kRepeatDelay = 0.5;
    static constexpr double kRepeatInterval = 0.25;
    static constexpr int kExtraSteps = 5;

private:
    void step(Action action, bool repeated);
    void clamp();

    DemoLoco m_loco;
    int m_notch = 0;
    int m_dyn = 0;
    int m_brake = 0;
    int m_extra = 0;
    bool m_afbOn = true;
    int m_afbLevel = 0;
    bool m_mainSwitch = true;
    bool m_engine = true;
    bool m_magnet = false;
    bool m_horn = false;
    Action m_safetyKey = Action::None;
    int m_direction = 1;
    double m_speed = 0; // m/s, never negative; the direction says which way
    double m_km = 12.0;
    std::optional<CabControls> m_cab;
    // The one held stepping key and how long it has been down.
    Action m_held = Action::None;
    double m_heldFor = 0;
    double m_nextRepeat = 0;
};

} // namespace standin
