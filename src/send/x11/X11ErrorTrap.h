#pragma once

#include <X11/Xlib.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace kordan {

// Xlib reports protocol errors (a window that has just gone away) through one handler per
// process, which by default ends the program. The backend's connections have their errors
// counted instead, for as long as the process runs: an error of a request that needs no
// answer (a sent key event) arrives later, and waiting for it after each key would cost a
// round trip. Errors of other connections go to the handler that was there before.
class ErrorCounter {
public:
    static void watch(Display* display) {
        std::lock_guard lock(mutex());
        static const XErrorHandler previous = XSetErrorHandler(count);
        s_previous = previous;
        watched().push_back({display, 0, 0});
    }
    static void forget(Display* display) {
        std::lock_guard lock(mutex());
        std::erase_if(watched(), [display](const Entry& e) { return e.display == display; });
    }
    // The errors counted for the connection so far. A call that waits for an answer has its
    // own error counted when it returns.
    static unsigned long errors(Display* display) { return find(display).errors; }
    // The request number of the last error counted.
    static unsigned long lastSerial(Display* display) { return find(display).serial; }

private:
    struct Entry {
        Display* display;
        unsigned long errors;
        unsigned long serial;
    };
    static Entry find(Display* display) {
        std::lock_guard lock(mutex());
        for (const Entry& e : watched())
            if (e.display == display)
                return e;
        return {display, 0, 0};
    }
    static int count(Display* display, XErrorEvent* event) {
        {
            std::lock_guard lock(mutex());
            for (Entry& e : watched())
                if (e.display == display) {
                    ++e.errors;
                    e.serial = event->serial;
                    return 0;
                }
        }
        return s_previous ? s_previous(display, event) : 0;
    }
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static std::vector<Entry>& watched() {
        static std::vector<Entry> list;
        return list;
    }
    static inline XErrorHandler s_previous = nullptr;
};

// Errors of the requests made during a stretch of calls that each wait for an answer; an
// earlier request's error that arrives meanwhile is not theirs.
class ErrorTrap {
public:
    explicit ErrorTrap(Display* display)
        : m_display(display), m_before(ErrorCounter::errors(display)),
          m_first(NextRequest(display)) {}
    bool failed() const {
        return ErrorCounter::errors(m_display) != m_before &&
               ErrorCounter::lastSerial(m_display) >= m_first;
    }

private:
    Display* m_display;
    unsigned long m_before;
    unsigned long m_first;
};

} // namespace kordan
