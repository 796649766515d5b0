// Sends keys to the focused window through the program's own X11 backend, as the program
// does to the simulator: waits (at most 10 s) until a window titled "Zusi…" has the focus,
// then posts "down VK" and "up VK" for every VK argument and types "^m".
#include "send/x11/X11SimWindow.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv) {
    auto window = kordan::makeX11SimWindow();
    kordan::WindowHandle target = 0;
    for (int i = 0; i < 200 && target == 0; ++i) {
        const auto fg = window->foregroundWindow();
        if (fg != 0 && window->windowTitle(fg).rfind("Zusi", 0) == 0)
            target = fg;
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (target == 0) {
        std::fprintf(stderr, "send_keys: no window titled Zusi has the focus\n");
        return 1;
    }
    for (int i = 1; i < argc; ++i) {
        const int vk = std::atoi(argv[i]);
        window->postKey(target, 256, vk);
        window->postKey(target, 257, vk);
    }
    window->typeKeys("^m");
    return 0;
}
