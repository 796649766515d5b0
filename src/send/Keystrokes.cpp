#include "send/Keystrokes.h"

#include "common/TextFile.h"

#include <array>
#include <cctype>
#include <string>

namespace kordan {

namespace {

struct NamedKey {
    std::string_view name;
    int32_t virtualKey;
};

constexpr std::array<NamedKey, 31> kNamedKeys{{
    {"ENTER", 0x0D},     {"TAB", 0x09},     {"ESC", 0x1B},        {"ESCAPE", 0x1B},
    {"BACKSPACE", 0x08}, {"BS", 0x08},      {"BKSP", 0x08},       {"DELETE", 0x2E},
    {"DEL", 0x2E},       {"INSERT", 0x2D},  {"INS", 0x2D},        {"HOME", 0x24},
    {"END", 0x23},       {"PGUP", 0x21},    {"PGDN", 0x22},       {"UP", 0x26},
    {"DOWN", 0x28},      {"LEFT", 0x25},    {"RIGHT", 0x27},      {"BREAK", 0x03},
    {"CAPSLOCK", 0x14},  {"NUMLOCK", 0x90}, {"SCROLLLOCK", 0x91}, {"PRTSC", 0x2C},
    {"HELP", 0x2F},      {"ADD", 0x6B},     {"SUBTRACT", 0x6D},   {"MULTIPLY", 0x6A},
    {"DIVIDE", 0x6F},    {"SPACE", 0x20},   {"CLEAR", 0x0C},
}};

constexpr int32_t kVkReturn = 0x0D;
constexpr int32_t kVkF1 = 0x70;

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

struct Modifiers {
    bool ctrl = false;
    bool shift = false;
    bool alt = false;
    Modifiers operator|(const Modifiers& o) const {
        return {ctrl || o.ctrl, shift || o.shift, alt || o.alt};
    }
};

KeyStroke stroke(Modifiers m, int32_t vk, char32_t ch) {
    return {m.ctrl, m.shift, m.alt, vk, ch};
}

} // namespace

int32_t namedKeyCode(std::string_view name) {
    const std::string n = upper(name);
    if (n.size() >= 2 && n.size() <= 3 && n[0] == 'F') {
        int number = 0;
        for (size_t i = 1; i < n.size(); ++i) {
            if (!std::isdigit(static_cast<unsigned char>(n[i])))
                return 0;
            number = number * 10 + (n[i] - '0');
        }
        return number >= 1 && number <= 24 && n[1] != '0' ? kVkF1 + number - 1 : 0;
    }
    for (const auto& k : kNamedKeys)
        if (k.name == n)
            return k.virtualKey;
    return 0;
}

std::string virtualKeyName(int32_t vk) {
    // The punctuation keys as a German keyboard has them.
    static constexpr std::array<NamedKey, 34> kLabels{{
        {"Rück", 0x08},
        {"Tab", 0x09},
        {"Eingabe", 0x0D},
        {"Pause", 0x13},
        {"Esc", 0x1B},
        {"Leertaste", 0x20},
        {"Bild auf", 0x21},
        {"Bild ab", 0x22},
        {"Ende", 0x23},
        {"Pos1", 0x24},
        {"Pfeil links", 0x25},
        {"Pfeil auf", 0x26},
        {"Pfeil rechts", 0x27},
        {"Pfeil ab", 0x28},
        {"Druck", 0x2C},
        {"Einfg", 0x2D},
        {"Entf", 0x2E},
        {"Num *", 0x6A},
        {"Num +", 0x6B},
        {"Num -", 0x6D},
        {"Num ,", 0x6E},
        {"Num /", 0x6F},
        {"Ü", 0xBA},
        {"+", 0xBB},
        {",", 0xBC},
        {"-", 0xBD},
        {".", 0xBE},
        {"#", 0xBF},
        {"Ö", 0xC0},
        {"ß", 0xDB},
        {"^", 0xDC},
        {"´", 0xDD},
        {"Ä", 0xDE},
        {"<", 0xE2},
    }};
    if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
        return std::string(1, static_cast<char>(vk));
    if (vk >= 0x60 && vk <= 0x69)
        return "Num " + std::to_string(vk - 0x60);
    if (vk >= kVkF1 && vk < kVkF1 + 24)
        return "F" + std::to_string(vk - kVkF1 + 1);
    for (const auto& k : kLabels)
        if (k.virtualKey == vk)
            return std::string(k.name);
    return "Code " + std::to_string(vk);
}

std::string keystrokesText(std::string_view keys) {
    std::string text;
    for (const KeyStroke& k : parseKeystrokes(keys)) {
        text += text.empty() ? "" : " ";
        text += std::string(k.ctrl ? "Strg+" : "") + (k.shift ? "Umschalt+" : "") +
                (k.alt ? "Alt+" : "");
        if (k.virtualKey != 0)
            text += virtualKeyName(k.virtualKey);
        else if (k.character < 0x80)
            text += static_cast<char>(std::toupper(static_cast<int>(k.character)));
        else
            text += "?"; // none of the program's own strings has one
    }
    return text;
}

std::vector<KeyStroke> parseKeystrokes(std::string_view keys) {
    std::vector<KeyStroke> out;
    Modifiers pending;             // for the next key or group
    std::vector<Modifiers> groups; // modifiers held by the open groups
    auto held = [&] {
        Modifiers m;
        for (const auto& g : groups)
            m = m | g;
        return m;
    };
    size_t i = 0;
    while (i < keys.size()) {
        const char c = keys[i];
        if (c == '^' || c == '+' || c == '%') {
            (c == '^' ? pending.ctrl : c == '+' ? pending.shift : pending.alt) = true;
            ++i;
            continue;
        }
        if (c == '(') {
            groups.push_back(pending);
            pending = {};
            ++i;
            continue;
        }
        if (c == ')') {
            if (!groups.empty())
                groups.pop_back();
            pending = {};
            ++i;
            continue;
        }
        const Modifiers m = held() | pending;
        pending = {};
        if (c == '~') {
            out.push_back(stroke(m, kVkReturn, 0));
            ++i;
            continue;
        }
        if (c == '{') {
            // "{}}" and "{{}" name the brace itself, so the closing brace is searched from
            // the second character on.
            const size_t close = keys.find('}', i + 2);
            if (close == std::string_view::npos)
                break;
            std::string_view inner = keys.substr(i + 1, close - i - 1);
            i = close + 1;
            int repeat = 1;
            if (const size_t blank = inner.rfind(' ');
                blank != std::string_view::npos && blank > 0) {
                std::string_view count = inner.substr(blank + 1);
                int n = 0;
                bool digits = !count.empty() && count.size() <= 4;
                for (char d : count) {
                    if (!std::isdigit(static_cast<unsigned char>(d)))
                        digits = false;
                    else
                        n = n * 10 + (d - '0');
                }
                if (digits) {
                    repeat = n;
                    inner = inner.substr(0, blank);
                }
            }
            int32_t vk = namedKeyCode(inner);
            char32_t ch = 0;
            if (vk == 0) {
                size_t k = 0;
                if (!inner.empty())
                    ch = nextUtf8CharLenient(inner, k);
                if (inner.empty() || k != inner.size())
                    continue; // unknown name
            }
            for (int r = 0; r < repeat; ++r)
                out.push_back(stroke(m, vk, ch));
            continue;
        }
        out.push_back(stroke(m, 0, nextUtf8CharLenient(keys, i)));
    }
    return out;
}

} // namespace kordan
