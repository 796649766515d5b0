#include "StandinKeys.h"

#include "send/x11/X11KeyMap.h"

#include <gtest/gtest.h>

#include <set>

namespace standin {
namespace {

TEST(StandinKeys, EverySettingHasItsIndexAndADistinctKey) {
    std::set<int32_t> seen;
    int index = 0;
    for (const auto& s : keySettings()) {
        EXPECT_EQ(s.index, index++);
        EXPECT_TRUE(seen.insert(s.virtualKey).second) << "T" << s.index << " repeats a key";
    }
}

TEST(StandinKeys, NoSettingCollidesWithAFixedKeyOrATypedView) {
    // F2-F12 are sent as fixed keys; Ctrl+D/F/M are typed for the views.
    for (const auto& s : keySettings()) {
        EXPECT_FALSE(s.virtualKey >= 0x71 && s.virtualKey <= 0x7B) << "T" << s.index;
        EXPECT_NE(s.virtualKey, 'D');
        EXPECT_NE(s.virtualKey, 'F');
        EXPECT_NE(s.virtualKey, 'M');
    }
}

TEST(StandinKeys, EveryKeyTravelsThroughTheX11MapAndBack) {
    for (const auto& s : keySettings()) {
        const auto syms = kordan::keysymsForVirtualKey(s.virtualKey);
        ASSERT_FALSE(syms.empty()) << "T" << s.index << " cannot be delivered";
        // The backend sends the first keysym the server can type; any of them must come
        // back as the same key.
        for (unsigned long sym : syms)
            EXPECT_EQ(virtualKeyForKeysym(sym), s.virtualKey) << "T" << s.index;
        EXPECT_EQ(actionForKey(s.virtualKey), s.action);
    }
}

TEST(StandinKeys, ShiftedLettersAndModifiersAreRecognised) {
    EXPECT_EQ(virtualKeyForKeysym('A'), 'A');
    EXPECT_EQ(virtualKeyForKeysym('a'), 'A');
    // Ctrl of a typed "^m" arrives as Control_L (0xffe3).
    EXPECT_EQ(virtualKeyForKeysym(0xffe3), 0x11);
    EXPECT_EQ(virtualKeyForKeysym(0xffbf), 0x71); // F2 of "Pause"
    EXPECT_EQ(virtualKeyForKeysym(0), 0);
    EXPECT_EQ(virtualKeyForKeysym(0x12345678), 0);
}

TEST(StandinKeys, UnknownKeysDoNothing) {
    EXPECT_EQ(actionForKey('D'), Action::None);
    EXPECT_EQ(actionForKey(0x71), Action::None);
    EXPECT_EQ(actionText(Action::None), "");
    EXPECT_EQ(actionText(actionForKey('P')), "Pfeife");
}

} // namespace
} // namespace standin
