#include "common/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace kordan {

namespace {

bool isBlank(char c, Blanks blanks) {
    return c == ' ' || (blanks == Blanks::Anywhere && c == '\t');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

double readNumber(std::string_view text, Blanks blanks) {
    // Collect the characters that make up the number, dropping blanks where allowed.
    std::string digits;
    size_t i = 0;
    auto skip = [&] {
        while (i < text.size() && isBlank(text[i], blanks))
            ++i;
    };
    skip();
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        digits += text[i++];
    }
    auto takeDigits = [&] {
        for (;;) {
            if (blanks == Blanks::Anywhere)
                skip();
            if (i < text.size() && isDigit(text[i])) {
                digits += text[i++];
            } else {
                break;
            }
        }
    };
    takeDigits();
    if (i < text.size() && text[i] == '.') {
        digits += text[i++];
        takeDigits();
    }
    // An exponent counts only when digits follow it; "5e" is 5.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        std::string exp = "e";
        if (j < text.size() && (text[j] == '-' || text[j] == '+'))
            exp += text[j++];
        size_t expDigits = 0;
        while (j < text.size() && isDigit(text[j])) {
            if (expDigits < 6)
                exp += text[j];
            ++expDigits;
            ++j;
        }
        if (expDigits > 0) {
            digits +=
                expDigits > 5 ? (exp.size() > 1 && exp[1] == '-' ? "e-99999" : "e99999") : exp;
        }
    }
    // strtod reads "inf"/"nan" too, but the collected text holds only digits, sign,
    // point and exponent, so neither can appear; without digits it converts nothing: 0.
    return std::strtod(digits.c_str(), nullptr);
}

int64_t roundHalfEven(double value) {
    if (std::isnan(value))
        return 0;
    // Within what int64_t holds; the default rounding mode rounds halves to even.
    return static_cast<int64_t>(std::nearbyint(std::clamp(value, -9.2e18, 9.2e18)));
}

namespace {
template <typename T> T clampTo(double value) {
    return static_cast<T>(std::clamp<int64_t>(roundHalfEven(value), std::numeric_limits<T>::min(),
                                              std::numeric_limits<T>::max()));
}
} // namespace

int32_t toInt32(double value) {
    return clampTo<int32_t>(value);
}
int16_t toInt16(double value) {
    return clampTo<int16_t>(value);
}
uint8_t toByte(double value) {
    return clampTo<uint8_t>(value);
}

std::string formatFileNumber(int64_t value) {
    std::string s = std::to_string(value);
    if (value >= 0)
        s.insert(s.begin(), ' ');
    s += ' ';
    return s;
}

std::string hexText(int64_t value, size_t width) {
    static const char* digits = "0123456789ABCDEF";
    uint64_t v = static_cast<uint64_t>(value) & 0xFFFFFFFFu;
    std::string s;
    do {
        s.insert(s.begin(), digits[v % 16]);
        v /= 16;
    } while (v != 0);
    s.insert(0, width - std::min(width, s.size()), '0');
    return s;
}

} // namespace kordan
