// A window titled like the simulator's: writes "down N" / "up N" for every key message it
// gets to the file given as its argument. After the first key it opens a second window and
// puts it in front, writing "other in front", so that the keys after it show that posted
// keys reach a window in the background. Started with "times" after the file, each key line
// ends with the time it arrived (QueryPerformanceCounter, which under Wine is Linux's
// CLOCK_MONOTONIC_RAW in units of 100 ns, written in nanoseconds), and no second window is
// opened: making it would delay the keys being timed.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

FILE* g_log = nullptr;
bool g_times = false;
HWND g_other = nullptr;

LRESULT CALLBACK zusiProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_KEYDOWN || message == WM_KEYUP) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        std::fprintf(g_log, g_times ? "%s %u %lld\n" : "%s %u\n",
                     message == WM_KEYDOWN ? "down" : "up", static_cast<unsigned>(wParam),
                     now.QuadPart * 100);
        if (!g_other && !g_times) {
            g_other = CreateWindowA("STATIC", "Anderes Fenster", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    300, 300, 200, 100, nullptr, nullptr, nullptr, nullptr);
            SetForegroundWindow(g_other);
            std::fprintf(g_log, "other in front\n");
        }
        std::fflush(g_log);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR args, int) {
    char log[MAX_PATH] = {};
    char times[8] = {};
    std::sscanf(args, "%259s %7s", log, times);
    g_times = std::strcmp(times, "times") == 0;
    g_log = std::fopen(log, "wb");
    if (!g_log)
        return 1;
    WNDCLASSA type{};
    type.lpfnWndProc = zusiProc;
    type.hInstance = instance;
    type.lpszClassName = "KordanTestZusi";
    RegisterClassA(&type);
    HWND zusi =
        CreateWindowA("KordanTestZusi", "Zusi Testfenster", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                      300, 200, nullptr, nullptr, instance, nullptr);
    SetForegroundWindow(zusi);
    std::fprintf(g_log, "ready\n");
    std::fflush(g_log);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
