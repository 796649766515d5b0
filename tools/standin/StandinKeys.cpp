#include "StandinKeys.h"

#include "send/x11/X11KeyMap.h"

#include <algorithm>

namespace standin {

namespace {

// Letters that name their function where one comes to mind; D, F and M stay free because
// the program types Ctrl+D, Ctrl+F and Ctrl+M for the views, and F2-F12 are fixed keys.
constexpr std::array<KeySetting, kKeySettings> kSettings{{
    {0, 'A', Action::FahrschalterAuf, "Fahrschalter auf"},
    {1, 'Y', Action::FahrschalterAb, "Fahrschalter ab"},
    {2, 'X', Action::FahrschalterNull, "Fahrschalter null"},
    {3, 'H', Action::Hauptschalter, "Hauptschalter"},
    {4, ' ', Action::PzbWachsam, "PZB Wachsam"},
    {5, 'E', Action::PzbFrei, "PZB Frei"},
    {6, 'B', Action::PzbBefehl, "PZB Befehl"},
    {7, 'S', Action::Sifa, "SiFa"},
    {8, 'N', Action::Sand, "Sand"},
    {9, 'P', Action::Pfeife, "Pfeife"},
    {10, 'J', Action::DynBremseAuf, "Dyn Bremse auf"},
    {11, 'K', Action::DynBremseAb, "Dyn Bremse ab"},
    {12, 'L', Action::DynBremseNull, "Dyn Bremse null"},
    {13, 'W', Action::BremsventilLoesen, "Bremsventil loesen"},
    {14, 'Q', Action::BremsventilBremsen, "Bremsventil bremsen"},
    {15, '5', Action::None, "(frei)"},
    {16, '6', Action::None, "(frei)"},
    {17, 'Z', Action::Signalzoom, "Signalzoom"},
    {18, 'I', Action::AfbAuf, "AFB auf"},
    {19, 'U', Action::AfbAb, "AFB ab"},
    {20, 'O', Action::AfbNull, "AFB null"},
    {21, 'C', Action::AfbEinAus, "AFB ein/aus"},
    {22, 'R', Action::ZusatzbremseLoesen, "Zusatzbremse loesen"},
    {23, 'T', Action::ZusatzbremseBremsen, "Zusatzbremse bremsen"},
    {24, 'G', Action::Magnetbremse, "Magnetbremse"},
    {25, 'V', Action::Motor, "Motor ein/aus"},
    {26, '7', Action::None, "(frei)"},
    {27, '1', Action::Glocke, "Glocke"},
    {28, '2', Action::Tueren, "Tueren"},
    {29, '3', Action::Schleuderschutz, "Schleuderschutz"},
    {30, 0x26, Action::RichtungVor, "Fahrtrichtung vor"},
    {31, 0x28, Action::RichtungZurueck, "Fahrtrichtung zurueck"},
    {32, '4', Action::Luefter, "Fahrmotorenluefter"},
    {33, '8', Action::Licht, "Licht"},
    {34, '9', Action::Block, "Block"},
}};

} // namespace

const std::array<KeySetting, kKeySettings>& keySettings() {
    return kSettings;
}

Action actionForKey(int32_t virtualKey) {
    for (const auto& s : kSettings)
        if (s.virtualKey == virtualKey)
            return s.action;
    return Action::None;
}

std::string_view actionText(Action action) {
    if (action == Action::None)
        return "";
    for (const auto& s : kSettings)
        if (s.action == action)
            return s.text;
    return "";
}

int32_t virtualKeyForKeysym(unsigned long keysym) {
    if (keysym == 0)
        return 0;
    // Upper-case letters arrive when Shift or Caps Lock is down; they are the same key.
    if (keysym >= 'A' && keysym <= 'Z')
        keysym += 'a' - 'A';
    for (int32_t vk = 1; vk < 256; ++vk) {
        const auto syms = kordan::keysymsForVirtualKey(vk);
        if (std::find(syms.begin(), syms.end(), keysym) != syms.end())
            return vk;
    }
    return 0;
}

} // namespace standin
