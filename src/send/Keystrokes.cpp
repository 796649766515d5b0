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
