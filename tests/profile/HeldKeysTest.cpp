#include "profile/HeldKeys.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakeSimWindow.h"
#include "profile/ZusiProfile.h"

#include <gtest/gtest.h>

namespace kordan {
namespace {

using test::FakeSimWindow;
using Event = FakeSimWindow::Event;
using Events = std::vector<Event>;
constexpr WindowHandle kZusi = 0x4200001;
constexpr int32_t kHornKey = 72, kBrakeValveKey = 186;

Event key(uint32_t message, int32_t virtualKey) {
    return {Event::Post, kZusi, message, virtualKey, {}};
}

// The profile's and the sender's tick as the main loop runs them, through the key holder.
class HeldKeysTick : public ::testing::Test {
protected:
    HeldKeysTick() {
        window.addWindow(kZusi, "Zusi - Testfahrt");
        window.setForeground(kZusi);
        sender.GetConnect();
    }
    void define(int k, int32_t press, int32_t repeat) {
        ZusiButton& b = profile.buttons(k);
        b.Press = press;
        b.Repeat = repeat;
        b.Defined = true;
    }
    void ticks(int n, bool repeats) {
        for (int i = 0; i < n; ++i)
            held.tick(repeats);
    }
    FakeSimWindow window;
    ZusiSend sender{window, makeKeyTable([](std::string_view name) -> std::string {
                        return name == "T9" ? "72" : name == "T14" ? "186" : "";
                    })};
    test::FakeDialogs dialogs;
    ZusiProfile profile{dialogs, "."};
    HeldKeys held{sender, profile};
};

TEST_F(HeldKeysTick, TheLastButtonRepeatsLikeTheFirst) {
    define(ZusiProfile::MaxButtons, ZusiSendKonstanten::Pfeife, 2);
    held.button(ZusiProfile::MaxButtons, 1);
    window.events.clear();
    ticks(3, true); // the first repetition comes one tick after the period
    EXPECT_EQ(window.events,
              (Events{key(WM_Const::WM_KEYDOWN, kHornKey), key(WM_Const::WM_KEYUP, kHornKey)}));
}

TEST_F(HeldKeysTick, AButtonLetGoBeforeItsAssignmentChangesRepeatsNoMore) {
    for (int k : {1, ZusiProfile::MaxButtons}) {
        define(k, ZusiSendKonstanten::Pfeife, 1);
        held.button(k, 1);
        held.releaseButton(k);
    }
    window.events.clear();
    ticks(3, true);
    EXPECT_EQ(window.events, Events{});
}

// A lever resting in a repeating zone: the first axis repeats like the others.
TEST_F(HeldKeysTick, TheFirstAxisRepeatsLikeTheOthers) {
    ZusiAxis& axis = profile.Axis(1);
    axis.setDateiname("Pfeife.axr");
    axis.setZoneCount(1);
    axis.Zone(0) = {"Pfeife", 0, 100, ZusiSendKonstanten::Pfeife, 0, 1};
    held.lever(1, 200, 50);
    window.events.clear();
    ticks(3, true); // twice in three ticks
    const Event down = key(WM_Const::WM_KEYDOWN, kHornKey), up = key(WM_Const::WM_KEYUP, kHornKey);
    EXPECT_EQ(window.events, (Events{down, up, down, up}));
}

TEST_F(HeldKeysTick, TheEmergencyBrakeLetsGoAlsoWithoutRepetitions) {
    define(1, ZusiSendKonstanten::Schnellbremsung, 0);
    held.button(1, 1);
    held.button(1, 0);
    window.events.clear();
    ticks(6, false);
    EXPECT_EQ(window.events, Events{key(WM_Const::WM_KEYUP, kBrakeValveKey)});
}

} // namespace
} // namespace kordan
