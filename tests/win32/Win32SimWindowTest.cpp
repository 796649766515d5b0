#include "send/win32/Win32SimWindow.h"
#include "send/ZusiSend.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace kordan {
namespace {

// The key messages the recording window got, with the key's scan code from lParam.
using ReceivedKey = std::tuple<UINT, WPARAM, int>;
std::vector<ReceivedKey> g_keys;
const auto down = [](WPARAM vk, int scan = 0) { return ReceivedKey{WM_KEYDOWN, vk, scan}; };
const auto up = [](WPARAM vk, int scan = 0) { return ReceivedKey{WM_KEYUP, vk, scan}; };

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
        g_keys.emplace_back(message, wParam, (lParam >> 16) & 0xFF);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A visible top-level window of this thread that records every key message it gets.
std::unique_ptr<HWND__, BOOL(WINAPI*)(HWND)> openWindow(const char* title) {
    static const WNDCLASSW wc = [] {
        WNDCLASSW c{};
        c.lpfnWndProc = &recordKeys;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"KordanRecordingWindow";
        return c;
    }();
    [[maybe_unused]] static const bool registered = RegisterClassW(&wc) != 0;
    HWND hwnd = CreateWindowExA(0, "KordanRecordingWindow", title, WS_OVERLAPPEDWINDOW, 10, 10, 200,
                                100, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(hwnd, SW_SHOW);
    pumpUntil();
    g_keys.clear();
    return {hwnd, &DestroyWindow};
}

const KeyTable kKeys = makeKeyTable([](std::string_view) { return std::string(); });

// Posted keys reach the simulator's window by its handle; typed ones go through SendInput
// to the active window, with the scan codes filled in.
TEST(Win32SimWindow, KeysArriveInTheZusiWindowTitlesAreCutAt255AndGoneWindowsHaveNone) {
    const std::string title = "Zusi 3 - " + std::string(300, 'x');
    auto zusi = openWindow(title.c_str());
    const auto handle = static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(zusi.get()));
    auto real = makeWin32SimWindow();
    EXPECT_EQ(real->windowTitle(handle), title.substr(0, 255));
    real->postKey(handle, WM_CHAR, 'a'); // only the two key messages are posted
    real->postKey(handle, WM_KEYUP, 0);  // a missing key setting posts 0
    pumpUntil(2, 300);
    EXPECT_EQ(g_keys, (std::vector{up(0)}));
    g_keys.clear();
    for (int i = 0; i < 50 && GetForegroundWindow() != zusi.get(); ++i)
        SetForegroundWindow(zusi.get()), SetFocus(zusi.get()), pumpUntil(), Sleep(20);
    if (GetForegroundWindow() != zusi.get())
        GTEST_SKIP() << "the test window could not get the foreground";
    ZusiSend sender(*real, kKeys);
    ASSERT_TRUE(sender.GetConnect());
    EXPECT_EQ(sender.zusiWnd(), handle);
    sender.send(2, DownUp); // Pause: fixed key F2, posted
    pumpUntil(2, 5000);
    sender.send(11, Up);   // types nothing
    sender.send(11, Down); // types Ctrl+M
    pumpUntil(6, 5000);
    EXPECT_EQ(g_keys, (std::vector{down(VK_F2), up(VK_F2), down(VK_CONTROL, 0x1D), down('M', 0x32),
                                   up('M', 0x32), up(VK_CONTROL, 0x1D)}));
    zusi.reset();
    EXPECT_EQ(real->windowTitle(handle), "");
    EXPECT_EQ(real->windowTitle(0), "");
}

} // namespace
} // namespace kordan
