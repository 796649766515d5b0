#pragma once

#include "sim/zusi3/Zusi3Codec.h"

#include <cctype>
#include <string>
#include <string_view>

namespace kordan::test {

// Bytes from hex pairs; blanks and line breaks are ignored.
inline zusi3::Bytes hex(std::string_view text) {
    zusi3::Bytes out;
    std::string pair;
    for (char c : text) {
        if (std::isxdigit(static_cast<unsigned char>(c)))
            pair += c;
        if (pair.size() == 2) {
            out.push_back(static_cast<uint8_t>(std::stoi(pair, nullptr, 16)));
            pair.clear();
        }
    }
    return out;
}

// The interface's documented examples.
inline const zusi3::Bytes kHelloPult =
    hex("00000000 0100 00000000 0100 04000000 0100 0200 04000000 0200 0200"
        "06000000 0300 50756C74 05000000 0400 312E30 FFFFFFFF FFFFFFFF");
inline const zusi3::Bytes kAckHello =
    hex("00000000 0100 00000000 0200 0A000000 0100 332E352E31322E30"
        "03000000 0200 30 03000000 0300 00 FFFFFFFF FFFFFFFF");
inline const zusi3::Bytes kNeededData =
    hex("00000000 0200 00000000 0300"
        "00000000 0A00 04000000 0100 0100 04000000 0100 1300 04000000 0100 6100"
        "04000000 0100 6400 04000000 0100 8E00 FFFFFFFF"
        "00000000 0B00 FFFFFFFF"
        "00000000 0C00 04000000 0100 0100 04000000 0100 0200 04000000 0100 0500 FFFFFFFF"
        "FFFFFFFF FFFFFFFF");
inline const zusi3::Bytes kFahrschalterNotch3 =
    hex("00000000 0200 00000000 0A01 00000000 0100 04000000 0100 0100 04000000 0200 0000"
        "04000000 0300 0700 04000000 0400 0300 FFFFFFFF FFFFFFFF FFFFFFFF");
inline const zusi3::Bytes kSifaDown =
    hex("00000000 0200 00000000 0A01 00000000 0100 04000000 0100 1000 04000000 0200 0000"
        "04000000 0300 0100 04000000 0400 0000 FFFFFFFF FFFFFFFF FFFFFFFF");
inline const zusi3::Bytes kPauseToggle = hex("00000000 0200 00000000 0B01 00000000 0100"
                                             "03000000 0100 FF FFFFFFFF FFFFFFFF FFFFFFFF");
// DATA_FTD with a speed of 27.7778 m/s.
inline const zusi3::Bytes kSpeed100 =
    hex("00000000 0200 00000000 0A00 06000000 0100 E438DE41 FFFFFFFF FFFFFFFF");
inline const zusi3::Bytes kAckNeededData =
    hex("00000000 0200 00000000 0400 03000000 0100 00 FFFFFFFF FFFFFFFF");

} // namespace kordan::test
