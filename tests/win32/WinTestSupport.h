#pragma once

#include "common/win32/WinText.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kordan::test {

// True under Wine, where the tests run in a throwaway prefix; on Windows the tests stay
// away from anything a real user keeps.
inline bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The directory of the test program (UTF-8), where the test libraries are built.
inline std::string testProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return fromWide(dir.substr(0, dir.find_last_of(L"\\/")));
}

// A key message as the window procedure saw it.
struct ReceivedKey {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    bool operator==(const ReceivedKey&) const = default;
};

// A visible top-level window of this thread that records every key message it gets.
class RecordingWindow {
public:
    explicit RecordingWindow(const char* title) {
        static const bool registered = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &RecordingWindow::procedure;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"KordanRecordingWindow";
            return RegisterClassW(&wc) != 0;
        }();
        (void)registered;
        m_hwnd = CreateWindowExA(0, "KordanRecordingWindow", title, WS_OVERLAPPEDWINDOW, 10, 10,
                                 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ShowWindow(m_hwnd, SW_SHOW);
        pump();
    }
    ~RecordingWindow() {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
        pump();
    }
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;
    HWND hwnd() const { return m_hwnd; }
    // Tries to make the window the foreground window; true when it is.
    bool bringToFront() {
        SetForegroundWindow(m_hwnd);
        SetActiveWindow(m_hwnd);
        SetFocus(m_hwnd);
        for (int i = 0; i < 50 && GetForegroundWindow() != m_hwnd; ++i) {
            pump();
            Sleep(20);
            SetForegroundWindow(m_hwnd);
        }
        pump();
        return GetForegroundWindow() == m_hwnd;
    }
    // Handles the messages waiting for this thread, so the posted ones arrive.
    static void pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // Handles messages until `count` keys have arrived or `timeoutMs` has passed.
    void pumpUntil(size_t count, DWORD timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        for (pump(); keys.size() < count && GetTickCount64() < end; pump())
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    std::vector<ReceivedKey> keys;

private:
    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
                     message == WM_SYSKEYUP))
            self->keys.push_back({message, wParam, lParam});
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    HWND m_hwnd = nullptr;
};

} // namespace kordan::test
