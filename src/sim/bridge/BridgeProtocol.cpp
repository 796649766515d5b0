#include "sim/bridge/BridgeProtocol.h"

#include <charconv>

namespace kordan::bridge {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

std::string escape(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= ' ' || b > '~' || b == '%') {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (size_t i = 0; i < field.size(); ++i) {
        const auto b = static_cast<unsigned char>(field[i]);
        if (b <= ' ' || b > '~')
            return std::nullopt;
        if (b != '%') {
            out += field[i];
            continue;
        }
        const int hi = i + 2 < field.size() ? hexValue(field[i + 1]) : -1;
        const int lo = hi >= 0 ? hexValue(field[i + 2]) : -1;
        if (lo < 0)
            return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
    }
    return out;
}

std::string joinLine(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i != 0)
            line += ' ';
        line += escape(fields[i]);
    }
    line += '\n';
    return line;
}

std::optional<std::vector<std::string>> splitLine(std::string_view line) {
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    if (line.empty())
        return std::nullopt;
    std::vector<std::string> fields;
    for (;;) {
        const size_t blank = line.find(' ');
        auto field = unescape(line.substr(0, blank));
        if (!field)
            return std::nullopt;
        fields.push_back(std::move(*field));
        if (blank == std::string_view::npos)
            return fields;
        line.remove_prefix(blank + 1);
    }
}

std::optional<int64_t> parseInteger(std::string_view field, int64_t min, int64_t max) {
    int64_t n = 0;
    const char* end = field.data() + field.size();
    const auto [stop, error] = std::from_chars(field.data(), end, n);
    if (error != std::errc() || stop != end || n < min || n > max)
        return std::nullopt;
    return n;
}

} // namespace kordan::bridge
