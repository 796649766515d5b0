#pragma once

#include <cstdint>
#include <string>

namespace kordan {

// One line of the command log: "12.3 s  28 Pfeife: Down", "... 1000 Regelbereich
// Fahrschalter: +3", "... (verworfen, Zusi nicht gefunden)".
std::string commandLogLine(uint32_t elapsedMs, int32_t code, int32_t befehl, bool dropped);

} // namespace kordan
