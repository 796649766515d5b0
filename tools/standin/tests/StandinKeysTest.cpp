#include "StandinKeys.h"

#include "send/x11/X11KeyMap.h"

#include <gtest/gtest.h>

#include <set>

namespace standin {
namespace {

// Distinct keys, none of them F2-F12 (sent as fixed keys) or Ctrl+D/F/M (typed for views).
TEST(StandinKeys, EverySettingHasItsIndexAKeyOfItsOwnAndTravelsThroughTheX11Map) {
    std::set<int32_t> seen = {'D', 'F', 'M'};
    for (int k = 0x71; k <= 0x7B; ++k)
        seen.insert(k);
    int index = 0;
    for (const auto& s : keySettings()) {
        EXPECT_EQ(s.index, index++);
        EXPECT_TRUE(seen.insert(s.virtualKey).second) << "T" << s.index << " collides";
        const auto syms = kordan::keysymsForVirtualKey(s.virtualKey);
        ASSERT_FALSE(syms.empty()) << "T" << s.index << " cannot be delivered";
        // The backend sends the first keysym the server can type: each must come back.
        for (unsigned long sym : syms)
            EXPECT_EQ(virtualKeyForKeysym(sym), s.virtualKey) << "T" << s.index;
        EXPECT_EQ(actionForKey(s.virtualKey), s.action);
    }
    // Shifted letters and modifiers are known, unknown keys do nothing. Ctrl of a typed "^m"
    // arrives as Control_L (0xffe3), F2 of "Pause" as 0xffbf.
    for (auto [sym, vk] : {std::pair<unsigned long, int32_t>{'A', 'A'},
                           {0xffe3, 0x11},
                           {0xffbf, 0x71},
                           {0x12345678, 0}})
        EXPECT_EQ(virtualKeyForKeysym(sym), vk) << sym;
    EXPECT_EQ(actionForKey('D'), Action::None);
    EXPECT_EQ(actionForKey(0x71), Action::None);
}

} // namespace
} // namespace standin
