#include "sim/winereg/WineRegistry.h"

#include "common/TextFile.h"
#include "common/WinePaths.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kordan {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

// UTF-16 code units as UTF-8; a lone surrogate becomes U+FFFD.
std::string utf16ToUtf8(const std::u16string& units) {
    std::string out;
    for (size_t i = 0; i < units.size(); ++i) {
        char32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = 0xFFFD;
        }
        appendUtf8(out, u);
    }
    return out;
}

bool isHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int hexValue(char c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

void appendUnits(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

// Reads a text written with Wine's escapes up to the unescaped `end` character, starting
// at `i` and leaving `i` behind `end`. nullopt when `end` never comes.
std::optional<std::string> parseEscaped(std::string_view line, size_t& i, char end) {
    std::u16string units;
    while (i < line.size()) {
        const char c = line[i];
        if (c == end) {
            ++i;
            return utf16ToUtf8(units);
        }
        if (c != '\\') {
            appendUnits(units, nextUtf8CharLenient(line, i));
            continue;
        }
        if (++i == line.size())
            return std::nullopt;
        const char e = line[i++];
        switch (e) {
        case 'a':
            units += u'\a';
            break;
        case 'b':
            units += u'\b';
            break;
        case 'e':
            units += u'\x1b';
            break;
        case 'f':
            units += u'\f';
            break;
        case 'n':
            units += u'\n';
            break;
        case 'r':
            units += u'\r';
            break;
        case 't':
            units += u'\t';
            break;
        case 'v':
            units += u'\v';
            break;
        case 'x': {
            // Up to four hex digits name one UTF-16 code unit; "\x" alone is an "x".
            unsigned value = 0;
            int digits = 0;
            while (digits < 4 && i < line.size() && isHex(line[i])) {
                value = value * 16 + static_cast<unsigned>(hexValue(line[i++]));
                ++digits;
            }
            units += digits > 0 ? static_cast<char16_t>(value) : u'x';
            break;
        }
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7': {
            unsigned value = static_cast<unsigned>(e - '0');
            for (int digits = 1; digits < 3 && i < line.size() && line[i] >= '0' && line[i] <= '7';
                 ++digits)
                value = value * 8 + static_cast<unsigned>(line[i++] - '0');
            units += static_cast<char16_t>(value);
            break;
        }
        default:
            --i;
            appendUnits(units, nextUtf8CharLenient(line, i));
            break;
        }
    }
    return std::nullopt;
}

std::string normalKey(std::string_view utf8Path) {
    std::string k = foldCase(utf8Path);
    while (!k.empty() && k.front() == '\\')
        k.erase(0, 1);
    while (!k.empty() && k.back() == '\\')
        k.pop_back();
    return k;
}

// A key's values: folded name -> Windows-1252 text, or nullopt for a value of another
// type than a plain string.
using Values = std::map<std::string, std::optional<std::string>>;

using Hive = std::map<std::string, Values>; // folded key path -> values

// The lines of the file, one at a time, without a copy: LF ends a line, a CR before it
// is dropped.
class Lines {
public:
    explicit Lines(std::string_view bytes) : m_bytes(bytes) {}
    bool next(std::string_view& line) {
        if (m_pos >= m_bytes.size())
            return false;
        const size_t end = std::min(m_bytes.find('\n', m_pos), m_bytes.size());
        line = m_bytes.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_pos = end + 1;
        return true;
    }

private:
    std::string_view m_bytes;
    size_t m_pos = 0;
};

// "hex(1):" and "hex(2):" data: UTF-16LE bytes as comma-separated pairs of hex digits,
// continued over lines that end in a backslash. The text ends at its first NUL, as the
// Windows backend reads it.
std::string hexString(std::string_view line, Lines& lines) {
    std::u16string units;
    std::string pending;    // hex digits of the byte being read
    std::optional<int> low; // the low byte of the unit being read, once it has come
    bool ended = false;
    for (;;) {
        for (char c : line) {
            if (isHex(c))
                pending += c;
            if ((c != ',' || pending.empty()) && !(pending.size() == 2))
                continue;
            int byte = 0;
            for (char digit : pending)
                byte = byte * 16 + hexValue(digit);
            pending.clear();
            if (!low) {
                low = byte;
                continue;
            }
            const auto unit = static_cast<char16_t>(*low | (byte << 8));
            low.reset();
            ended = ended || unit == 0;
            if (!ended)
                units += unit;
        }
        if (!line.ends_with('\\') || !lines.next(line))
            break;
    }
    return toWindows1252(utf16ToUtf8(units));
}

// Parses the file; nullopt when it is no registry file of Wine's.
std::optional<Hive> parseUserReg(std::string_view bytes) {
    Lines lines(bytes);
    std::string_view line;
    if (!lines.next(line) || !line.starts_with(kHeader))
        return std::nullopt;

    Hive hive;
    Values* current = nullptr; // values of the section being read; null outside one
    while (lines.next(line)) {
        // Blank lines, ';' comments and Wine's "#time=" lines are neither a header nor a
        // value: they are passed over below.
        if (line.starts_with('[')) {
            size_t i = 1;
            auto name = parseEscaped(line, i, ']');
            current = nullptr;
            if (!name)
                continue; // a broken header: its values are skipped with it
            current = &hive[normalKey(*name)];
            continue;
        }
        std::optional<std::string> valueName;
        size_t i = 0;
        if (line.starts_with('@')) {
            valueName = "";
            i = 1;
        } else if (line.starts_with('"')) {
            i = 1;
            valueName = parseEscaped(line, i, '"');
        }
        if (!valueName || i >= line.size() || line[i] != '=')
            continue;
        const std::string_view data = line.substr(i + 1);
        std::optional<std::string> value;
        // Plain and expandable strings are texts in quotes; other string types come as
        // UTF-16 bytes in hex.
        const size_t quote = data.starts_with("str(1):\"") || data.starts_with("str(2):\"") ? 8
                             : data.starts_with('"')                                        ? 1
                                                                                            : 0;
        if (quote > 0) {
            size_t k = quote;
            auto text = parseEscaped(data, k, '"');
            if (!text)
                continue;
            value = toWindows1252(*text);
        } else if (data.starts_with("hex(1):") || data.starts_with("hex(2):")) {
            value = hexString(data.substr(7), lines);
        } else {
            // dword:, hex:, other types - not read by this string-only reader. Hex data
            // continues over lines that end in a backslash.
            while (line.ends_with('\\') && lines.next(line)) {
            }
        }
        if (current)
            (*current)[foldCase(*valueName)] = std::move(value);
    }
    return hive;
}

class WineRegistry : public IRegistryBackend {
public:
    explicit WineRegistry(std::optional<fs::path> file) : m_file(std::move(file)) {}

    std::optional<std::string> readString(const std::string& keyPath,
                                          const std::string& valueName) override {
        refresh();
        if (!m_hive)
            return std::nullopt;
        auto key = m_hive->find(normalKey(fromWindows1252(keyPath)));
        if (key == m_hive->end())
            return std::nullopt;
        auto value = key->second.find(foldCase(fromWindows1252(valueName)));
        if (value == key->second.end())
            return std::nullopt;
        return value->second;
    }

private:
    // Reads the file again when it has changed since the last look.
    void refresh() {
        std::error_code ec;
        std::optional<std::pair<fs::file_time_type, uintmax_t>> stamp;
        if (m_file) {
            const auto time = fs::last_write_time(*m_file, ec);
            const auto size = ec ? 0 : fs::file_size(*m_file, ec);
            if (!ec)
                stamp = std::make_pair(time, size);
        }
        if (stamp == m_stamp)
            return;
        m_stamp = stamp;
        m_hive.reset();
        if (!stamp)
            return;
        if (auto bytes = readFileBytes(m_file->string(), kRegistryFileLimit))
            m_hive = parseUserReg(*bytes);
    }

    std::optional<fs::path> m_file;
    // Time and size of the file read last; none while there is none, as at first.
    std::optional<std::pair<fs::file_time_type, uintmax_t>> m_stamp;
    std::optional<Hive> m_hive;
};

} // namespace

std::unique_ptr<IRegistryBackend> makeWineRegistry(fs::path userRegFile) {
    return std::make_unique<WineRegistry>(std::move(userRegFile));
}

std::unique_ptr<IRegistryBackend> makeWineRegistry() {
    auto prefix = winePrefixFromEnvironment();
    return std::make_unique<WineRegistry>(prefix ? std::optional(*prefix / "user.reg")
                                                 : std::nullopt);
}

} // namespace kordan
