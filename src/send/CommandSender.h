#pragma once

#include <cstdint>

namespace kordan {

// How a single command is delivered (the second argument of every delivery).
enum Befehl : int32_t { Down = 1, Up = 2, DownUp = 3 };

// The delivery object every profile, button, axis and zone operation receives as `se`.
// pFunktion is a command code (0 = none, 1-45 single commands, 1000-1003 regulators);
// pBefehl is Down/Up/DownUp for single commands and a signed notch count for regulators.
class ICommandSender {
public:
    virtual ~ICommandSender() = default;
    virtual void ZusiSend(int32_t pFunktion, int32_t pBefehl) = 0;
    // The lever's zone (1-32) whose commands follow, 0 once they are through: a delivery
    // may name it in its log. What is sent never depends on it.
    virtual void fromZone(int32_t /*zone*/) {}
    // A regulator zone's movement: `steps` notches (as ZusiSend's Befehl), the lever now at
    // notch `zoneNotch` of the zone's `zoneNotches`. A delivery that can set a lever
    // absolutely uses the notch; every other one steps.
    virtual void ZusiRegler(int32_t pFunktion, int32_t steps, int32_t zoneNotch,
                            int32_t zoneNotches) {
        (void)zoneNotch;
        (void)zoneNotches;
        ZusiSend(pFunktion, steps);
    }
};

// Press, hold and repeat, as buttons and lever zones share them: a press sends the key-down,
// and the key-up at once unless the command is held (any non-zero Hold) until let go.
inline void pressCommand(ICommandSender& se, int32_t code, int32_t hold) {
    se.ZusiSend(code, Down);
    if (hold == 0)
        se.ZusiSend(code, Up);
}

// The countdown a press arms for its repetition: Repeat + 1, without overflowing on a
// hand-edited maximum.
inline int32_t firstCountdown(int32_t repeat) {
    return repeat == INT32_MAX ? repeat : repeat + 1;
}

// One tick of 100 ms of a repetition countdown: presses again when it runs out, and arms it
// anew. A countdown at or below 0 is off; a negative Repeat arms one that never runs out,
// and counting it down would only run into overflow.
inline void repeatTick(ICommandSender& se, int32_t& timer, int32_t repeat, int32_t code,
                       int32_t hold) {
    if (timer <= 0 || --timer != 0)
        return;
    timer = repeat;
    pressCommand(se, code, hold);
}

} // namespace kordan
