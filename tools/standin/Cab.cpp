#include "Cab.h"

#include "sim/zusi3/Zusi3Messages.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

namespace standin {

using namespace kordan::zusi3;

namespace {

// Kombischalterfunktionen.
enum Function : uint16_t {
    Fahrstufe = 0x01,
    FahrstufeSchnellaus = 0x02,
    FahrstufeAuf = 0x03,
    FahrstufeKonstant = 0x04,
    FahrstufeAb = 0x05,
    AfbStufe = 0x0B,
    ZugkraftAbsolut = 0x10,
    ZugkraftSchnellaus = 0x11,
    ZugkraftAuf = 0x12,
    ZugkraftKonstant = 0x13,
    ZugkraftAb = 0x14,
    HllFuellen = 0x15,
    HllStufe = 0x16,
    HllAbschluss = 0x17,
    HllFahrstellung = 0x18,
    HllSchnellbremsung = 0x19,
    ZbvLoesen = 0x1B,
    ZbvMittel = 0x1C,
    ZbvBremsen = 0x1D,
    RischaV = 0x23,
    RischaM = 0x24,
    Rischa0 = 0x25,
    RischaR = 0x26,
    HauptschalterAus = 0x31,
    HauptschalterNull = 0x32,
    HauptschalterEin = 0x33,
};

// Tastaturkommandos a lever acts on; every other one is ignored on a combined lever.
constexpr uint16_t kFahrschalterGrundstellung = 0x05;
constexpr uint16_t kAfbGrundstellung = 0x13;
constexpr uint16_t kHauptschalterEinDown = 0x4F;
constexpr uint16_t kHauptschalterEinUp = 0x50;
constexpr uint16_t kHauptschalterAusDown = 0x51;
constexpr uint16_t kHauptschalterAusUp = 0x52;

constexpr int kRegulatedSteps = 6; // of the brake valve, strongest first

Lever lever(const char* name, uint16_t zuordnung, std::vector<uint16_t> functions, int centre,
            int start) {
    return Lever{name, zuordnung, std::move(functions), centre, start, start};
}

std::vector<uint16_t> repeated(uint16_t function, int count) {
    return std::vector<uint16_t>(size_t(count), function);
}

Lever powerLever(CabKind kind) {
    switch (kind) {
    case CabKind::Br103:
        return lever("Fahrschalter", 0x01, repeated(Fahrstufe, 41), 0, 0);
    case CabKind::Tap:
        return lever("Fahrschalter", 0x01,
                     {FahrstufeSchnellaus, FahrstufeAb, FahrstufeKonstant, FahrstufeAuf}, 2, 2);
    case CabKind::Br101:
        break;
    }
    std::vector<uint16_t> f{ZugkraftSchnellaus, ZugkraftAb, ZugkraftKonstant, ZugkraftAuf};
    f.insert(f.end(), 8, ZugkraftAbsolut);
    return lever("Fahrschalter", 0x01, std::move(f), 2, 2);
}

Lever brakeValve(bool reversed) {
    std::vector<uint16_t> f{HllSchnellbremsung};
    f.insert(f.end(), kRegulatedSteps, HllStufe);
    f.insert(f.end(), {HllAbschluss, HllFahrstellung, HllFuellen});
    if (reversed) {
        std::reverse(f.begin(), f.end());
        return lever("Führerbremsventil", 0x04, std::move(f), 1, 1);
    }
    return lever("Führerbremsventil", 0x04, std::move(f), 8, 8);
}

} // namespace

Cab::Cab(const CabOptions& options, int afbSteps) : m_options(options) {
    m_levers = {
        powerLever(options.kind),
        brakeValve(options.reverseBrakeValve),
        lever("Zusatzbremsventil", 0x05, {ZbvBremsen, ZbvMittel, ZbvLoesen}, 1, 2),
        lever("Richtungsschalter", 0x07, {RischaR, Rischa0, RischaM, RischaV}, 1, 1),
        lever("Hauptschalter", 0x11, {HauptschalterAus, HauptschalterNull, HauptschalterEin}, 1, 1),
    };
    if (afbSteps > 0)
        m_levers.push_back(lever("AFB", 0x03, repeated(AfbStufe, afbSteps + 1), 0, 0));
}

void Cab::reset() {
    for (Lever& l : m_levers)
        l.notch = l.start;
    m_breaker = true;
    m_level = 0;
    m_tapTime = 0;
    m_brake = 0;
    m_events.clear();
}

bool Cab::input(uint16_t zuordnung, uint16_t kommando, uint16_t aktion, int32_t position) {
    const auto it = std::find_if(m_levers.begin(), m_levers.end(),
                                 [&](const Lever& l) { return l.zuordnung == zuordnung; });
    if (it == m_levers.end())
        return false;
    const size_t i = size_t(it - m_levers.begin());
    const int before = traction();
    // Special functions are the Kommandos without Down/Up in their name; they ignore the
    // Aktion. For every other Kommando the Aktion alone decides.
    if ((i == Fahrschalter && kommando == kFahrschalterGrundstellung) ||
        (i == Afb && kommando == kAfbGrundstellung)) {
        set(i, it->centre);
    } else if (i == Hauptschalter && aktion == AktionDefault) {
        if (kommando == kHauptschalterEinDown)
            set(i, it->notch + 1); // "ein" is the highest notch
        else if (kommando == kHauptschalterAusDown)
            set(i, it->notch - 1);
        else if (kommando == kHauptschalterEinUp || kommando == kHauptschalterAusUp)
            set(i, it->centre);
    } else {
        switch (aktion) {
        case AktionAufDown:
            step(i, 1);
            break;
        case AktionAbDown:
            step(i, -1);
            break;
        case AktionAufUp:
        case AktionAbUp:
            if (i == Hauptschalter) // springs back when let go
                set(i, it->centre);
            break;
        case AktionAbsolut:
            if (i == Fuehrerbremsventil && m_options.absoluteFbvBug)
                m_events.push_back({CabEvent::Angleicher, i, 0});
            else // clamped first: a wild position is one move, never a walk
                set(i, std::clamp(position, 0, it->highest()));
            break;
        default:
            break;
        }
    }
    if (traction() != before)
        m_events.push_back({CabEvent::Traction, 0, traction()});
    return true;
}

void Cab::step(size_t i, int up) {
    set(i, m_levers[i].notch + (m_options.reverseSteps ? -up : up));
}

void Cab::set(size_t i, int notch) {
    Lever& l = m_levers[i];
    notch = std::clamp(notch, 0, l.highest());
    if (notch == l.notch)
        return;
    const int from = l.notch;
    l.notch = notch;
    m_events.push_back({CabEvent::Moved, i, notch});
    switch (l.function()) {
    case HauptschalterEin:
    case HauptschalterAus:
        if (m_breaker != (l.function() == HauptschalterEin)) {
            m_breaker = !m_breaker;
            m_events.push_back({CabEvent::Breaker, i, m_breaker ? 1 : 0});
        }
        break;
    case HllStufe: {
        // The regulated positions count from the Schnellbremsung end: the first is the
        // strongest.
        const int schnell = m_options.reverseBrakeValve ? l.highest() : 0;
        m_brake = double(kRegulatedSteps + 1 - std::abs(notch - schnell)) / kRegulatedSteps;
        break;
    }
    case HllFahrstellung:
    case HllFuellen:
        m_brake = 0;
        break;
    default: // Abschluss holds the brake where it is
        break;
    }
    if (i == Fahrschalter)
        enterPowerNotch(from);
}

// The tap positions act on entering, and aufschalten/abschalten again every kTapInterval
// while the lever stays there (see advance).
void Cab::enterPowerNotch(int from) {
    const Lever& l = m_levers[Fahrschalter];
    if (m_options.kind == CabKind::Br103 || l.function() == ZugkraftAbsolut)
        return;
    if (m_levers[Fahrschalter].functions[size_t(from)] == ZugkraftAbsolut)
        m_level = 0; // leaving the demand ends it
    m_tapTime = 0;
    int delta = 0;
    if (l.function() == FahrstufeSchnellaus || l.function() == ZugkraftSchnellaus)
        setLevel(0);
    else if (tapping(delta))
        setLevel(m_level + delta);
}

bool Cab::tapping(int& delta) const {
    switch (m_levers[Fahrschalter].function()) {
    case FahrstufeAuf:
    case ZugkraftAuf:
        delta = 1;
        return true;
    case FahrstufeAb:
    case ZugkraftAb:
        delta = -1;
        return true;
    default:
        return false;
    }
}

void Cab::setLevel(int level) {
    m_level = std::clamp(level, 0, maxTraction());
}

void Cab::advance(double seconds) {
    int delta = 0;
    if (!tapping(delta) || seconds <= 0)
        return;
    const int before = traction();
    m_tapTime += seconds;
    // A little slack, so that ticks adding up to the interval reach it.
    const double steps = std::floor((m_tapTime + 1e-9) / kTapInterval);
    m_tapTime = std::max(0.0, m_tapTime - steps * kTapInterval);
    setLevel(m_level + delta * int(std::min(steps, double(maxTraction()))));
    if (traction() != before)
        m_events.push_back({CabEvent::Traction, 0, traction()});
}

int Cab::maxTraction() const {
    switch (m_options.kind) {
    case CabKind::Br103:
        return m_levers[Fahrschalter].highest();
    case CabKind::Tap:
        return 20;
    case CabKind::Br101:
        break;
    }
    return 8;
}

int Cab::traction() const {
    const Lever& l = m_levers[Fahrschalter];
    if (m_options.kind == CabKind::Br103)
        return l.notch;
    if (l.function() == ZugkraftAbsolut)
        return l.notch - 3; // the first demand notch follows the four tap positions
    return m_level;
}

CabControls Cab::controls() const {
    CabControls c;
    c.traction = double(traction()) / maxTraction();
    const uint16_t valve = m_levers[Fuehrerbremsventil].function();
    c.emergency = valve == HllSchnellbremsung;
    c.brake = c.emergency ? 1.0 : m_brake;
    const uint16_t extra = m_levers[Zusatzbremsventil].function();
    c.extraBrake = extra == ZbvBremsen ? 1.0 : extra == ZbvMittel ? 0.5 : 0.0;
    c.breaker = m_breaker;
    switch (m_levers[Richtungsschalter].function()) {
    case RischaV:
    case RischaM:
        c.direction = 1;
        break;
    case RischaR:
        c.direction = -1;
        break;
    default:
        c.direction = 0;
    }
    c.afbLevel = m_levers.size() > Afb ? m_levers[Afb].notch : 0;
    return c;
}

std::string Cab::finalLine() const {
    std::string line = "final";
    for (size_t i = Fahrschalter; i <= Hauptschalter; ++i)
        line += " " + m_levers[i].name + "=" + std::to_string(m_levers[i].notch);
    line += m_breaker ? " breaker=ein" : " breaker=aus";
    return line + " traction=" + std::to_string(traction());
}

std::vector<CabEvent> Cab::takeEvents() {
    return std::exchange(m_events, {});
}

} // namespace standin
