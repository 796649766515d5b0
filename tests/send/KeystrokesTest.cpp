#include "send/Keystrokes.h"

#include <gtest/gtest.h>

namespace kordan {
namespace {

// A count has at most four digits: a longer one is no count, and the braces name no key,
// rather than a slip of the keyboard typing a key a hundred thousand times.
TEST(Keystrokes, ACountOfMoreThanFourDigitsIsNoCount) {
    EXPECT_EQ(parseKeystrokes("{LEFT 1234}").size(), 1234u);
    EXPECT_EQ(parseKeystrokes("{LEFT 12345}"), std::vector<KeyStroke>{});
}

} // namespace
} // namespace kordan
