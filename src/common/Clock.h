#pragma once

#include <cstdint>

namespace kordan {

// Time and the window system's event processing, as the polling loop sees them.
class IClock {
public:
    virtual ~IClock() = default;
    // A millisecond count that wraps from 2^32 - 1 to 0, like the system's tick counter.
    virtual uint32_t milliseconds() = 0;
    virtual void sleep(int32_t ms) = 0;
};

class IEventPump {
public:
    virtual ~IEventPump() = default;
    // Runs the window events that are pending (menus, clicks, dialogs) and returns.
    virtual void processEvents() = 0;
    // Waits up to `ms` for a window event (or a controller's report, see
    // IPieHid::watchWith) and runs what has arrived; false when it cannot wait, so the
    // caller sleeps instead.
    virtual bool waitForEvents(int32_t ms) {
        (void)ms;
        return false;
    }
};

} // namespace kordan
