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
};

} // namespace kordan
