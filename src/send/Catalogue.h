#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The command catalogue: for every command code its display text and the way it reaches
// the simulator. ZusiSend carries the commands out; the editors list the texts.
namespace kordan {

enum class Delivery {
    None,       // no meaning (0 and every code outside the catalogue)
    KeyMessage, // key-down/key-up message with the code's key-table entry
    Keystrokes, // a keystroke string, typed on Down or DownUp only
    Composite,  // the emergency brake: ten Down of code 24, Up six ticks later
    Regulator,  // a signed notch count stepping a single command
};

// True for the codes the delivery accepts: 0-45 and 1000-1003.
bool isDeliverableCode(int32_t code);

// How the code is delivered. Code 0 counts as a key message, as the delivery treats it.
Delivery deliveryOf(int32_t code);

// The German display text; "" for every code without one (0, 5, negatives, 46-999,
// above 1003). UTF-8.
std::string befehlstext(int32_t code);

// The keystroke string of codes 1, 11, 12 and 13; "" for every other code.
std::string_view keystrokeString(int32_t code);

// The simulator keyboard setting ("T0"...) a code's key is read from; "" for codes whose
// key is fixed or that have none.
std::string_view keySettingName(int32_t code);

// The codes whose key comes from a setting, in the order the key table reads them.
std::span<const int32_t> keySettingCodes();

// The fixed key-table entry of codes 1-13 (255 marks the keystroke commands, which are
// never sent as key messages); 0 for every other code.
int32_t fixedKeyCode(int32_t code);

// The single command a regulator code steps with a positive or negative count; 0 when
// `code` is no regulator code or the count is 0.
int32_t regulatorStepCode(int32_t code, int64_t count);

} // namespace kordan
