#include "app/Replay.h"

#include "fakes/FakeRegistry.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kordan;
using namespace kordan::test;

TEST(Scenario, ParsesInstructionsAndRejectsMalformedLinesWithTheirNumber) {
    auto parsed =
        parseScenario("# a throttle movement\n\nlever 2 200  # full\r\npress 44\n"
                      "release 1\nwait 0\nwait 150\n load  BR 101_1.cfr # x\nmode active\nreplug");
    auto& steps = std::get<std::vector<ScenarioStep>>(parsed);
    ASSERT_EQ(steps.size(), 8u);
    EXPECT_EQ(
        (std::tuple{steps[5].kind, steps[5].file, steps[6].a, steps[7].kind}),
        (std::tuple{ScenarioStep::Kind::Load, "BR 101_1.cfr", 1, ScenarioStep::Kind::Replug}));
    EXPECT_EQ((std::tuple{steps[0].kind, steps[0].a, steps[0].b, steps[0].line}),
              (std::tuple{ScenarioStep::Kind::Lever, 2, 200, 3}));
    EXPECT_EQ(steps[1].kind, ScenarioStep::Kind::Press);
    EXPECT_EQ(steps[2].kind, ScenarioStep::Kind::Release);
    EXPECT_EQ(steps[4].a, 150);
    for (const char* bad :
         {"lever 8 1", "lever 1 256", "lever 1", "press 0", "press 45", "release x", "wait -1",
          "wait 10 20", "jump 3", "lever 1 +5", "wait 1.5", "mode x", "unplug 1", "load"}) {
        auto* error =
            std::get_if<ScenarioError>(&(parsed = parseScenario(std::string("wait 1\n\n") + bad)));
        ASSERT_NE(error, nullptr) << bad;
        EXPECT_EQ(error->line, 3) << bad;
    }
}

namespace {

struct ReplayRig {
    TempDir dir;
    FakeRegistry registry;
    std::ostringstream out, err;
    ReplayRig() {
        for (auto [name, value] : {std::pair{"T0", "65"}, {"T1", "66"}, {"T9", "72"}})
            registry.set("Software\\zusi\\zusi", name, value);
        std::string p = "1.0\r\n[Buttons]\r\nPfeife\r\n 28 \r\n 0 \r\n 0 \r\n 1 \r\n 0 \r\n 0 \r\n"
                        "Ansicht\r\n 11 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n";
        for (int k = 3; k <= 44; ++k)
            p += "#\r\n";
        p += "[Axis]\r\n#\r\nAchsen\\FS.axr\r\n 1 \r\n";
        for (int i = 3; i <= 7; ++i)
            p += "#\r\n";
        dir.write("demo.cfr", p);
        std::filesystem::create_directory(dir.file("Achsen"));
        dir.write("Achsen/FS.axr", "1.0\r\n[Zones]\r\n 1 \r\nFahren\r\n 0 \r\n 255 \r\n 0 \r\n"
                                   " 0 \r\n 0 \r\n 1000 \r\n 4 \r\n 0 \r\n");
    }
    int run(const std::string& scenario, int poll = 10, std::string calibration = {}) {
        ReplayOptions o;
        o.programDir = dir.path();
        o.pollMs = poll;
        o.calibrationFile = calibration;
        o.profile = "demo.cfr";
        auto steps = std::get<std::vector<ScenarioStep>>(parseScenario(scenario));
        return runReplay(o, steps, registry, out, err);
    }
};

} // namespace

TEST(Replay, PrintsWhatTheSimulatorReceivesWithSimulatedTime) {
    ReplayRig rig;
    // Lever 2's axis is flipped: raw 255 is 0 after the flip, so the first poll moves the
    // regulator zone from 255 down to 0, four notches of "Fahrschalter ab".
    const std::string calibration = "1.0\r\n[Kalibrierung]\r\n"; // refused: initial values
    rig.dir.write("cal.dat", calibration);
    EXPECT_EQ(rig.run("lever 2 255\nwait 20\npress 1\nwait 10\nrelease 1\npress 2\n"
                      "wait 30\nlever 2 0\nwait 10\npress 1\nwait 10\nunplug\nwait 10\n"
                      "replug\nwait 2200\n",
                      10, rig.dir.file("cal.dat")),
              0);
    EXPECT_EQ(rig.out.str(), "10 down 66\n10 down 66\n10 down 66\n10 down 66\n10 up 66\n"
                             "30 down 72\n" // the horn is held while button 1 is pressed
                             "40 up 72\n"   // changes take effect at the next poll
                             "40 type ^m\n" // "Ansicht Führerstand" types Ctrl+M
                             "70 down 65\n70 down 65\n70 down 65\n70 down 65\n70 up 65\n"
                             "80 down 72\n90 up 72\n"     // pulled out under the horn: let go
                             "120 down 72\n120 type ^m\n" // back: held buttons anew
                             "2290 up 72\n");             // the end lets go of the horn
    EXPECT_EQ(rig.err.str(),
              "message: Dateiformat der Kalibierung (Kalibrierung.dat) ist ungültig\n");
    EXPECT_EQ(rig.dir.read("cal.dat"), calibration) << "a replay never writes the calibration";
    EXPECT_FALSE(std::filesystem::exists(rig.dir.file("Kalibrierung.dat")));
}
