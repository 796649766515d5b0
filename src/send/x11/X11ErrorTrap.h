#pragma once

#include <X11/Xlib.h>

namespace kordan {

// Xlib reports protocol errors (a window that has just gone away) through one handler per
// process, which by default ends the program. Calls that name foreign windows run inside
// a trap that counts the errors instead.
inline int g_trappedErrors = 0;

inline int countError(Display*, XErrorEvent*) {
    ++g_trappedErrors;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(display) {
        XSync(m_display, False);
        g_trappedErrors = 0;
        m_previous = XSetErrorHandler(countError);
    }
    ~ErrorTrap() {
        XSync(m_display, False);
        XSetErrorHandler(m_previous);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

    bool failed() {
        XSync(m_display, False);
        return g_trappedErrors > 0;
    }

private:
    Display* m_display;
    XErrorHandler m_previous = nullptr;
};

} // namespace kordan
