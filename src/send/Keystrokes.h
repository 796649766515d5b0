#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kordan {

// One key of a keystroke string, with the modifiers held while it is typed.
struct KeyStroke {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    // A named key as a Windows virtual-key code, or 0 when `character` is typed instead.
    int32_t virtualKey = 0;
    // A character typed as the key that produces it (Unicode code point).
    char32_t character = 0;

    bool operator==(const KeyStroke&) const = default;
};

// Splits a keystroke string into keys. Notation: "^" Ctrl, "+" Shift, "%" Alt for the
// next key or the next group "(...)"; "{NAME}" a named key (F1-F24, ENTER, TAB, ESC,
// BACKSPACE, DELETE, INSERT, HOME, END, PGUP, PGDN, UP, DOWN, LEFT, RIGHT, ... in any
// case), "{NAME n}" that key n times, "{x}" the character x itself (so "{+}" types a
// plus), "~" Enter, any other character its own key. The text is UTF-8. Unknown names
// and unbalanced braces or brackets are skipped rather than guessed at.
std::vector<KeyStroke> parseKeystrokes(std::string_view keys);

// The virtual-key code of a key name as used inside braces ("F8", "enter"); 0 if unknown.
int32_t namedKeyCode(std::string_view name);

// A virtual key as a German keyboard labels it ("F8", "A", "Num 5", "Bild ab"); keys
// without a plain label as "Code 186".
std::string virtualKeyName(int32_t virtualKey);
// A keystroke string as the keys to press: "^{F8}" is "Strg+F8".
std::string keystrokesText(std::string_view keys);

} // namespace kordan
