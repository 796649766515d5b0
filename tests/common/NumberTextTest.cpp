#include "common/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace kordan;

TEST(NumberText, ReadsLenientlyFromTheStart) {
    EXPECT_EQ(readNumber(" 5 "), 5);
    EXPECT_EQ(readNumber("5"), 5);
    EXPECT_EQ(readNumber("5abc"), 5);
    EXPECT_EQ(readNumber(""), 0);
    EXPECT_EQ(readNumber("abc"), 0);
    EXPECT_EQ(readNumber("-12"), -12);
    EXPECT_EQ(readNumber("12.345"), 12.345);
    EXPECT_EQ(readNumber("12,345"), 12); // the comma is no decimal point
    EXPECT_EQ(readNumber(".5"), 0.5);
    EXPECT_EQ(readNumber("-"), 0);
    EXPECT_EQ(readNumber("5e"), 5);
    EXPECT_EQ(readNumber("1e3"), 1000);
}

TEST(NumberText, BlankRules) {
    EXPECT_EQ(readNumber("1 2"), 1);
    EXPECT_EQ(readNumber("1 2", Blanks::Anywhere), 12);
    EXPECT_EQ(readNumber("\t7"), 0); // only blanks lead
    EXPECT_EQ(readNumber("\t 7\t5", Blanks::Anywhere), 75);
    EXPECT_EQ(readNumber(" 1 . 5", Blanks::Anywhere), 1.5);
}

TEST(NumberText, RoundsHalvesToEven) {
    EXPECT_EQ(toInt32(2.5), 2);
    EXPECT_EQ(toInt32(3.5), 4);
    EXPECT_EQ(toInt32(-2.5), -2);
    EXPECT_EQ(toInt32(7.5), 8);
    EXPECT_EQ(toInt32(6.5), 6);
    EXPECT_EQ(toInt32(0.49), 0);
}

TEST(NumberText, ConversionsClampInsteadOfOverflowing) {
    EXPECT_EQ(toInt16(40000), 32767);
    EXPECT_EQ(toInt16(-40000), -32768);
    EXPECT_EQ(toInt32(1e300), 2147483647);
    EXPECT_EQ(toInt32(-1e300), -2147483647 - 1);
    EXPECT_EQ(toByte(300), 255);
    EXPECT_EQ(toByte(-1), 0);
    double huge = readNumber("9" + std::string(400, '9'));
    EXPECT_TRUE(std::isinf(huge));
    EXPECT_EQ(toInt32(huge), 2147483647);
    EXPECT_EQ(readInt32("1e999999999"), 2147483647);
    EXPECT_EQ(readInt32("1e-999999999"), 0);
}

TEST(NumberText, FileNumbersCarryBlanks) {
    EXPECT_EQ(formatFileNumber(5), " 5 ");
    EXPECT_EQ(formatFileNumber(0), " 0 ");
    EXPECT_EQ(formatFileNumber(-5), "-5 ");
    EXPECT_EQ(formatFileNumber(1000), " 1000 ");
}
