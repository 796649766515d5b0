#include "Cab.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

namespace standin {
namespace {

// One Tastatureingabe, then `after` seconds in the server's 0.1 s ticks.
struct In {
    uint16_t zuordnung, kommando, aktion;
    int32_t position = 0;
    double after = 0;
};
constexpr uint16_t FS = 0x01, FBV = 0x04, ZBV = 0x05, RS = 0x07, HS = 0x11;
constexpr uint16_t AUF = 3, AUF_UP = 4, AB = 5, ABS = 7;

// The notches of Fahrschalter, Führerbremsventil, Zusatzbremsventil, Richtungsschalter and
// Hauptschalter, the breaker, the traction and the brake valve's function (hex).
std::string outcome(const Cab& cab) {
    std::string s;
    for (size_t i = Cab::Fahrschalter; i <= Cab::Hauptschalter; ++i)
        s += std::to_string(cab.levers()[i].notch) + " ";
    char rest[32];
    std::snprintf(rest, sizeof rest, "%s %d %x", cab.breaker() ? "ein" : "aus", cab.traction(),
                  unsigned(cab.levers()[Cab::Fuehrerbremsventil].function()));
    return s + rest;
}

struct Row {
    const char* name;
    CabOptions options;
    const char* outcome;
    std::vector<In> inputs;
};

TEST(Cab, LeversFollowStepsAndPositionsAsRealCabsDo) {
    const CabOptions c101, c103{CabKind::Br103}, tap{CabKind::Tap};
    const CabOptions reversed{CabKind::Br101, true};
    const CabOptions valveReversed{CabKind::Br101, false, true};
    const CabOptions fbvBug{CabKind::Br101, false, false, true};
    const Row rows[] = {
        {"valve numbered the other way: Schnellbremsung at the top",
         valveReversed,
         "2 9 2 1 1 ein 0 19",
         {{FBV, 0, ABS, 9}}},
        {"Auf raises, Ab lowers, the ends hold",
         c101,
         "5 9 2 0 1 ein 2 15",
         {{FS, 0, AUF},
          {FS, 0, AUF},
          {FS, 0, AUF},
          {FBV, 0, AB},
          {FBV, 0, AUF},
          {FBV, 0, AUF},
          {FBV, 0, AUF},
          {ZBV, 0, AUF},
          {RS, 0, AB},
          {RS, 0, AB}}},
        {"reversed steps: Auf lowers, Ab raises, on every lever",
         reversed,
         "1 7 1 2 0 aus 0 17",
         {{FS, 0, AUF}, {FBV, 0, AUF}, {ZBV, 0, AUF}, {RS, 0, AB}, {HS, 0, AUF}}},
        {"103: the notch is the traction, up to 40",
         c103,
         "40 8 2 1 1 ein 40 18",
         {{FS, 0, ABS, INT32_MAX}, {FS, 0, AUF}}},
        {"breaker commands with Aktion Default; else the Aktion decides",
         c101,
         "2 8 2 1 1 ein 0 18",
         {{HS, 0x51, 0}, {HS, 0x52, 0}, {HS, 0x51, AUF}, {HS, 0x4F, AUF_UP}}},
        {"Down/Up Kommandos ignored on a lever, Grundstellung whatever the Aktion",
         c101,
         "2 8 2 1 1 ein 0 18",
         {{FBV, 0x1B, 0}, {FS, 0, ABS, 9}, {FS, 0x01, 0}, {FS, 0x05, ABS, 11}}},
        {"absolute brake valve with the fault: no move",
         fbvBug,
         "2 8 2 1 1 ein 0 18",
         {{FBV, 0, ABS, 0}}},
        {"101 aufschalten: one step on entering, one per 0.5 s; konstant holds",
         c101,
         "2 8 2 1 1 ein 3 18",
         {{FS, 0, AUF, 0, 1.0}, {FS, 0, AB, 0, 1.0}}},
        {"101 leaving the demand starts the level at 0",
         c101,
         "3 8 2 1 1 ein 1 18",
         {{FS, 0, ABS, 11}, {FS, 0, ABS, 3}}},
        {"tap abschalten: one step down on entering, one per 0.5 s",
         tap,
         "1 8 2 1 1 ein 2 18",
         {{FS, 0, AUF, 0, 2.0}, {FS, 0, AB}, {FS, 0, AB, 0, 1.0}}},
        {"tap Schnellaus",
         tap,
         "0 8 2 1 1 ein 0 18",
         {{FS, 0, AUF, 0, 2.0}, {FS, 0, ABS, INT16_MIN}}},
    };
    for (const Row& row : rows) {
        Cab cab(row.options, 0);
        for (const In& in : row.inputs) {
            EXPECT_TRUE(cab.input(in.zuordnung, in.kommando, in.aktion, in.position)) << row.name;
            for (int t = 0; t < int(in.after * 10 + 0.5); ++t)
                cab.advance(0.1);
        }
        EXPECT_EQ(outcome(cab), row.outcome) << row.name;
    }
}

} // namespace
} // namespace standin
