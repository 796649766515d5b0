#include "StandinFiles.h"
#include "Train.h"

#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"
#include "profile/ZusiProfile.h"
#include "sim/AutomaticAxes.h"
#include "sim/SimPaths.h"
#include "sim/ZusiLokParser.h"
#include "sim/winereg/WineRegistry.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

namespace fs = std::filesystem;

// The stand-in's locomotives and the shipped files must tell the same story, or the generated
// axes would not fit the train it drives. The prefix as the stand-in and demo-install leave it.
TEST(DemoData, ProgramReadsEveryDemoLocoAsTheStandinDrivesIt) {
    kordan::test::TempDir dir;
    kordan::test::FakeDialogs dialogs;
    const fs::path demo = fs::path(KORDAN_SOURCE_DIR) / "demo", prefix = dir.file("prefix");
    const std::string programDir = dir.file("kordan");
    ASSERT_TRUE(preparePrefix(prefix));
    fs::copy(demo / "zusi", prefix / "drive_c" / "Zusi", fs::copy_options::recursive);
    fs::copy(demo / "kordan", programDir, fs::copy_options::recursive);
    RegistryWriter writer(prefix);
    ASSERT_TRUE(writer.publish(standinValues(0, 12)));
    const auto registry = kordan::makeWineRegistry(writer.file());
    kordan::ZusiLokParser parser(*registry, kordan::winePathMapper(prefix));
    for (const auto& loco : demoLocos()) {
        kordan::LokReport report = parser.Parse(loco.path);
        ASSERT_TRUE(report.read()) << loco.path;
        EXPECT_FALSE(report.unknownDrive) << loco.path;
        EXPECT_EQ(parser.Fahrschalter(), loco.fahrschalter) << loco.path;
        EXPECT_EQ(int(parser.Fahrstufen()), loco.notches) << loco.path << ": notches";
        EXPECT_EQ(int(parser.AFB()), loco.afbSteps) << loco.path << ": speed control steps";
        EXPECT_EQ(int(parser.EBremse()), loco.dynSteps) << loco.path << ": dynamic brake steps";
        EXPECT_EQ(double(parser.Leistung()), loco.powerKw) << loco.path << ": power";
        EXPECT_EQ(parser.FBV() == "D5/D2" ? 7 : 3, loco.brakeSteps) << loco.path << ": brake valve";
        // The generated axes fit the shipped automatic profile, the throttle this loco's.
        kordan::generateAutomaticAxes(parser, programDir, report);
        EXPECT_FALSE(report.unknownFahrschalter) << loco.path;
        kordan::ZusiProfile profile(dialogs, programDir);
        ASSERT_EQ(profile.load("automatisch.cfr"), kordan::LoadResult::Loaded);
        EXPECT_EQ(profile.Axis(2).Dateiname(), kordan::kAutoFahrschalterFile) << loco.path;
        EXPECT_EQ(profile.Axis(2).ZoneCount(), loco.fahrschalter == "Auf/Ab" ? 3 : 1) << loco.path;
    }
    EXPECT_TRUE(dialogs.loads.empty()); // every profile and axis file was read
}

} // namespace
} // namespace standin
