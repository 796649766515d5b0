#include "StandinFiles.h"
#include "Train.h"

#include "axis/ZusiAxis.h"
#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"
#include "profile/ZusiProfile.h"
#include "sim/AutomaticAxes.h"
#include "sim/SimPaths.h"
#include "sim/ZusiLokParser.h"
#include "sim/winereg/WineRegistry.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace standin {
namespace {

namespace fs = std::filesystem;

// A prefix as the stand-in and tools/demo-install.sh leave it: the demo locomotives
// below C:\Zusi, the registry values published, and a program directory with the demo
// profiles.
struct DemoSetup {
    DemoSetup() {
        const fs::path demo = fs::path(KORDAN_SOURCE_DIR) / "demo";
        EXPECT_TRUE(preparePrefix(prefix()));
        fs::copy(demo / "zusi", prefix() / "drive_c" / "Zusi", fs::copy_options::recursive);
        fs::create_directories(programDir());
        fs::copy(demo / "kordan", programDir(), fs::copy_options::recursive);
        RegistryWriter writer(prefix());
        EXPECT_TRUE(writer.publish(standinValues(0, 12)));
        registry = kordan::makeWineRegistry(writer.file());
    }
    fs::path prefix() const { return fs::path(dir.path()) / "prefix"; }
    std::string programDir() const { return dir.file("kordan"); }

    kordan::test::TempDir dir;
    std::unique_ptr<kordan::IRegistryBackend> registry;
    kordan::test::FakeDialogs dialogs;
};

// The stand-in's locomotives and the shipped files must tell the same story, or the
// generated axes would not fit the train the stand-in drives.
TEST(DemoData, ProgramReadsEveryDemoLocoAsTheStandinDrivesIt) {
    DemoSetup setup;
    kordan::ZusiLokParser parser(*setup.registry, setup.dialogs,
                                 kordan::winePathMapper(setup.prefix()));
    EXPECT_EQ(parser.ZusiDir(), std::string(kZusiDir));
    std::map<std::string, int> cases;
    for (const auto& loco : demoLocos()) {
        SCOPED_TRACE(loco.path);
        ASSERT_TRUE(parser.Parse(loco.path));
        EXPECT_EQ(std::make_tuple(parser.Fahrschalter(), int(parser.Fahrstufen()),
                                  int(parser.AFB()), int(parser.EBremse()),
                                  double(parser.Leistung())),
                  std::make_tuple(loco.fahrschalter, loco.notches, loco.afbSteps, loco.dynSteps,
                                  loco.powerKw));
        EXPECT_EQ(loco.brakeSteps, parser.FBV() == "D5/D2" ? 7 : 3);
        ++cases[parser.Fahrschalter() + " Raste " + std::to_string(parser.Raste())];
        ++cases[parser.Antriebssystem()];
        // Its generated axes fit the automatic profile the demo ships; the throttle
        // carries the master-controller file of this locomotive.
        kordan::generateAutomaticAxes(parser, setup.programDir(), setup.dialogs);
        kordan::ZusiProfile profile(setup.dialogs, setup.programDir());
        ASSERT_EQ(profile.load("automatisch.cfr"), kordan::LoadResult::Loaded);
        int axes = 0;
        for (int i = 1; i <= 7; ++i)
            axes += profile.Axis(i).ZoneCount() > 0;
        EXPECT_GE(axes, 4);
        EXPECT_EQ(std::tuple(profile.Axis(2).Dateiname(), profile.Axis(2).ZoneCount()),
                  std::tuple(kordan::kAutoFahrschalterFile, loco.fahrschalter == "Auf/Ab" ? 3 : 1));
    }
    EXPECT_TRUE(setup.dialogs.messages.empty()) << setup.dialogs.texts().front();
    // One locomotive per kind of master controller the generation knows, and more than
    // one drive system.
    EXPECT_EQ(std::tuple(cases["Auf/Ab Raste 0"], cases["Auf/Ab Raste 1"],
                         cases["Standard Raste 0"], cases["Kombihebel Raste 0"]),
              std::tuple(1, 1, 1, 1));
    EXPECT_GE(cases["ElektrischDrehstrom"] + cases["Dieselhydraulisch"], 2);
}

} // namespace
} // namespace standin
