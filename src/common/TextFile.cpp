#include "common/TextFile.h"

#include "common/NumberText.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

namespace kordan {

namespace {

// Unicode code points of the bytes 0x80-0x9F; 0 marks the five bytes 1252 leaves undefined
// (they are read as the C1 control of the same number, so nothing is lost).
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t to1252Char(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0)
        return kHigh[b - 0x80];
    return b;
}

// Decodes one UTF-8 sequence at text[i]; invalid bytes come back as U+FFFD, one at a time.
char32_t decodeUtf8(std::string_view text, size_t& i) {
    auto b0 = static_cast<unsigned char>(text[i]);
    int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > text.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (int k = 1; k < len; ++k) {
        auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += len;
    return cp;
}

} // namespace

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t nextUtf8CharLenient(std::string_view s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    const int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC0 ? 1 : 0;
    if (extra > 0 && i + static_cast<size_t>(extra) < s.size()) {
        char32_t cp = b0 & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra && ok; ++k) {
            const auto b = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            ok = (b & 0xC0) == 0x80;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (ok) {
            i += static_cast<size_t>(extra) + 1;
            return cp;
        }
    }
    ++i;
    return b0;
}

std::string fromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (char c : bytes)
        appendUtf8(out, to1252Char(static_cast<unsigned char>(c)));
    return out;
}

std::string toWindows1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        char32_t cp = decodeUtf8(utf8, i);
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out += static_cast<char>(cp);
            continue;
        }
        char found = '?';
        for (unsigned b = 0x80; b <= 0x9F; ++b) {
            if (to1252Char(static_cast<unsigned char>(b)) == cp) {
                found = static_cast<char>(b);
                break;
            }
        }
        out += found;
    }
    return out;
}

namespace {

// A file opened for reading its bytes; a directory opens on some systems, but is no file.
std::optional<std::ifstream> openForReading(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return std::nullopt;
    std::optional<std::ifstream> in(std::in_place, path, std::ios::binary);
    if (!*in)
        return std::nullopt;
    return in;
}

} // namespace

std::string printableText(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto escape = [](std::string& out, unsigned char b) {
        out += "\\x";
        out += kHex[b >> 4];
        out += kHex[b & 0x0F];
    };
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            if ((b < 0x20 && b != '\t' && b != '\n' && b != '\r') || b == 0x7F)
                escape(out, b);
            else
                out += static_cast<char>(b);
            ++i;
            continue;
        }
        size_t next = i;
        const char32_t cp = decodeUtf8(utf8, next);
        const std::string_view sequence = utf8.substr(i, next - i);
        // U+FFFD written out is text; one made up for a broken byte is not.
        const bool broken = cp == 0xFFFD && sequence != "\xEF\xBF\xBD";
        if (broken)
            escape(out, b);
        else if (cp >= 0x80 && cp <= 0x9F)
            escape(out, static_cast<unsigned char>(cp));
        else
            out += sequence;
        i = next;
    }
    return out;
}

std::optional<std::string> readFileBytes(const std::string& path, std::uintmax_t limit,
                                         bool* tooLarge) {
    auto opened = openForReading(path);
    if (!opened)
        return std::nullopt;
    std::ifstream& in = *opened;
    std::error_code ec;
    // The size is only a hint (a device or a growing file may say otherwise): the reading
    // itself stops one byte past the limit.
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > limit) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    std::string bytes;
    if (!ec)
        bytes.reserve(static_cast<size_t>(size));
    std::array<char, 65536> chunk;
    while (in && bytes.size() <= limit) {
        in.read(chunk.data(), static_cast<std::streamsize>(std::min<std::uintmax_t>(
                                  chunk.size(), limit + 1 - bytes.size())));
        bytes.append(chunk.data(), static_cast<size_t>(in.gcount()));
    }
    if (in.bad())
        return std::nullopt;
    if (bytes.size() > limit) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> readFirstLine(const std::string& path, std::uintmax_t limit) {
    auto opened = openForReading(path);
    if (!opened)
        return std::nullopt;
    std::ifstream& in = *opened;
    std::string line;
    for (char c; line.size() < limit && in.get(c) && c != '\r';)
        line += c;
    if (in.bad())
        return std::nullopt;
    return line;
}

std::optional<LineReader> LineReader::open(const std::string& path, std::uintmax_t limit,
                                           bool* tooLarge) {
    auto bytes = readFileBytes(path, limit, tooLarge);
    if (!bytes)
        return std::nullopt;
    return LineReader(std::move(*bytes));
}

std::optional<std::string> LineReader::next() {
    const std::string_view all = bytes();
    if (m_pos >= all.size())
        return std::nullopt;
    const size_t end = std::min(all.find('\r', m_pos), all.size());
    std::string line = fromWindows1252(all.substr(m_pos, end - m_pos));
    // Past the CR, and one LF right behind it.
    m_pos = std::min(end + 1, all.size());
    if (all.substr(m_pos).starts_with('\n'))
        ++m_pos;
    return line;
}

void LineWriter::text(std::string_view line) {
    m_bytes += toWindows1252(line);
    m_bytes += "\r\n";
}

void LineWriter::number(long long value) {
    m_bytes += formatFileNumber(value);
    m_bytes += "\r\n";
}

} // namespace kordan
