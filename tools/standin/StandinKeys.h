#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The stand-in's keyboard: which virtual-key code each key setting "T0"-"T34" holds and
// what the stand-in does when it receives that key.
namespace standin {

enum class Action {
    None,
    FahrschalterAuf,
    FahrschalterAb,
    FahrschalterNull,
    Hauptschalter,
    PzbWachsam,
    PzbFrei,
    PzbBefehl,
    Sifa,
    Sand,
    Pfeife,
    DynBremseAuf,
    DynBremseAb,
    DynBremseNull,
    BremsventilLoesen,
    BremsventilBremsen,
    Signalzoom,
    AfbAuf,
    AfbAb,
    AfbNull,
    AfbEinAus,
    ZusatzbremseLoesen,
    ZusatzbremseBremsen,
    Magnetbremse,
    Motor,
    Glocke,
    Tueren,
    Schleuderschutz,
    RichtungVor,
    RichtungZurueck,
    Luefter,
    Licht,
    Block,
};

struct KeySetting {
    int index;          // n of the registry value "Tn"
    int32_t virtualKey; // decimal virtual-key code published for it
    Action action;
    std::string_view text; // what the stand-in shows for it
};

inline constexpr int kKeySettings = 35;

// All of "T0"-"T34" in index order; every key code is distinct.
const std::array<KeySetting, kKeySettings>& keySettings();

// What the received key does; Action::None for a key without a setting.
Action actionForKey(int32_t virtualKey);
std::string_view actionText(Action action);

// The virtual-key code of an X keysym as the program's X11 backend would have sent it:
// the first code whose keysyms hold it. 0 for a keysym no code stands for.
int32_t virtualKeyForKeysym(unsigned long keysym);

} // namespace standin
