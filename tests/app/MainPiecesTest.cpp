// The main window's pure pieces: device entries, the poll's changes, the tick, the display.
#include "app/CommandLog.h"
#include "app/ControllerSession.h"
#include "app/LedPresenter.h"
#include "app/PollDispatcher.h"
#include "device/Reports.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace kordan;

TEST(ControllerSession, EntryTextAndHandle) {
    EXPECT_EQ(ControllerSession::entryText(210, 4, 12, 5),
              "PID: 0D2, Usg: 004, UP: 00C -- splat device #  5 Kordan Desktop");
    EXPECT_EQ(ControllerSession::entryText(210, 0x1234, 12, -7),
              "PID: 0D2, Usg: 1234, UP: 00C -- splat device # -7 Kordan Desktop");
    EXPECT_EQ(ControllerSession::entryText(255, 0, 0, 0).substr(0, 8), "PID: 0FF");
    EXPECT_EQ(ControllerSession::handleFromEntry("splat device #  123 Kordan"), 123);
    EXPECT_EQ(ControllerSession::handleFromEntry("splat device # -7 Kordan"), -7);
    EXPECT_EQ(ControllerSession::handleFromEntry("no hash"), 0);
    EXPECT_EQ(ControllerSession::handleFromEntry("#"), 0);
}

TEST(PollDispatcher, ButtonsAscendingThenLeversEachChangeOnceAndAFailedOneAgain) {
    PollDispatcher d;
    std::vector<std::string> calls;
    int failButton = 0;
    auto onButton = [&](int k, int pressed) {
        if (k == failButton)
            throw std::runtime_error("send failed");
        calls.push_back("b" + std::to_string(k) + "=" + std::to_string(pressed));
    };
    auto onLever = [&](int i, int from, int to) {
        calls.push_back("l" + std::to_string(i) + ":" + std::to_string(from) + ">" +
                        std::to_string(to));
    };
    PollDispatcher::Levers levers{};
    PollDispatcher::Buttons buttons{};
    levers[0] = 128;
    levers[6] = 3;
    buttons[43] = buttons[1] = true;
    // The first poll passes on every pressed button and every lever off 0.
    d.dispatch(levers, buttons, onButton, onLever);
    EXPECT_EQ(calls, (std::vector<std::string>{"b2=1", "b44=1", "l1:0>128", "l7:0>3"}));
    calls.clear();
    d.dispatch(levers, buttons, onButton, onLever);
    EXPECT_TRUE(calls.empty()) << "nothing changed, nothing passed on";
    buttons[1] = false;
    buttons[2] = true;
    levers[0] = 0;
    failButton = 3;
    EXPECT_THROW(d.dispatch(levers, buttons, onButton, onLever), std::runtime_error);
    EXPECT_EQ(calls, std::vector<std::string>{"b2=0"});
    failButton = 0;
    calls.clear();
    d.dispatch(levers, buttons, onButton, onLever);
    EXPECT_EQ(calls, (std::vector<std::string>{"b3=1", "l1:128>0"})) << "unrecorded comes again";
}

TEST(TickSchedule, StrictHundredMillisecondsStallsAndWrap) {
    struct Case {
        const char* what;
        double start;
        std::vector<std::pair<double, bool>> passes; // clock at the pass, tick due
    };
    for (const Case& c : {
             Case{"strict comparison", 0, {{100, false}, {110, true}, {200, false}, {201, true}}},
             Case{"short stall caught up one tick a pass",
                  0,
                  {{500, true}, {500, true}, {500, true}, {500, true}, {500, false}}},
             Case{"long stall drops the missed ticks",
                  0,
                  {{1500, false}, {1600, false}, {1601, true}}},
             Case{"wrapped clock restarts the mark",
                  4294967040.0,
                  {{20, false}, {120, false}, {121, true}}},
         }) {
        TickSchedule t;
        t.start(c.start);
        for (auto [now, due] : c.passes) {
            EXPECT_EQ(t.due(now), due) << c.what << " at " << now;
            if (due)
                t.ticked();
        }
    }
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
    led.setChoice(-1);
    EXPECT_EQ(led.refresh(read), std::nullopt);
}

TEST(CommandLog, LinesForStepsPressesAndDroppedCommands) {
    EXPECT_EQ(commandLogLine(12345, 28, 1, false), "12.3 s  28 Pfeife: Down");
    EXPECT_EQ(commandLogLine(999, 1000, 3, false), "0.9 s  1000 Regelbereich Fahrschalter: +3");
    EXPECT_EQ(commandLogLine(0, 1001, -2, false).substr(0, 8), "0.0 s  1");
    EXPECT_EQ(commandLogLine(100, 29, 3, true),
              "0.1 s  29 SiFa: DownUp (verworfen, Zusi nicht gefunden)");
    EXPECT_EQ(commandLogLine(100, 29, 7, false), "0.1 s  29 SiFa: 7");
}
