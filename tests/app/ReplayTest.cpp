#include "app/Replay.h"

#include "app/Scenario.h"
#include "axis/ZusiAxis.h"
#include "device/VirtualController.h"
#include "profile/ZusiProfile.h"

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
    using K = ScenarioStep::Kind;
    EXPECT_EQ(steps[0].kind, K::Lever);
    EXPECT_EQ(steps[0].a, 2) << "the lever";
    EXPECT_EQ(steps[0].b, 200) << "its raw value";
    EXPECT_EQ(steps[0].line, 3) << "comments and blank lines are counted";
    EXPECT_EQ(steps[1].kind, K::Press);
    EXPECT_EQ(steps[2].kind, K::Release);
    EXPECT_EQ(steps[4].a, 150) << "the wait";
    EXPECT_EQ(steps[5].kind, K::Load);
    EXPECT_EQ(steps[5].file, "BR 101_1.cfr") << "the name's blank stays, the comment goes";
    EXPECT_EQ(steps[6].a, 1) << "mode active";
    EXPECT_EQ(steps[7].kind, K::Replug);
    for (const char* bad :
         {"lever 8 1", "lever 1 256", "lever 1", "press 0", "press 45", "release x", "wait -1",
          "wait 10 20", "jump 3", "lever 1 +5", "wait 1.5", "mode x", "unplug 1", "load"}) {
        auto* error =
            std::get_if<ScenarioError>(&(parsed = parseScenario(std::string("wait 1\n\n") + bad)));
        ASSERT_NE(error, nullptr) << bad;
        EXPECT_EQ(error->line, 3) << bad;
    }
}

// Steps as `kordan --scenario` plays them: each when its waits have passed, in order.
TEST(Scenario, PlayerAppliesEachStepWhenItsWaitsHavePassed) {
    VirtualController pult;
    std::vector<std::string> done;
    ScenarioPlayer player(std::get<std::vector<ScenarioStep>>(parseScenario(
                              "lever 1 10\nwait 20\npress 2\nmode test\nload x.cfr\nwait 5\n")),
                          {pult, [&](const std::string& file) { done.push_back("load " + file); },
                           [&](bool active) { done.push_back(active ? "active" : "test"); }});
    EXPECT_TRUE(player.run(0));
    EXPECT_EQ(pult.lever(1), 10);
    EXPECT_TRUE(player.run(19));
    EXPECT_FALSE(pult.button(2));
    EXPECT_TRUE(player.run(20)); // the last wait is still running
    EXPECT_TRUE(pult.button(2));
    EXPECT_EQ(done, (std::vector<std::string>{"test", "load x.cfr"}));
    EXPECT_FALSE(player.run(25));
}

TEST(Replay, PrintsWhatTheSimulatorReceivesWithSimulatedTime) {
    TempDir dir;
    auto registry = std::make_unique<FakeRegistry>();
    for (auto [name, value] : {std::pair{"T0", "65"}, {"T1", "66"}, {"T9", "72"}})
        registry->set("Software\\zusi\\zusi", name, value);
    ProfileFile p;
    p.buttons[0] = {"Pfeife", 28, 0, 0, 1, 0, 0};
    p.buttons[1] = {"Ansicht", 11, 0, 0, 0, 0, 0};
    p.axes[1] = {"Achsen\\FS.axr", 1};
    dir.write("demo.cfr", profileFileBytes(p));
    std::filesystem::create_directory(dir.file("Achsen"));
    const ZusiZone fahren[] = {{"Fahren", 0, 255, 0, 0, 0, 1000, 4}};
    dir.write("Achsen/FS.axr", axisFileBytes(fahren));
    const std::string calibration = "1.0\r\n[Kalibrierung]\r\n"; // refused: initial values
    dir.write("cal.dat", calibration);
    // Lever 2's axis is flipped: raw 255 is 0 after the flip, so the first poll moves the
    // regulator zone from 255 down to 0, four notches of "Fahrschalter ab".
    auto steps = std::get<std::vector<ScenarioStep>>(parseScenario(
        "lever 2 255\nwait 20\npress 1\nwait 10\nrelease 1\npress 2\nwait 30\n"
        "lever 2 0\nwait 10\npress 1\nwait 10\nunplug\nwait 10\nreplug\nwait 2200\n"));
    std::ostringstream out, err;
    EXPECT_EQ(runReplay({dir.path(), dir.file("cal.dat"), 10, "demo.cfr"}, steps,
                        std::move(registry), out, err),
              0);
    EXPECT_EQ(out.str(), "10 down 66\n10 down 66\n10 down 66\n10 down 66\n10 up 66\n"
                         "30 down 72\n" // the horn is held while button 1 is pressed
                         "40 up 72\n"   // changes take effect at the next poll
                         "40 type ^m\n" // "Ansicht Führerstand" types Ctrl+M
                         "70 down 65\n70 down 65\n70 down 65\n70 down 65\n70 up 65\n"
                         "80 down 72\n90 up 72\n"     // pulled out under the horn: let go
                         "120 down 72\n120 type ^m\n" // back: held buttons anew
                         "2290 up 72\n");             // the end lets go of the horn
    EXPECT_EQ(err.str(), "message: Dateiformat der Kalibierung (Kalibrierung.dat) ist ungültig\n");
    EXPECT_EQ(dir.read("cal.dat"), calibration) << "a replay never writes the calibration";
    EXPECT_FALSE(std::filesystem::exists(dir.file("Kalibrierung.dat")));
}
