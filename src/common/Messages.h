#pragma once

#include <string>

namespace kordan {

inline constexpr const char* kApplicationTitle = "Kordan für Zusi";

} // namespace kordan
