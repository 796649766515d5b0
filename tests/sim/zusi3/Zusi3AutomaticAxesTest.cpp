#include "sim/zusi3/Zusi3AutomaticAxes.h"

#include "axis/ZusiAxis.h"
#include "fakes/TempDir.h"
#include "sim/AutomaticAxes.h"

#include <gtest/gtest.h>

namespace kordan::zusi3 {
namespace {

TEST(Zusi3AutomaticAxes, EachLeverKindGivesItsFileAndAnUnknownOneKeepsTheEarlierFile) {
    enum { FS, EB, AFB, FBV };
    const struct {
        const char* name;
        LeverPosition lever; // as reported when the train was taken over
        size_t file;
        size_t zones;          // 0: the earlier file stays
        int32_t regelFunktion; // of the regulator zone
        int32_t regelStep;
    } cases[] = {
        {"traction-demand notches above tap positions", {"FS", {0x13}, 2, 2, 11}, FS, 1, 1000, -8},
        {"tap changer only", {"FS", {0x04}, 2, 2, 3}, FS, 3, 1000, -1},
        {"power lever with one notch", {"FS", {0x01}, 0, 0, 0}, FS, 0, 0, 0},
        {"no power lever", {"Dyn", {0x07}, 0, 0, 9}, FS, 0, 0, 0},
        {"dynamic brake", {"Dyn", {0x07}, 0, 0, 9}, EB, 1, 1001, 9},
        {"dynamic brake with one notch", {"Dyn", {0x07}, 0, 0, 0}, EB, 0, 0, 0},
        {"AFB above its centre", {"AFB", {0x0B}, 2, 2, 16}, AFB, 1, 1003, -14},
        {"brake valve, Schnellbremsung at 0", {"Fbv", {0x18}, 8, 8, 10}, FBV, 2, 1002, 7},
        {"brake valve numbered from Fuellen", {"Fbv", {0x18}, 1, 1, 9}, FBV, 2, 1002, 7},
        {"brake valve with one notch", {"Fbv", {0x18}, 0, 0, 0}, FBV, 0, 0, 0},
    };
    for (const auto& c : cases) {
        LeverModel levers;
        levers.report(c.lever);
        const AutomaticAxis axis = automaticAxes(levers).at(c.file);
        ASSERT_EQ(axis.zones.size(), c.zones) << c.name;
        if (c.zones == 0) {
            EXPECT_NE(axis.why, "") << c.name;
            continue;
        }
        const ZusiZone& regulator = c.zones == 1 ? axis.zones[0] : axis.zones[1];
        EXPECT_EQ(regulator.RegelFunktion, c.regelFunktion) << c.name;
        EXPECT_EQ(regulator.RegelStep, c.regelStep) << c.name;
    }
    LeverModel tap; // its "up" is held at the bottom, as the tap changer is pulsed through Auf
    tap.report({"FS", {0x04}, 2, 2, 3});
    EXPECT_EQ(automaticAxes(tap).at(FS).zones.at(0).Hold, 1);
}

TEST(Zusi3AutomaticAxes, WritesWhatIsKnownAndKeepsTheEarlierFileOfALeverNotReported) {
    test::TempDir dir;
    dir.write(kAutoEBremseFile, "earlier");
    LeverModel levers;
    levers.report({"Fahrschalter", {0x01}, 0, 0, 40});
    const std::vector<std::string> notes = writeAutomaticAxes(levers, dir.path());
    EXPECT_EQ(dir.read(kAutoFahrschalterFile), axisFileBytes(autoFahrschalterSteps(40)));
    EXPECT_EQ(dir.read(kAutoEBremseFile), "earlier");
    // With no earlier file, one without zones, so that the profile naming it loads.
    EXPECT_EQ(dir.read(kAutoAfbFile), axisFileBytes({}));
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "Automatische Konfiguration: automatisch_FS.axr geschrieben",
                         "Automatische Konfiguration: Dynamische Bremse nicht gemeldet, "
                         "automatisch_EB.axr bleibt unver\u00e4ndert",
                         "Automatische Konfiguration: AFB nicht gemeldet, automatisch_AFB.axr "
                         "ohne Zonen angelegt",
                         "Automatische Konfiguration: F\u00fchrerbremsventil nicht gemeldet, "
                         "automatisch_FBV.axr ohne Zonen angelegt"}));
}

} // namespace
} // namespace kordan::zusi3
