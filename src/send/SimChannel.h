#pragma once

#include <cstdint>

namespace kordan {

// A way to the simulator beside key messages to its window: its network interface. The
// delivery asks it how each command goes; what it does not take still goes as keys.
class ISimChannel {
public:
    enum class Route {
        Input,       // the channel carries it
        Key,         // it has no input for it: a key to the simulator's window, as before
        NotAvailable // nothing in the simulator does it over this way
    };

    virtual ~ISimChannel() = default;
    // The way of a single command (0-45); the emergency brake goes the way of the brake
    // valve's presses that make it up.
    virtual Route route(int32_t code) const = 0;
    // True once the simulator has accepted the client: before that, inputs are dropped.
    virtual bool connected() = 0;
    // One edge of a single command the channel carries: pressed, or let go.
    virtual void input(int32_t code, bool pressed) = 0;
    // A regulator zone's lever stands at notch `zoneNotch` of the zone's `zoneNotches` (0 =
    // the zone's first notch). True when the channel has set the simulator's lever there
    // absolutely; false when the regulator is to step notch by notch instead.
    virtual bool setNotch(int32_t regulatorCode, int32_t zoneNotch, int32_t zoneNotches) = 0;
};

} // namespace kordan
