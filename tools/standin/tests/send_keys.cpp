// Sends keys through the program's own X11 backend, as it does to the simulator: waits (at most
// 10 s) for a focused window titled "Zusi…", posts down and up of every VK argument.
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
    if (target == 0)
        return std::fprintf(stderr, "send_keys: no window titled Zusi has the focus\n"), 1;
    for (int i = 1; i < argc; ++i)
        for (unsigned message : {256u, 257u}) // down, then up
            window->postKey(target, message, std::atoi(argv[i]));
    return 0;
}
