#include "send/Catalogue.h"

#include "send/ZusiSendKonstanten.h"

#include <array>

namespace kordan {

namespace K = ZusiSendKonstanten;

namespace {

struct SingleCommand {
    std::string_view text;
    std::string_view setting; // keyboard setting the key is read from, or ""
};

// Index = command code 0-45.
constexpr std::array<SingleCommand, K::KeyTableSize> kSingle{{
    {"", ""},
    {"Schummelfenster", ""},
    {"Pause", ""},
    {"Autopilot", ""},
    {"Reiner Streckenblick", ""},
    {"", ""},
    {"Fahrplan", ""},
    {"Info-Fenster", ""},
    {"Zeitraffer", ""},
    {"Zeitsprung bis Abfahrt", ""},
    {"Signalzoom", "T17"},
    {"Ansicht F\u00fchrerstand", ""},
    {"Ansicht Aussen vorne", ""},
    {"Ansicht Aussen hinten", ""},
    {"Fahrschalter auf", "T0"},
    {"Fahrschalter ab", "T1"},
    {"Fahrschalter null", "T2"},
    {"Dyn Bremse auf", "T10"},
    {"Dyn Bremse ab", "T11"},
    {"Dyn Bremse null", "T12"},
    {"AFB auf", "T18"},
    {"AFB ab", "T19"},
    {"AFB null", "T20"},
    {"AFB ein/aus", "T21"},
    {"Bremsventil Bremsen", "T14"},
    {"Bremsventil loesen", "T13"},
    {"Zusatzbremse bremsen", "T23"},
    {"Zusatzbremse loesen", "T22"},
    {"Pfeife", "T9"},
    {"SiFa", "T7"},
    {"PZB Wachsam", "T4"},
    {"PZB Frei", "T5"},
    {"PZB Befehl", "T6"},
    {"Hauptschalter ein/aus", "T3"},
    {"Motor ein/aus", "T25"},
    {"Sand ein/aus", "T8"},
    {"Magnetbremse ein/aus", "T24"},
    {"Schnellbremsung", ""},
    {"Glocke", "T27"},
    {"T\u00fcren", "T28"},
    {"Schleuderschutz", "T29"},
    {"Fahrtrichtung vor", "T30"},
    {"Fahrtrichtung zur\u00fcck", "T31"},
    {"Fahrmotorenl\u00fcfter ein/aus", "T32"},
    {"Licht", "T33"},
    {"Block, bis Strecke frei ist", "T34"},
}};

struct RegulatorCommand {
    std::string_view text;
    int32_t positive; // single command for a count > 0
    int32_t negative; // single command for a count < 0
};

constexpr std::array<RegulatorCommand, 4> kRegulator{{
    {"Regelbereich Fahrschalter", K::FahrschalterAuf, K::FahrschalterAb},
    {"Regelbereich E/H-Bremse", K::DynBremseAuf, K::DynBremseAb},
    {"Regelbereich Bremse", K::BremsventilBremsen, K::BremsventilLoesen},
    {"Regelbereich AFB", K::AfbAuf, K::AfbAb},
}};

// The order in which the key table reads the settings; it decides nothing but is kept so
// that registry traffic looks the same as always.
constexpr std::array<int32_t, 32> kSettingOrder{
    14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 10, 28,
    29, 30, 31, 32, 33, 34, 35, 36, 38, 39, 40, 41, 42, 43, 44, 45,
};

bool isSingle(int32_t code) {
    return code >= 0 && code <= K::LetzterEinzelbefehl;
}
bool isRegulator(int32_t code) {
    return code >= K::ErsterRegelbefehl && code <= K::LetzterRegelbefehl;
}

} // namespace

bool isDeliverableCode(int32_t code) {
    return isSingle(code) || isRegulator(code);
}

Delivery deliveryOf(int32_t code) {
    if (isRegulator(code))
        return Delivery::Regulator;
    if (!isSingle(code))
        return Delivery::None;
    if (code == K::Schnellbremsung)
        return Delivery::Composite;
    if (!keystrokeString(code).empty())
        return Delivery::Keystrokes;
    return Delivery::KeyMessage;
}

std::string befehlstext(int32_t code) {
    if (isSingle(code))
        return std::string(kSingle[static_cast<size_t>(code)].text);
    if (isRegulator(code))
        return std::string(kRegulator[static_cast<size_t>(code - K::ErsterRegelbefehl)].text);
    return {};
}

std::string_view keystrokeString(int32_t code) {
    switch (code) {
    case K::Schummelfenster:
        return "^{F8}";
    case K::AnsichtFuehrerstand:
        return "^m";
    case K::AnsichtAussenVorne:
        return "^f";
    case K::AnsichtAussenHinten:
        return "^d";
    default:
        return {};
    }
}

std::string_view keySettingName(int32_t code) {
    return isSingle(code) ? kSingle[static_cast<size_t>(code)].setting : std::string_view{};
}

std::span<const int32_t> keySettingCodes() {
    return kSettingOrder;
}

int32_t fixedKeyCode(int32_t code) {
    switch (code) {
    case K::Schummelfenster:
    case K::AnsichtFuehrerstand:
    case K::AnsichtAussenVorne:
    case K::AnsichtAussenHinten:
        return 255;
    case K::Pause:
        return 113; // F2
    case K::Autopilot:
        return 114; // F3
    case K::ReinerStreckenblick:
        return 115; // F4
    case K::OhneText:
        return 117; // F6
    case K::Fahrplan:
        return 118; // F7
    case K::InfoFenster:
        return 123; // F12
    case K::Zeitraffer:
        return 120; // F9
    case K::ZeitsprungBisAbfahrt:
        return 122; // F11
    default:
        return 0;
    }
}

int32_t regulatorStepCode(int32_t code, int64_t count) {
    if (!isRegulator(code) || count == 0)
        return 0;
    const auto& r = kRegulator[static_cast<size_t>(code - K::ErsterRegelbefehl)];
    return count > 0 ? r.positive : r.negative;
}

} // namespace kordan
