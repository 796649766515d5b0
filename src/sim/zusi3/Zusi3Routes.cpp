#include "sim/zusi3/Zusi3Routes.h"

#include "send/Catalogue.h"
#include "send/CommandSender.h"
#include "send/ZusiSendKonstanten.h"
#include "sim/zusi3/Zusi3Messages.h"

#include <array>
#include <cstdlib>
#include <limits>

namespace kordan::zusi3 {

namespace {

namespace K = ZusiSendKonstanten;

// Clients differ on switches: one sends only the action (Down/Up) for a switch and only the
// command for a member of a group, as the interface's notes advise; another always sends
// both. The simulator is known to accept both; this picks the first.
constexpr bool kSendKommandoAndAktion = false;

// Tastaturzuordnung values.
enum : uint16_t {
    Fahrschalter = 0x01,
    DynBremse = 0x02,
    Afb = 0x03,
    Fbv = 0x04,
    Zbv = 0x05,
    Richtungsschalter = 0x07,
    Sander = 0x09,
    Tueren = 0x0A,
    Licht = 0x0B,
    Pfeife = 0x0C,
    Glocke = 0x0D,
    Luefter = 0x0E,
    Zugbeeinflussung = 0x0F,
    Sifa = 0x10,
    Hauptschalter = 0x11,
    Schleuderschutz = 0x13,
    MgBremse = 0x14,
};

// CONTROL nodes.
constexpr uint16_t kControlPause = 0x01, kControlZeitsprung = 0x07, kControlZeitraffer = 0x08;

constexpr Route key() {
    return {.kind = RouteKind::Key};
}
constexpr Route none() {
    return {};
}
constexpr Route control(uint16_t node) {
    return {.kind = RouteKind::Control, .control = node};
}
constexpr Route composite() {
    return {.kind = RouteKind::Composite};
}
// The way a lever steps: Auf or Ab.
constexpr bool kAuf = false, kAb = true;
constexpr Route lever(uint16_t z, bool ab) {
    return {.kind = RouteKind::Input, .style = InputStyle::Lever, .zuordnung = z, .ab = ab};
}
constexpr Route special(uint16_t z, uint16_t k) {
    return {
        .kind = RouteKind::Input, .style = InputStyle::Function, .zuordnung = z, .kommandoDown = k};
}
constexpr Route sw(uint16_t z, uint16_t down, uint16_t up) {
    return {.kind = RouteKind::Input, .zuordnung = z, .kommandoDown = down, .kommandoUp = up};
}
constexpr Route group(uint16_t z, uint16_t down, uint16_t up) {
    return {.kind = RouteKind::Input,
            .style = InputStyle::Group,
            .zuordnung = z,
            .kommandoDown = down,
            .kommandoUp = up};
}

// Index = command code 0-45.
constexpr std::array<Route, K::KeyTableSize> kRoutes{{
    none(),                              // 0
    key(),                               // 1 Schummelfenster
    control(kControlPause),              // 2 Pause
    key(),                               // 3 Autopilot
    key(),                               // 4 Reiner Streckenblick
    key(),                               // 5 (no text)
    key(),                               // 6 Fahrplan
    key(),                               // 7 Info-Fenster
    control(kControlZeitraffer),         // 8 Zeitraffer
    control(kControlZeitsprung),         // 9 Zeitsprung bis Abfahrt
    key(),                               // 10 Signalzoom
    key(),                               // 11 Ansicht Führerstand
    key(),                               // 12 Ansicht Aussen vorne
    key(),                               // 13 Ansicht Aussen hinten
    lever(Fahrschalter, kAuf),           // 14 Fahrschalter auf
    lever(Fahrschalter, kAb),            // 15 Fahrschalter ab
    special(Fahrschalter, 0x05),         // 16 Fahrschalter null (Grundstellung)
    lever(DynBremse, kAuf),              // 17 Dyn Bremse auf
    lever(DynBremse, kAb),               // 18 Dyn Bremse ab
    special(DynBremse, 0x0C),            // 19 Dyn Bremse null (Grundstellung)
    lever(Afb, kAuf),                    // 20 AFB auf
    lever(Afb, kAb),                     // 21 AFB ab
    special(Afb, 0x13),                  // 22 AFB null (Grundstellung)
    group(Afb, 0x14, 0x15),              // 23 AFB ein/aus: AFBEinAus
    lever(Fbv, kAb),                     // 24 Bremsventil Bremsen: notch 0 brakes hardest
    lever(Fbv, kAuf),                    // 25 Bremsventil loesen
    lever(Zbv, kAb),                     // 26 Zusatzbremse bremsen
    lever(Zbv, kAuf),                    // 27 Zusatzbremse loesen
    sw(Pfeife, 0x45, 0x46),              // 28 Pfeife
    sw(Sifa, 0x39, 0x3A),                // 29 SiFa
    group(Zugbeeinflussung, 0x33, 0x34), // 30 PZB Wachsam
    group(Zugbeeinflussung, 0x35, 0x36), // 31 PZB Frei
    group(Zugbeeinflussung, 0x37, 0x38), // 32 PZB Befehl
    sw(Hauptschalter, 0, 0),             // 33 Hauptschalter ein/aus: by the reported state
    key(),                               // 34 Motor ein/aus: no group for it
    sw(Sander, 0x2F, 0x30),              // 35 Sand ein/aus
    sw(MgBremse, 0x25, 0x26),            // 36 Magnetbremse ein/aus
    composite(),                         // 37 Schnellbremsung
    sw(Glocke, 0x47, 0x48),              // 38 Glocke
    group(Tueren, 0x3B, 0x3C),           // 39 Türen: the door button
    sw(Schleuderschutz, 0x31, 0x32),     // 40 Schleuderschutz
    lever(Richtungsschalter, kAuf),      // 41 Fahrtrichtung vor
    lever(Richtungsschalter, kAb),       // 42 Fahrtrichtung zurück
    sw(Luefter, 0x49, 0x4A),             // 43 Fahrmotorenlüfter ein/aus
    sw(Licht, 0x43, 0x44),               // 44 Licht
    none(),                              // 45 Block, bis Strecke frei ist
}};

// The input of one key edge (pressed = Down, else Up); nullopt where the edge does nothing.
std::optional<Tastatureingabe> inputOf(const Route& r, bool pressed) {
    Tastatureingabe in{r.zuordnung, 0, AktionDefault, 0};
    const uint16_t kommando = pressed ? r.kommandoDown : r.kommandoUp;
    const uint16_t aktion = pressed ? AktionDown : AktionUp;
    switch (r.style) {
    case InputStyle::Switch:
        in.aktion = aktion;
        if (kSendKommandoAndAktion)
            in.kommando = kommando;
        break;
    case InputStyle::Group:
        in.kommando = kommando;
        if (kSendKommandoAndAktion)
            in.aktion = aktion;
        break;
    case InputStyle::Lever:
        in.aktion =
            r.ab ? (pressed ? AktionAbDown : AktionAbUp) : (pressed ? AktionAufDown : AktionAufUp);
        break;
    case InputStyle::Function:
        if (!pressed)
            return std::nullopt;
        in.kommando = r.kommandoDown;
        break;
    }
    return in;
}

void addEdge(std::vector<Node>& out, int32_t code, bool pressed) {
    const Route r = routeOf(code);
    if (r.kind == RouteKind::Control && pressed)
        out.push_back(controlToggleMessage(r.control));
    if (r.kind != RouteKind::Input)
        return;
    if (auto in = inputOf(r, pressed))
        out.push_back(inputMessage(*in));
}

} // namespace

Route routeOf(int32_t code) {
    if (const int32_t step = regulatorStepCode(code, 1))
        return kRoutes[static_cast<size_t>(step)];
    if (code < 0 || code > K::LetzterEinzelbefehl)
        return none();
    return kRoutes[static_cast<size_t>(code)];
}

std::vector<Node> messagesFor(int32_t code, int32_t befehl) {
    std::vector<Node> out;
    if (const int32_t step = regulatorStepCode(code, befehl)) {
        // The key path needs the count to fit 16 bits; the same bound keeps this finite.
        const int64_t n =
            std::min<int64_t>(std::llabs(befehl), std::numeric_limits<int16_t>::max());
        for (int64_t i = 0; i < n; ++i)
            addEdge(out, step, true);
        addEdge(out, step, false);
        return out;
    }
    if (code == K::Schnellbremsung)
        return out;
    if (befehl == Down || befehl == DownUp)
        addEdge(out, code, true);
    if (befehl == Up || befehl == DownUp)
        addEdge(out, code, false);
    return out;
}

} // namespace kordan::zusi3
