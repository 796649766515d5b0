#include "app/CommandLine.h"
#include "app/ControllerSession.h"
#include "app/Diagnostics.h"
#include "app/LedPresenter.h"
#include "app/PollDispatcher.h"
#include "app/Sheet.h"
#include "device/Reports.h"
#include "device/VirtualController.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempDir.h"
#include "profile/ZusiProfile.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>

using namespace kordan;

TEST(ControllerSession, TheHandleIsReadBackFromTheListEntry) {
    for (auto [entry, handle] :
         {std::pair{"device #  123 K", 123}, {"# -7 K", -7}, {"no hash", 0}, {"#", 0}})
        EXPECT_EQ(ControllerSession::handleFromEntry(entry), handle) << entry;
}

TEST(PollDispatcher, AChangeWhoseCallFailsComesAgainTheOthersOnlyOnce) {
    PollDispatcher d;
    std::vector<std::string> calls;
    bool failed = false;
    auto onButton = [&](int k, int pressed) {
        if (k == 3 && !std::exchange(failed, true))
            throw std::runtime_error("send failed");
        calls.push_back("b" + std::to_string(k) + "=" + std::to_string(pressed));
    };
    auto onLever = [&](int i, int from, int to) {
        calls.push_back("l" + std::to_string(i) + ":" + std::to_string(from) + ">" +
                        std::to_string(to));
    };
    PollDispatcher::Levers levers{0, 0, 0, 0, 0, 0, 3};
    PollDispatcher::Buttons buttons{};
    buttons[2] = buttons[43] = true;
    EXPECT_THROW(d.dispatch(levers, buttons, onButton, onLever), std::runtime_error);
    d.dispatch(levers, buttons, onButton, onLever);
    d.dispatch(levers, buttons, onButton, onLever);
    EXPECT_EQ(calls, (std::vector<std::string>{"b3=1", "b44=1", "l7:0>3"}));
}

TEST(TickSchedule, StrictHundredMillisecondsStallsAndWrap) {
    struct Case {
        const char* what;
        double start;
        std::vector<std::pair<double, bool>> passes; // clock at the pass, tick due
    };
    // clang-format off
    for (const Case& c : {
             Case{"strict comparison", 0, {{100, false}, {110, true}, {200, false}, {201, true}}},
             Case{"short stall: one tick a pass", 0, {{500, true}, {500, true}, {500, true}, {500, true}, {500, false}}},
             Case{"long stall drops the missed ticks", 0, {{1500, false}, {1600, false}, {1601, true}}}}) {
        // clang-format on
        TickSchedule t;
        t.start(c.start);
        for (auto [now, due] : c.passes) {
            EXPECT_EQ(t.due(now), due) << c.what << " at " << now;
            if (due)
                t.ticked();
        }
    }
}

// Resting over the ticks without a duty moves none of the duties: a loop that rests until
// the next busy tick meets the looks and the display's ticks where one waking every tick does.
TEST(TickSchedule, RestingPassesOverOnlyTicksWithoutDuties) {
    struct Run {
        std::vector<std::string> duties; // "look", "prefetch", "refresh" with the tick's time
        int wakes = 0;
    };
    auto run = [](bool resting) {
        TickSchedule t;
        t.start(0);
        Run r;
        for (double now = 1; now < 6000; ++r.wakes) {
            if (resting)
                t.passPlain(now);
            if (t.due(now)) {
                const auto display = t.displayDue();
                if (t.lookDue())
                    r.duties.push_back("look " + std::to_string(int(now)));
                if (display == TickSchedule::Display::Prefetch)
                    r.duties.push_back("prefetch " + std::to_string(int(now)));
                if (display == TickSchedule::Display::Refresh)
                    r.duties.push_back("refresh " + std::to_string(int(now)));
                t.ticked();
            }
            now += t.untilDue(now) + (resting ? 100 * t.plainAhead() : 0);
        }
        return r;
    };
    const Run every = run(false), rested = run(true);
    EXPECT_EQ(rested.duties, every.duties);
    EXPECT_EQ(every.wakes, 60);
    EXPECT_EQ(rested.wakes, 21) << "two wakes per display cycle and one look between them";
}

TEST(LedPresenter, ShowsTheChosenValueOnlyWhenChangedAndSignsWhenAsked) {
    LedPresenter led;
    std::map<std::string, std::string> registry{{"km/h", "87.9"}, {"km", "-3,5"}};
    auto read = [&](const std::string& name) { return registry[name]; };
    const auto blank = displayReport(0, 0, 0);
    const auto speed = displayReport(0x07, 0x7F, 0); // "87": 7 right, 8 middle
    led.setChoice(1);
    EXPECT_EQ(led.refresh(read), blank) << "blank outside the active mode";
    led.setMode(true);
    EXPECT_EQ(led.refresh(read), speed);
    EXPECT_EQ(led.refresh(read), std::nullopt) << "an unchanged value is not written again";
    led.setChoice(2);
    EXPECT_EQ(led.refresh(read), displayReport(0x6D, 0x4F | 0x80, 0)); // "3.5"
    EXPECT_EQ(led.missingProfile(), displayReport(0x78, 0x5C, 0x38));
    led.setChoice(1);
    EXPECT_EQ(led.refresh(read), speed) << "the sign forgot the last texts";
    led.setSimFound(false);
    EXPECT_EQ(led.refresh(read), displayReport(0x40, 0x40, 0x40)) << "dashes";
    led.setMode(true);
    EXPECT_EQ(led.refresh(read), speed) << "a new mode forgets the missing simulator";
    led.setChoice(0);
    EXPECT_EQ(led.refresh(read), blank);
}

TEST(CommandLine, OptionsValuesAndMistakes) {
    auto p = parseCommandLine({"--sheet", "a.cfr", "b.pdf", "--scenario", "s.txt", "--mode",
                               "aktiv", "--zusi3", "h:1", "--delivery", "x11", "--dir", "d"});
    EXPECT_EQ(p.error, "");
    EXPECT_TRUE(p.line.virtualController) << "a scenario plays on the virtual controller";
    EXPECT_EQ(p.line.activeMode, std::optional(true));
    EXPECT_EQ(p.line.sheetProfile, "a.cfr");
    EXPECT_EQ(p.line.sheetOut, "b.pdf");
    EXPECT_EQ(p.line.zusi3, std::optional<std::string>("h:1"));
    EXPECT_EQ(p.line.delivery, std::optional<std::string>("x11"));
    EXPECT_EQ(p.line.dir, "d");
    for (auto [args, error] :
         {std::pair{std::vector<std::string>{"--frei"},
                    "unbekannte Option --frei; alle Optionen nennt kordan --help"},
          {{"--mode", "aktiv", "--mode", "Aktiv"}, "--mode erwartet test oder aktiv, nicht Aktiv"},
          {{"--delivery", "wine"}, "--delivery erwartet bridge oder x11, nicht wine"},
          {{"--sheet", "a.cfr"}, "Option --sheet braucht zwei Werte: PROFIL AUSGABE"},
          {{"--profile"}, "Option --profile braucht einen Wert"}})
        EXPECT_EQ(parseCommandLine(args).error, error) << args[0];
    const std::pair<const char*, bool CommandLine::*> flags[] = {
        {"--help", &CommandLine::help},
        {"--version", &CommandLine::version},
        {"--diagnose", &CommandLine::diagnose},
        {"--quit", &CommandLine::quitAfterScenario},
        {"--virtual", &CommandLine::virtualController}};
    for (const auto& [arg, flag] : flags)
        EXPECT_TRUE(parseCommandLine({arg}).line.*flag) << arg;
}

// A profile named on the command line: as it stands, else in the program directory.
TEST(CommandLine, ProfileArgumentPath) {
    test::TempDir dir;
    dir.write("p.cfr", "");
    const struct {
        const char* name;
        std::string argument, programDir, path;
    } rows[] = {{"in the program directory", "p.cfr", dir.path(), dir.file("p.cfr")},
                {"found nowhere", "fehlt.cfr", dir.path(), "fehlt.cfr"},
                {"absolute", dir.file("p.cfr"), "/nowhere", dir.file("p.cfr")}};
    for (const auto& row : rows)
        EXPECT_EQ(profileArgumentPath(row.argument, row.programDir), row.path) << row.name;
}

TEST(Sheet, EveryDefinedButtonWithItsShiftLayerAndEveryZoneOfTheAssignedLevers) {
    test::FakeDialogs dialogs;
    ZusiProfile p(dialogs, "");
    EXPECT_EQ(buildSheet(p).title, "Belegung eines neuen Profils");
    EXPECT_EQ(sheetFileName(p), "Belegung.pdf");
    p.buttons(1) = {"Pfeife", 28, 0, 0, 1, 0, 38, true};
    p.buttons(28) = {"Umschalten", 0, 0, 0, 0, 1, 0, true};
    p.buttons(44) = {"", 14, 0, 0, 0, 0, 0, true};
    p.buttons(2).Bezeichnung = "nicht definiert";
    ZusiAxis& a = p.Axis(2);
    a.setDateiname("Achsen\\FS.axr");
    a.setFlip(1);
    a.setZoneCount(3);
    a.Zone(0) = {"Null", 0, 19, 16, 1, 0, 0, 0, 0};
    a.Zone(1) = {"Fahren", 20, 255, 0, 0, 0, 1000, -20, 0};
    a.Zone(2) = {"Sanden", 100, 110, 35, 0, 15, 0, 3, 25};
    p.Axis(3).setZoneCount(2); // zones without a file are not shown
    const Sheet s = buildSheet(p);
    std::vector<std::pair<int, std::string>> buttons;
    for (const auto& b : s.buttons)
        buttons.emplace_back(b.number, b.text);
    EXPECT_EQ(buttons,
              (std::vector<std::pair<int, std::string>>{{1, "Pfeife | mit Umschalttaste: Glocke"},
                                                        {28, "Umschalten (Umschalttaste)"},
                                                        {44, "Fahrschalter auf"}}));
    std::vector<std::string> levers;
    for (const auto& l : s.levers) {
        levers.push_back(l.caption);
        for (const auto& z : l.zones)
            levers.push_back(z.range + "|" + z.label + "|" + z.command);
    }
    EXPECT_EQ(levers.size(), 10u);
    EXPECT_EQ(std::vector(levers.begin(), levers.begin() + 6),
              (std::vector<std::string>{
                  "Hebel 1 (Reverser): Nicht zugeordnet", "Hebel 2 (Throttle): -FS.axr",
                  "0-19|Null|Fahrschalter null (gehalten)",
                  "20-255|Fahren|Regelbereich Fahrschalter, 20 Stufen von oben",
                  "100-110|Sanden|Sand ein/aus, alle 1,5 s; beim Verlassen Bremsventil loesen",
                  "Hebel 3 (Auto Brake): Nicht zugeordnet"}));
    // The picture draws the fields with an assignment stronger: lever 2 and the defined buttons.
    std::vector<std::string> marked;
    for (const auto& f : s.picture)
        if (f.assigned)
            marked.push_back(f.text);
    EXPECT_EQ(marked, (std::vector<std::string>{"H2", "1", "28", "44"}));
}

TEST(Diagnostics, VersionsControllersThePrefixWithUserRegAndTheWindow) {
    test::TempDir dir;
    dir.write("user.reg", "WINE REGISTRY Version 2\n");
    const auto written = std::filesystem::last_write_time(dir.file("user.reg"));
    VirtualController pult;
    CombinedPieHid hid({&pult});
    test::FakeRegistry registry;
    registry.set("software\\zusi", "ZusiDir", "C:\\Zusi");
    DiagnosticsSources src{"1.0.2",
                           "6.4.2",
                           "",
                           "Linux",
                           &hid,
                           &registry,
                           [&](const std::string&) { return dir.file("zusi"); },
                           std::filesystem::path(dir.path()),
                           "Windows",
                           true,
                           "127.0.0.1:1436, verbunden"};
    const std::string d = dir.path();
    EXPECT_EQ(diagnosticsText(src, written + std::chrono::seconds(150)),
              "Kordan für Zusi 1.0.2\nQt 6.4.2, hidapi nicht eingebaut\nBetriebssystem: Linux\n"
              "Fahrpulte (Hersteller 05F3):\n  PID 0D2, UP 00C: virtuell - kann geöffnet werden\n"
              "Wine-Prefix des Simulators: " +
                  d + "\nuser.reg: " + d +
                  "/user.reg - geändert vor 2 min\nZusi-Verzeichnis: C:\\Zusi = " + d +
                  "/zusi - fehlt\nWeg zu Zusi: Windows\nZusi 3 (TCP): 127.0.0.1:1436, "
                  "verbunden\nZusi-Fenster: gefunden\n");
    for (auto [s, text] : {std::pair{0, "gerade eben"},
                           {1, "vor 1 s"},
                           {60, "vor 1 min"},
                           {3600, "vor 1 h"},
                           {86400, "vor 1 Tag"},
                           {172800, "vor 2 Tagen"}})
        EXPECT_EQ(ageText(std::chrono::seconds(s)), text) << s;
}
