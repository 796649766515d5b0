// Start to window: starts a program and waits on the X server until a window whose title
// contains TITLE is mapped; prints the milliseconds in between and ends the program.
//   kordan_start_time TITLE PROGRAM [ARGS...]
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

std::string title(Display* display, Window window) {
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    for (Atom name : {netWmName, Atom(XA_WM_NAME)}) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, name, 0, 256, False, AnyPropertyType, &type,
                               &format, &count, &after, &data) == Success &&
            data) {
            std::string text(reinterpret_cast<char*>(data), count);
            XFree(data);
            if (!text.empty())
                return text;
        }
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return std::fprintf(stderr, "usage: %s TITLE PROGRAM [ARGS...]\n", argv[0]), 2;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return std::fprintf(stderr, "%s: no X display\n", argv[0]), 1;
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    double shown = -1;
    while (shown < 0 && nowMs() - start < 10000) {
        if (!XPending(display)) {
            pollfd p{ConnectionNumber(display), POLLIN, 0};
            poll(&p, 1, 100);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify &&
            title(display, event.xmap.window).find(argv[1]) != std::string::npos)
            shown = nowMs() - start;
    }
    // Asked to end as a logout does; one that has not ended within 5 s is a fault, and only
    // then killed.
    kill(child, SIGTERM);
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 50 && (ended = waitpid(child, &status, WNOHANG)) == 0; ++i)
        usleep(100000);
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    XCloseDisplay(display);
    if (shown < 0)
        return std::fprintf(stderr, "%s: no window \"%s\" within 10 s\n", argv[0], argv[1]), 1;
    if (ended == 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::fprintf(stderr, "%s: %s did not end normally on SIGTERM\n", argv[0], argv[2]),
               1;
    std::printf("%.1f\n", shown);
    return 0;
}
