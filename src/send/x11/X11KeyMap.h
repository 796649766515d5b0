#pragma once

#include <cstdint>
#include <vector>

namespace kordan {

// The X keysyms that stand for a Windows virtual-key code, best first: the key's
// unshifted symbol on a German keyboard, then the symbol the same code has on a US one
// (Wine gives the punctuation keys their codes by the keyboard layout in use). Covers
// what a simulator key setting can hold: letters, digits, F1-F24, the number pad, cursor
// and editing keys, Space, Return, Tab, Escape, Backspace, punctuation and modifiers.
// Empty for a code without a key.
std::vector<unsigned long> keysymsForVirtualKey(int32_t virtualKey);

} // namespace kordan
