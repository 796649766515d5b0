#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kordan;

TEST(NumberText, ReadsLenientlyFromTheStart) {
    const std::tuple<std::string, Blanks, double> cases[] = {
        {" 5 ", Blanks::Leading, 5},       {"5abc", Blanks::Leading, 5},
        {"", Blanks::Leading, 0},          {"abc", Blanks::Leading, 0},
        {"-12", Blanks::Leading, -12},     {"12.345", Blanks::Leading, 12.345},
        {"12,345", Blanks::Leading, 12}, // the comma is no decimal point
        {".5", Blanks::Leading, 0.5},      {"-", Blanks::Leading, 0},
        {"5e", Blanks::Leading, 5},        {"1e3", Blanks::Leading, 1000},
        {"1 2", Blanks::Leading, 1},       {"1 2", Blanks::Anywhere, 12},
        {"\t7", Blanks::Leading, 0}, // only blanks lead
        {"\t 7\t5", Blanks::Anywhere, 75}, {" 1 . 5", Blanks::Anywhere, 1.5},
    };
    for (const auto& [text, blanks, value] : cases)
        EXPECT_EQ(readNumber(text, blanks), value) << text;
}

TEST(NumberText, RoundsHalvesToEvenAndClampsInsteadOfOverflowing) {
    const std::pair<double, int32_t> rounded[] = {
        {2.5, 2}, {3.5, 4},  {-2.5, -2},         {7.5, 8},
        {6.5, 6}, {0.49, 0}, {1e300, INT32_MAX}, {-1e300, INT32_MIN}};
    for (auto [value, expected] : rounded)
        EXPECT_EQ(toInt32(value), expected) << value;
    EXPECT_EQ(toInt16(40000), 32767);
    EXPECT_EQ(toInt16(-40000), -32768);
    EXPECT_EQ(toByte(300), 255);
    EXPECT_EQ(toByte(-1), 0);
    EXPECT_TRUE(std::isinf(readNumber("9" + std::string(400, '9'))));
    EXPECT_EQ(readInt32("9" + std::string(400, '9')), INT32_MAX);
    EXPECT_EQ(readInt32("1e999999999"), INT32_MAX);
    EXPECT_EQ(readInt32("1e-999999999"), 0);
}

TEST(NumberText, FileNumbersCarryBlanks) {
    EXPECT_EQ(formatFileNumber(5), " 5 ");
    EXPECT_EQ(formatFileNumber(0), " 0 ");
    EXPECT_EQ(formatFileNumber(-5), "-5 ");
}
