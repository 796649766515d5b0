#include "send/win32/Win32SimWindow.h"
#include "send/ZusiSend.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace kordan {
namespace {

// A key message as the window procedure saw it.
struct ReceivedKey {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool operator==(const ReceivedKey&) const = default;
};
ReceivedKey down(WPARAM vk) {
    return {WM_KEYDOWN, vk, 0};
}
ReceivedKey up(WPARAM vk) {
    return {WM_KEYUP, vk, 0};
}

std::vector<ReceivedKey> g_keys; // what the recording window got

// Handles messages until `count` keys have arrived or `timeoutMs` has passed.
void pumpUntil(size_t count = 0, DWORD timeoutMs = 0) {
    for (const ULONGLONG end = GetTickCount64() + timeoutMs;;) {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);)
            TranslateMessage(&msg), DispatchMessageW(&msg);
        if (g_keys.size() >= count || GetTickCount64() >= end)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

LRESULT CALLBACK recordKeys(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
        message == WM_SYSKEYUP)
        g_keys.push_back({message, wParam, lParam});
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A visible top-level window of this thread that records every key message it gets.
struct RecordingWindow {
    explicit RecordingWindow(const char* title) {
        static const WNDCLASSW wc{0,       &recordKeys, 0,       0,       GetModuleHandleW(nullptr),
                                  nullptr, nullptr,     nullptr, nullptr, L"KordanRecordingWindow"};
        static const bool registered = RegisterClassW(&wc) != 0;
        (void)registered;
        hwnd = CreateWindowExA(0, "KordanRecordingWindow", title, WS_OVERLAPPEDWINDOW, 10, 10, 200,
                               100, nullptr, nullptr, wc.hInstance, nullptr);
        ShowWindow(hwnd, SW_SHOW);
        pumpUntil();
        g_keys.clear();
    }
    ~RecordingWindow() { DestroyWindow(hwnd), pumpUntil(); }
    WindowHandle handle() const { return static_cast<WindowHandle>(uintptr_t(hwnd)); }
    // True when the window became the foreground window.
    bool bringToFront() {
        for (int i = 0; i < 50 && GetForegroundWindow() != hwnd; ++i)
            SetForegroundWindow(hwnd), SetFocus(hwnd), pumpUntil(), Sleep(20);
        return GetForegroundWindow() == hwnd;
    }
    HWND hwnd = nullptr;
};

const KeyTable kKeys = makeKeyTable([](std::string_view) { return std::string(); });

// Posted keys reach the simulator's window by its handle; typed ones go through SendInput
// to the active window, with the scan code filled in.
TEST(Win32SimWindow, PostedAndTypedKeysArriveInTheForegroundZusiWindow) {
    RecordingWindow zusi("Zusi 3 - Testfahrt");
    if (!zusi.bringToFront())
        GTEST_SKIP() << "the test window could not get the foreground";
    auto real = makeWin32SimWindow();
    ZusiSend sender(*real, kKeys);
    ASSERT_TRUE(sender.GetConnect());
    EXPECT_EQ(sender.zusiWnd(), zusi.handle());
    sender.send(2, DownUp); // Pause: fixed key F2
    pumpUntil(2, 5000);
    EXPECT_EQ(g_keys, (std::vector{down(VK_F2), up(VK_F2)}));
    g_keys.clear();
    sender.send(11, Up); // types nothing
    sender.send(11, Down);
    pumpUntil(4, 5000);
    ASSERT_EQ(g_keys.size(), 4u);
    EXPECT_EQ((g_keys[1].lParam >> 16) & 0xFF, 0x32); // the scan code of M
    for (auto& key : g_keys)
        key.lParam = 0; // the rest of it is the system's
    EXPECT_EQ(g_keys, (std::vector{down(VK_CONTROL), down('M'), up('M'), up(VK_CONTROL)}));
}

TEST(Win32SimWindow, TitlesAreCutAt255GoneWindowsHaveNoneAndOnlyKeyMessagesArePosted) {
    auto real = makeWin32SimWindow();
    const std::string longTitle = "Zusi " + std::string(300, 'x');
    WindowHandle gone = 0;
    {
        RecordingWindow zusi(longTitle.c_str());
        gone = zusi.handle();
        EXPECT_EQ(real->windowTitle(gone), longTitle.substr(0, 255));
        real->postKey(gone, WM_CHAR, 'a');
        real->postKey(gone, WM_KEYUP, 0); // a missing key setting posts 0
        pumpUntil(2, 300);
        EXPECT_EQ(g_keys, (std::vector<ReceivedKey>{up(0)}));
    }
    EXPECT_EQ(real->windowTitle(gone) + real->windowTitle(0), "");
}

TEST(Win32Keystrokes, ModifiersGoDownFirstAndComeOffInReverseWithScanCodes) {
    // Keys pressed in order and let go in reverse. Scan codes of a PC keyboard, the same on
    // German and US layouts here; the cursor keys are extended, or the number pad's arrive.
    const auto pressed = [](std::vector<KeyboardEvent> events) {
        for (size_t i = events.size(); i-- > 0;)
            events.push_back(
                {events[i].virtualKey, events[i].scanCode, events[i].flags | KEYEVENTF_KEYUP});
        return events;
    };
    const KeyboardEvent ctrl{VK_CONTROL, 0x1D, 0}, shift{VK_SHIFT, 0x2A, 0}, m{'M', 0x32, 0};
    const std::pair<const char*, std::vector<KeyboardEvent>> cases[] = {
        {"^m", {ctrl, m}},
        {"^+{UP}", {ctrl, shift, {VK_UP, 0x48, KEYEVENTF_EXTENDEDKEY}}},
        {"M", {shift, m}}}; // an upper-case letter adds Shift
    for (const auto& [keys, downs] : cases)
        EXPECT_EQ(keyboardEventsFor(keys), pressed(downs)) << keys;
    // A character of no keyboard layout (an emoji) goes as its two UTF-16 halves.
    const KeyboardEvent high{0, 0xD83D, KEYEVENTF_UNICODE}, low{0, 0xDE82, KEYEVENTF_UNICODE};
    const auto up = [](KeyboardEvent e) { return e.flags |= KEYEVENTF_KEYUP, e; };
    EXPECT_EQ(keyboardEventsFor("\xF0\x9F\x9A\x82"), (std::vector{high, up(high), low, up(low)}));
}

} // namespace
} // namespace kordan
