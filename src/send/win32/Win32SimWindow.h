#pragma once

#include "send/SimWindow.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace kordan {

// The simulator's window through the Windows window functions: the foreground window,
// its title (GetWindowTextA), key messages posted with PostMessageA and keystroke
// strings typed with SendInput into whatever window is active.
std::unique_ptr<ISimWindow> makeWin32SimWindow();

// True while the handle names a window (IsWindow).
bool win32WindowExists(WindowHandle window);

// One keyboard event of a typed keystroke string, as SendInput receives it.
struct KeyboardEvent {
    uint16_t virtualKey = 0;
    uint16_t scanCode = 0;
    uint32_t flags = 0; // KEYEVENTF_* bits

    bool operator==(const KeyboardEvent&) const = default;
};

// The events that type `keys` (notation of Keystrokes.h): for each key its modifiers
// down, the key down, the key up, the modifiers up, each with its scan code. A character
// the keyboard layout has no key for is typed as a Unicode character.
std::vector<KeyboardEvent> keyboardEventsFor(std::string_view keys);

} // namespace kordan
