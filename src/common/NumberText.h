#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reading and writing numbers the way every file, registry value and dialog field of the
// program does: lenient reading ("5abc" is 5, "" is 0), halves rounded to the even
// neighbour, and conversions that clamp instead of overflowing.
namespace kordan {

enum class Blanks {
    Leading,  // only blanks in front of the number are skipped (files, dialog fields)
    Anywhere, // blanks and tabs are skipped wherever they stand ("1 2" is 12)
};

// The number at the start of the text: optional sign, digits, "." and fraction, optional
// exponent. Reading stops at the first character that cannot continue the number; a
// text without a number gives 0. Never returns NaN; overlong numbers give +-infinity.
double readNumber(std::string_view text, Blanks blanks = Blanks::Leading);

// Nearest whole number, halves to the even neighbour, clamped to the type's range.
int64_t roundHalfEven(double value);
int32_t toInt32(double value);
int16_t toInt16(double value);
uint8_t toByte(double value);

// Text read as a number, then rounded to a 32-bit whole number.
inline int32_t readInt32(std::string_view text, Blanks blanks = Blanks::Leading) {
    return toInt32(readNumber(text, blanks));
}

// A number as it is written to the program's files: one blank (or "-") in front and one
// blank behind: " 5 ", "-5 ".
std::string formatFileNumber(int64_t value);

// A 32-bit number's upper-case hex text, at least `width` digits: hexText(210, 3) is "0D2".
std::string hexText(int64_t value, size_t width);

} // namespace kordan
