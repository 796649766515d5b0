#pragma once

#include <cstdint>
#include <string>

namespace kordan {

// The assignment of one push button. A plain record: the profile owns 44 of them for its
// whole life, and loads overwrite their fields.
struct ZusiButton {
    std::string Bezeichnung;
    int32_t Press = 0;   // sent on press; held down while pressed when Hold is set
    int32_t Release = 0; // tapped on release
    int32_t Repeat = 0;  // auto-repeat period in ticks of 100 ms; 0 = none
    int32_t Hold = 0;
    int32_t Shift = 0;  // non-zero = shift button
    int32_t press2 = 0; // tapped on press while the shift layer is active
    bool Defined = false;
    int32_t Timer = 0; // run-time countdown of the auto-repeat, never stored
};

} // namespace kordan
