#include "WinTestSupport.h"

#include "common/win32/WinText.h"

namespace kordan::test {

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string testProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return fromWide(dir.substr(0, dir.find_last_of(L"\\/")));
}

namespace {
const wchar_t* const kClassName = L"KordanRecordingWindow";
}

RecordingWindow::RecordingWindow(const char* title) {
    static bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &RecordingWindow::procedure;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    m_hwnd = CreateWindowExA(0, "KordanRecordingWindow", title, WS_OVERLAPPEDWINDOW, 10, 10, 200,
                             100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(m_hwnd, SW_SHOW);
    pump();
}

RecordingWindow::~RecordingWindow() {
    SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    DestroyWindow(m_hwnd);
    pump();
}

bool RecordingWindow::bringToFront() {
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

void RecordingWindow::pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void RecordingWindow::pumpUntil(size_t count, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    pump();
    while (keys.size() < count && GetTickCount64() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        pump();
    }
}

LRESULT CALLBACK RecordingWindow::procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
                 message == WM_SYSKEYUP))
        self->keys.push_back({message, wParam, lParam});
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace kordan::test
