#include "send/win32/Win32SimWindow.h"

#include "send/Keystrokes.h"

#include <windows.h>

#include <array>

namespace kordan {

namespace {

// Window handles are 32-bit values even in 64-bit processes, so they survive the trip
// through WindowHandle; going back, they are sign-extended as Windows documents.
HWND toHwnd(WindowHandle window) {
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(window)));
}

WindowHandle fromHwnd(HWND window) {
    return static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(window));
}

// Keys whose scan codes carry the E0 prefix; SendInput needs the extended flag for them,
// or the number pad's twins arrive instead.
bool isExtendedKey(uint16_t vk) {
    switch (vk) {
    case VK_INSERT:
    case VK_DELETE:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_DIVIDE:
    case VK_NUMLOCK:
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_SNAPSHOT:
    case VK_CANCEL:
        return true;
    default:
        return false;
    }
}

KeyboardEvent keyEvent(uint16_t vk, bool up) {
    KeyboardEvent e;
    e.virtualKey = vk;
    e.scanCode = static_cast<uint16_t>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    e.flags = (up ? KEYEVENTF_KEYUP : 0u) | (isExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0u);
    return e;
}

void appendKey(std::vector<KeyboardEvent>& out, uint16_t vk, bool ctrl, bool shift, bool alt) {
    std::array<uint16_t, 3> modifiers{};
    size_t count = 0;
    if (ctrl)
        modifiers[count++] = VK_CONTROL;
    if (shift)
        modifiers[count++] = VK_SHIFT;
    if (alt)
        modifiers[count++] = VK_MENU;
    for (size_t i = 0; i < count; ++i)
        out.push_back(keyEvent(modifiers[i], false));
    out.push_back(keyEvent(vk, false));
    out.push_back(keyEvent(vk, true));
    for (size_t i = count; i-- > 0;)
        out.push_back(keyEvent(modifiers[i], true));
}

void appendUnicode(std::vector<KeyboardEvent>& out, char32_t c) {
    // Outside the basic plane a character goes as its two surrogates.
    std::array<uint16_t, 2> units{};
    size_t count = 0;
    if (c >= 0x10000) {
        const char32_t v = c - 0x10000;
        units[count++] = static_cast<uint16_t>(0xD800 + (v >> 10));
        units[count++] = static_cast<uint16_t>(0xDC00 + (v & 0x3FF));
    } else {
        units[count++] = static_cast<uint16_t>(c);
    }
    for (size_t i = 0; i < count; ++i) {
        out.push_back({0, units[i], KEYEVENTF_UNICODE});
        out.push_back({0, units[i], KEYEVENTF_UNICODE | KEYEVENTF_KEYUP});
    }
}

class Win32SimWindow : public ISimWindow {
public:
    WindowHandle foregroundWindow() override { return fromHwnd(GetForegroundWindow()); }

    std::string windowTitle(WindowHandle window) override {
        if (window == 0)
            return {};
        std::array<char, 256> buffer{};
        const int length = GetWindowTextA(toHwnd(window), buffer.data(), buffer.size());
        return length > 0 ? std::string(buffer.data(), static_cast<size_t>(length)) : std::string();
    }

    void postKey(WindowHandle window, uint32_t message, int32_t virtualKey) override {
        // Only the two key messages: any other number would reach the simulator as
        // whatever message it happens to be.
        if (message != WM_KEYDOWN && message != WM_KEYUP)
            return;
        PostMessageA(toHwnd(window), message, static_cast<WPARAM>(virtualKey), 0);
    }

    void typeKeys(const std::string& keys) override {
        const std::vector<KeyboardEvent> events = keyboardEventsFor(keys);
        if (events.empty())
            return;
        std::vector<INPUT> inputs(events.size());
        for (size_t i = 0; i < events.size(); ++i) {
            inputs[i].type = INPUT_KEYBOARD;
            inputs[i].ki.wVk = events[i].virtualKey;
            inputs[i].ki.wScan = events[i].scanCode;
            inputs[i].ki.dwFlags = events[i].flags;
        }
        // One call, so no key of the user's can slip in between modifier and key.
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }
};

} // namespace

std::vector<KeyboardEvent> keyboardEventsFor(std::string_view keys) {
    std::vector<KeyboardEvent> out;
    for (const KeyStroke& stroke : parseKeystrokes(keys)) {
        if (stroke.virtualKey != 0) {
            appendKey(out, static_cast<uint16_t>(stroke.virtualKey), stroke.ctrl, stroke.shift,
                      stroke.alt);
            continue;
        }
        // A character is typed as the key the current layout gives it, with the Shift,
        // Ctrl or Alt that layout needs on top of those the string asks for.
        const SHORT scan =
            stroke.character <= 0xFFFF ? VkKeyScanW(static_cast<WCHAR>(stroke.character)) : -1;
        if (scan == -1 || (scan & 0xFF) == 0xFF) {
            appendUnicode(out, stroke.character);
            continue;
        }
        const int needs = (scan >> 8) & 0xFF;
        appendKey(out, static_cast<uint16_t>(scan & 0xFF), stroke.ctrl || (needs & 2),
                  stroke.shift || (needs & 1), stroke.alt || (needs & 4));
    }
    return out;
}

bool win32WindowExists(WindowHandle window) {
    return window != 0 && IsWindow(toHwnd(window)) != FALSE;
}

std::unique_ptr<ISimWindow> makeWin32SimWindow() {
    return std::make_unique<Win32SimWindow>();
}

} // namespace kordan
