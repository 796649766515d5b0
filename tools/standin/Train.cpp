#include "Train.h"

#include "common/WinePaths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace standin {

namespace {

bool isStepping(Action a) {
    switch (a) {
    case Action::FahrschalterAuf:
    case Action::FahrschalterAb:
    case Action::DynBremseAuf:
    case Action::DynBremseAb:
    case Action::BremsventilLoesen:
    case Action::BremsventilBremsen:
    case Action::AfbAuf:
    case Action::AfbAb:
    case Action::ZusatzbremseLoesen:
    case Action::ZusatzbremseBremsen:
        return true;
    default:
        return false;
    }
}

std::string stem(const std::string& path) {
    std::string name = path.substr(path.find_last_of('\\') + 1);
    return name.substr(0, name.find_last_of('.'));
}

} // namespace

const std::vector<DemoLoco>& demoLocos() {
    // Kept in step with the files in demo/zusi/Loks (a test compares them).
    static const std::vector<DemoLoco> locos{
        {"E 10", "Loks\\Elektrisch\\E 10.lok", "Auf/Ab", 28, 0, 0, 7, 3700, 86, 150},
        {"BR 111", "Loks\\Elektrisch\\BR 111.lok", "Auf/Ab", 28, 10, 16, 7, 3700, 83, 160},
        {"BR 101", "Loks\\Elektrisch\\BR 101.lok", "Standard", 20, 10, 23, 3, 6400, 87, 220},
        {"BR 218", "Loks\\Diesel\\BR 218.lok", "Kombihebel", 15, 6, 0, 7, 1840, 79, 140},
    };
    return locos;
}

const DemoLoco* findDemoLoco(const std::string& name) {
    for (const auto& l : demoLocos())
        if (kordan::equalsIgnoringCase(l.name, name) ||
            kordan::equalsIgnoringCase(stem(l.path), name))
            return &l;
    return nullptr;
}

Train::Train(const DemoLoco& loco) : m_loco(loco) {}

void Train::setLoco(const DemoLoco& loco) {
    const double km = m_km;
    *this = Train(loco);
    m_km = km;
}

double Train::afbTargetKmh() const {
    return m_loco.afbSteps > 0 ? m_loco.vmaxKmh * m_afbLevel / m_loco.afbSteps : 0.0;
}

void Train::keyDown(Action action) {
    step(action, false);
    if (isStepping(action)) {
        m_held = action;
        m_heldFor = 0;
        m_nextRepeat = kRepeatDelay;
    }
}

void Train::keyUp(Action action) {
    if (action == m_held)
        m_held = Action::None;
    if (action == Action::Pfeife)
        m_horn = false;
    if (action == m_safetyKey)
        m_safetyKey = Action::None;
}

void Train::step(Action action, bool repeated) {
    const bool combined = m_loco.fahrschalter == "Kombihebel";
    switch (action) {
    case Action::FahrschalterAuf:
        ++m_notch;
        break;
    case Action::FahrschalterAb:
        --m_notch;
        break;
    case Action::FahrschalterNull:
        m_notch = 0;
        break;
    case Action::DynBremseAuf:
        if (combined)
            --m_notch; // the dynamic brake is the lever's lower half
        else
            ++m_dyn;
        break;
    case Action::DynBremseAb:
        if (combined)
            ++m_notch;
        else
            --m_dyn;
        break;
    case Action::DynBremseNull:
        if (combined)
            m_notch = std::max(m_notch, 0);
        m_dyn = 0;
        break;
    case Action::BremsventilBremsen:
        ++m_brake;
        break;
    case Action::BremsventilLoesen:
        // Out of an emergency application the valve comes back to full service first.
        m_brake = std::min(m_brake, m_loco.brakeSteps) - 1;
        break;
    case Action::AfbAuf:
        ++m_afbLevel;
        break;
    case Action::AfbAb:
        --m_afbLevel;
        break;
    case Action::AfbNull:
        m_afbLevel = 0;
        break;
    case Action::AfbEinAus:
        m_afbOn = !m_afbOn;
        break;
    case Action::ZusatzbremseBremsen:
        ++m_extra;
        break;
    case Action::ZusatzbremseLoesen:
        --m_extra;
        break;
    case Action::Hauptschalter:
        m_mainSwitch = !m_mainSwitch;
        break;
    case Action::Motor:
        m_engine = !m_engine;
        break;
    case Action::Magnetbremse:
        m_magnet = !m_magnet;
        break;
    case Action::Pfeife:
        m_horn = !repeated;
        break;
    case Action::Sifa:
    case Action::PzbWachsam:
    case Action::PzbFrei:
    case Action::PzbBefehl:
        m_safetyKey = action;
        break;
    case Action::RichtungVor:
    case Action::RichtungZurueck:
        if (m_speed < 0.1) // reversing only at a stand
            m_direction = action == Action::RichtungVor ? 1 : -1;
        break;
    default:
        break;
    }
    clamp();
}

void Train::clamp() {
    const bool combined = m_loco.fahrschalter == "Kombihebel";
    m_notch = std::clamp(m_notch, combined ? -m_loco.dynSteps : 0, m_loco.notches);
    m_dyn = std::clamp(m_dyn, 0, combined ? 0 : m_loco.dynSteps);
    // One position above the service range is the emergency application: ten presses of
    // "brake" always reach it.
    m_brake = std::clamp(m_brake, 0, m_loco.brakeSteps + 1);
    m_afbLevel = std::clamp(m_afbLevel, 0, m_loco.afbSteps);
    m_extra = std::clamp(m_extra, 0, kExtraSteps);
}

void Train::setCab(const CabControls& controls) {
    m_cab = controls;
    m_afbLevel = std::clamp(controls.afbLevel, 0, m_loco.afbSteps);
    if (controls.direction != 0 && m_speed < 0.1)
        m_direction = controls.direction;
}

void Train::advance(double seconds) {
    if (seconds <= 0)
        return;
    if (m_held != Action::None) {
        m_heldFor += seconds;
        while (m_held != Action::None && m_heldFor >= m_nextRepeat) {
            step(m_held, true);
            m_nextRepeat += kRepeatInterval;
        }
    }

    const double v = m_speed;
    const double massKg = m_loco.massT * 1000.0;
    const bool powered = mainSwitch() && m_engine;
    // Traction: the notch's share of the power, limited by adhesion at low speed.
    double traction = 0;
    const bool afbActive = m_afbOn && m_afbLevel > 0 && m_loco.afbSteps > 0;
    double share = m_loco.notches > 0 ? std::max(m_notch, 0) / double(m_loco.notches) : 0;
    if (m_cab)
        share = std::clamp(m_cab->traction, 0.0, 1.0);
    if (afbActive) {
        const double diff = afbTargetKmh() - v * 3.6;
        share = std::clamp(diff / 5.0, 0.0, 1.0);
    }
    // No traction in neutral, against a direction that cannot change yet, or while the
    // emergency brake acts.
    if (m_cab && (m_cab->direction != m_direction || m_cab->emergency))
        share = 0;
    if (powered && share > 0) {
        const double adhesion = 0.3 * massKg * 9.81;
        traction = std::min(adhesion, m_loco.powerKw * 1000.0 / std::max(v, 1.0)) * share;
    }
    if (v * 3.6 >= m_loco.vmaxKmh)
        traction = 0;
    // Decelerations in m/s².
    double dyn = 0;
    const int dynSteps = m_loco.dynSteps;
    if (dynSteps > 0) {
        const int level = m_notch < 0 ? -m_notch : m_dyn;
        dyn = 0.6 * level / dynSteps;
    }
    if (afbActive && v * 3.6 > afbTargetKmh() + 2)
        dyn = std::max(dyn, 0.4);
    double air = emergency() ? 1.3 : 0.9 * m_brake / std::max(1, m_loco.brakeSteps);
    double extra = 0.8 * m_extra / kExtraSteps;
    if (m_cab) {
        air = m_cab->emergency ? 1.3 : 0.9 * std::clamp(m_cab->brake, 0.0, 1.0);
        extra = 0.8 * std::clamp(m_cab->extraBrake, 0.0, 1.0);
    }
    const double magnet = m_magnet ? 1.0 : 0.0;
    const double kmh = v * 3.6;
    const double resistance = 0.01 + 0.00002 * kmh * kmh;
    const double braking = dyn + air + extra + magnet + resistance;

    double next = v + (traction / massKg) * seconds;
    next = std::max(0.0, next - braking * seconds);
    m_km += m_direction * (v + next) / 2.0 * seconds / 1000.0;
    m_speed = next;
}

std::string Train::status() const {
    char text[160];
    std::snprintf(text, sizeof text,
                  "Stufe %d  E-Bremse %d  Bremse %d%s  Zusatzbremse %d  AFB %s %.0f", m_notch,
                  m_notch < 0 ? -m_notch : m_dyn, m_brake, emergency() ? " (Schnellbremsung)" : "",
                  m_extra, m_afbOn ? "ein" : "aus", afbTargetKmh());
    return text;
}

} // namespace standin
