#include "profile/ZusiProfile.h"

#include "fakes/FakeDialogs.h"
#include "fakes/RecordingSender.h"

#include <gtest/gtest.h>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::RecordingSender;
using Calls = std::vector<RecordingSender::Call>;

namespace {

constexpr int P = 28, A = 29, C = 30, D = 31, E = 32, S2 = 33;

struct Buttons : ::testing::Test {
    FakeDialogs dialogs;
    ZusiProfile profile{dialogs, "/prog"};
    RecordingSender se;
    ZusiButton& define(int k, int press, int release = 0, int repeat = 0, int hold = 0,
                       int shift = 0, int press2 = 0) {
        return profile.buttons(k) = {"", press, release, repeat, hold, shift, press2, true};
    }
    Calls press(int k) {
        profile.doButton(se, k, 1);
        return se.take();
    }
    Calls release(int k) {
        profile.doButton(se, k, 0);
        return se.take();
    }
    Calls ticks(int n) {
        for (int i = 0; i < n; ++i)
            profile.Timer(se);
        return se.take();
    }
};

} // namespace

TEST_F(Buttons, PressReleaseAndHoldOfKnownButtonsInStatesZeroAndOne) {
    define(5, P, 0, 1).Defined = false;
    EXPECT_EQ(press(5), Calls{}); // undefined: nothing, no countdown
    EXPECT_EQ(ticks(3), Calls{});
    EXPECT_EQ(release(5), Calls{});
    define(1, P);
    EXPECT_EQ(press(1), (Calls{{P, 1}, {P, 2}}));
    EXPECT_EQ(release(1), Calls{});
    ZusiButton& held = define(2, P, E, 0, 1);
    EXPECT_EQ(press(2), (Calls{{P, 1}}));
    EXPECT_EQ(release(2), (Calls{{P, 2}, {E, 1}, {E, 2}}));
    held.Hold = 2; // hand-edited: the key went down without Up, so the release lets it up
    EXPECT_EQ(press(2), (Calls{{P, 1}}));
    EXPECT_EQ(release(2), (Calls{{P, 2}, {E, 1}, {E, 2}}));
    held.Press = 0; // Hold sends the Up even without a Press code
    EXPECT_EQ(release(2), (Calls{{0, 2}, {E, 1}, {E, 2}}));
    define(44, A);
    EXPECT_EQ(press(44), (Calls{{A, 1}, {A, 2}}));
    for (int k : {0, -1, 45, 1000}) {
        EXPECT_EQ(press(k), Calls{});
        EXPECT_EQ(release(k), Calls{});
    }
    profile.doButton(se, 1, 2);
    profile.doButton(se, 1, -1);
    EXPECT_EQ(se.take(), Calls{});
    EXPECT_THROW(profile.buttons(0), std::out_of_range);
    EXPECT_THROW(profile.buttons(45), std::out_of_range);
}

TEST_F(Buttons, AutoRepeatTiming) {
    define(3, P, 0, 3);
    EXPECT_EQ(press(3), (Calls{{P, 1}, {P, 2}}));
    EXPECT_EQ(profile.buttons(3).Timer, 4);
    EXPECT_EQ(ticks(3), Calls{});
    EXPECT_EQ(ticks(1), (Calls{{P, 1}, {P, 2}})); // 4th tick
    EXPECT_EQ(ticks(2), Calls{});
    EXPECT_EQ(ticks(1), (Calls{{P, 1}, {P, 2}})); // then every 3rd
    EXPECT_EQ(release(3), Calls{});
    EXPECT_EQ(ticks(10), Calls{});
    define(4, A, 0, 1, 1);
    press(4);
    EXPECT_EQ(ticks(3), (Calls{{A, 1}, {A, 1}})); // a held key repeats its Down only
    EXPECT_EQ(release(4), (Calls{{A, 2}}));
    define(6, 0, 0, 2); // Press 0: the press is silent, the repetition is not
    EXPECT_EQ(press(6), Calls{});
    EXPECT_EQ(ticks(3), (Calls{{0, 1}, {0, 2}}));
    EXPECT_EQ(ticks(2), (Calls{{0, 1}, {0, 2}}));
    release(6);
    press(3);
    press(6);
    se.take();
    profile.buttons(6).Defined = false; // undefined under its running repetition
    profile.stopRepeat(3);
    EXPECT_EQ(ticks(8), Calls{});
    define(7, P, 0, -3); // hand-edited: never fires, never overflows
    press(7);
    se.take();
    EXPECT_EQ(ticks(10), Calls{});
}

TEST_F(Buttons, ShiftLayer) {
    ZusiButton& s = define(1, A, 0, 0, 0, 1);
    ZusiButton& x = define(2, D, E, 1, 0, 0, C);
    define(3, P); // no press2
    EXPECT_EQ(press(1), (Calls{{A, 1}, {A, 2}}));
    EXPECT_TRUE(profile.ShiftActive());
    EXPECT_EQ(press(2), (Calls{{C, 1}, {C, 2}}));
    EXPECT_EQ(ticks(3), Calls{}); // no auto-repeat in the layer
    EXPECT_EQ(press(3), Calls{});
    x.Hold = 1;
    EXPECT_EQ(release(2), (Calls{{D, 2}, {E, 1}, {E, 2}}));
    s.Release = S2;
    EXPECT_EQ(release(1), (Calls{{S2, 1}, {S2, 2}}));
    EXPECT_FALSE(profile.ShiftActive());
    x.Hold = 0;
    EXPECT_EQ(press(2), (Calls{{D, 1}, {D, 2}}));
    release(2);
    // Two shift buttons: the second is in the layer too; releasing either ends it.
    define(2, D, 0, 0, 0, 1, C);
    define(3, P, 0, 0, 0, 0, E);
    press(1);
    EXPECT_EQ(press(2), (Calls{{C, 1}, {C, 2}}));
    EXPECT_TRUE(profile.ShiftActive());
    release(2);
    EXPECT_FALSE(profile.ShiftActive());
    EXPECT_EQ(press(3), (Calls{{P, 1}, {P, 2}}));
    release(3);
    release(1);
    EXPECT_FALSE(profile.ShiftActive());
    // -1 would skip the release steps; held key, repeat and Release must still happen.
    define(1, A, E, 1, 1, -1);
    EXPECT_EQ(press(1), (Calls{{A, 1}}));
    EXPECT_TRUE(profile.ShiftActive());
    EXPECT_EQ(release(1), (Calls{{A, 2}, {E, 1}, {E, 2}}));
    EXPECT_FALSE(profile.ShiftActive());
    EXPECT_EQ(ticks(5), Calls{});
}

TEST_F(Buttons, TickRunsButtonsThenAxesInOrder) {
    define(44, P, 0, 1);
    for (int i : {2, 1}) {
        ZusiAxis& axis = profile.Axis(i);
        axis.setDateiname("a.axr");
        axis.Zone(0) = {"", 0, 255, 10 + i, 0, 1};
        axis.setZoneCount(1);
        axis.NewValue(300, 100, false, se);
    }
    press(44);
    se.take();
    EXPECT_EQ(ticks(2), (Calls{{P, 1}, {P, 2}, {11, 1}, {11, 2}, {12, 1}, {12, 2}}));
    EXPECT_THROW(profile.Axis(0), std::out_of_range);
    EXPECT_THROW(profile.Axis(8), std::out_of_range);
}
