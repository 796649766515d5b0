#include "send/Keystrokes.h"

#include <gtest/gtest.h>

namespace kordan {
namespace {

KeyStroke vk(int32_t code, bool ctrl = false, bool shift = false, bool alt = false) {
    return {ctrl, shift, alt, code, 0};
}
KeyStroke ch(char32_t c, bool ctrl = false, bool shift = false, bool alt = false) {
    return {ctrl, shift, alt, 0, c};
}

TEST(Keystrokes, TheCatalogueStrings) {
    EXPECT_EQ(parseKeystrokes("^{F8}"), std::vector{vk(0x77, true)});
    EXPECT_EQ(parseKeystrokes("^m"), std::vector{ch('m', true)});
    EXPECT_EQ(parseKeystrokes("^f"), std::vector{ch('f', true)});
    EXPECT_EQ(parseKeystrokes("^d"), std::vector{ch('d', true)});
}

TEST(Keystrokes, ModifiersApplyToTheNextKeyOrGroupOnly) {
    EXPECT_EQ(parseKeystrokes("+%ab"), (std::vector{ch('a', false, true, true), ch('b')}));
    EXPECT_EQ(parseKeystrokes("^(ab)c"), (std::vector{ch('a', true), ch('b', true), ch('c')}));
    EXPECT_EQ(parseKeystrokes("+(^x)"), std::vector{ch('x', true, true)});
}

TEST(Keystrokes, NamedKeysRepeatsAndLiterals) {
    EXPECT_EQ(parseKeystrokes("{enter}{Tab}{F24}~"),
              (std::vector{vk(0x0D), vk(0x09), vk(0x87), vk(0x0D)}));
    EXPECT_EQ(parseKeystrokes("{LEFT 3}"), (std::vector{vk(0x25), vk(0x25), vk(0x25)}));
    EXPECT_EQ(parseKeystrokes("{+}{^}{{}{}}{%}"),
              (std::vector{ch('+'), ch('^'), ch('{'), ch('}'), ch('%')}));
    EXPECT_EQ(parseKeystrokes("{\u00fc}\u00e4"), (std::vector{ch(0xFC), ch(0xE4)}));
    EXPECT_EQ(namedKeyCode("f1"), 0x70);
    EXPECT_EQ(namedKeyCode("F25"), 0);
    EXPECT_EQ(namedKeyCode("F0"), 0);
    EXPECT_EQ(namedKeyCode("F01"), 0);
}

TEST(Keystrokes, UnknownOrBrokenPartsAreSkipped) {
    EXPECT_EQ(parseKeystrokes("{NOSUCHKEY}a"), std::vector{ch('a')});
    EXPECT_EQ(parseKeystrokes("a{F8"), std::vector{ch('a')});
    EXPECT_EQ(parseKeystrokes("a)b"), (std::vector{ch('a'), ch('b')}));
    EXPECT_EQ(parseKeystrokes("^"), std::vector<KeyStroke>{});
    EXPECT_EQ(parseKeystrokes(""), std::vector<KeyStroke>{});
    EXPECT_EQ(parseKeystrokes("\xff"), std::vector{ch(0xFF)});
}

} // namespace
} // namespace kordan
